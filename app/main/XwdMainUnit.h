#pragma once
// The main window: menus, tool buttons, the three edit modes, the status box with the puzzle
// specifications, the puzzle file commands with their history, and closing.

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QToolButton>
#include <array>
#include <optional>
#include <string>

#include "platform/gui/Form.h"

class TXwdMainForm : public platform::gui::TForm {
 public:
  TXwdMainForm();

  // Controls.
  QWidget* ToolPanel;
  QToolButton* MouseBtn;
  QToolButton* CheatBtn;
  QToolButton* SquaresBtn;
  QToolButton* LettersBtn;
  QToolButton* SymmetryBtn;
  QToolButton* DictBtn;
  QToolButton* AutoclueBtn;
  QLabel* ModeLabel;
  QLabel* LogoImage;
  QPlainTextEdit* DataMemo;
  QLabel* Byline;
  QPushButton* UpdateBtn;

  // Menu items.
  QAction* Solve1;
  QAction* ConstructOpen1;
  std::array<QAction*, 7> NewItems{};  // "11x" .. "23x"
  QAction* Save1;
  QAction* SavePuzzleAs1;
  QAction* CopyGridAs1;
  QAction* Print1;
  QAction* PrinterSetup1;
  QAction* HistorySeparator;
  std::array<QAction*, 3> History{};  // History1 .. History3
  QAction* Exit1;
  QAction* ScorePuzzle1;
  QAction* Clock1;
  QAction* ReverttoSaved1;
  QAction* ScanGrid1;
  QAction* AutoArrange1;
  QAction* Preferences1;
  QMenu* SpecialMenu;
  QAction* ExportMetafile1;
  QAction* ExportEPS1;
  QAction* ExportRTFFile1;
  QAction* RTFGridToClipboard1;
  QAction* GridToClipboard1;
  QAction* SolutionToClipboard1;
  QAction* CluesToClipboard1;
  QAction* ShowGuidelines1;
  QAction* Invert1;
  QAction* Rotate1;
  QAction* Flip1;
  QAction* Byline1;
  QAction* Analysis1;
  std::array<QAction*, 6> ToolItems{};  // by Tools menu position; slot 2 is the separator
  QAction* HelpContents1;
  QAction* HelpKeywordIndex1;
  QAction* About1;

  // Called by the other windows.
  void ShowPuzzle();
  void ShowCurrentClue();
  void ClearClueStatus();
  void LoadStatusFont();
  void LoadToolPaths();
  bool GuidelinesShown() const { return guidelinesShown_; }

  // Start-up: the command line after the program name.
  void SetCommandLine(const QStringList& arguments) { commandLine_ = arguments; }
  void FirstShow();
  void OpenFromCommandLine();

  // Handlers.
  void UpdateBtnClick();
  bool ConfirmSaveChanges();
  void Open1Click(QAction* Sender);
  void NewPuzzleClick(QAction* Sender);
  void CopyGridAs1Click(QAction* Sender);
  void Save1Click();
  void ReverttoSaved1Click();
  void RebuildHistory();
  void SetHistoryItemCaption(const QString& Entry, int Count);
  void HistoryClick(int Item);
  void Print1Click();
  void PrinterSetup1Click();
  void Exit1Click();
  void ExportClick(QAction* Sender);
  void ToClipboardClick(QAction* Sender);
  void ShowGuidelines1Click();
  void TransformClick(QAction* Sender);
  void Byline1Click();
  void Analysis1Click();
  void ScorePuzzle1Click();
  void Clock1Click();
  void ScanGrid1Click();
  void AutoArrange1Click();
  void RestoreMainBounds();
  void SaveScreenLayout(char Code);
  void Preferences1Click();
  void ToolsMenuItemClick(QAction* Sender);
  void HelpContentsClick();
  void HelpKeywordIndexClick();
  void About1Click();
  void MouseBtnClick();
  void CheatBtnMouseDown();
  void CheatBtnMouseUp();
  void SquaresBtnClick();
  void LettersBtnClick();
  void SymmetryBtnClick();
  void AutoclueBtnClick();

  // The status box text as the print and export windows take it (Windows-1252, CR LF lines).
  std::string DataMemoText() const;

 protected:
  void FormShow() override { FirstShow(); }
  void FormCloseQuery(bool& CanClose) override;
  void FormClose() override;
  void FormFramed() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolPanel();
  void SetDataMemoText(const std::string& ansi);
  void SetButtonEnabled(QToolButton* button, bool enabled);
  void SetModeButtons();
  // The save dialog for a new puzzle file; nothing when cancelled or not a puzzle file name.
  std::optional<QString> AskNewPuzzleFile(const QString& title);
  // Saves a record to a file chosen now and makes it the current puzzle once the save worked.
  void CommitNewFile(const struct TXwdPuzzle& record, const QString& fileName);
  // After a failed open: the record on screen becomes the saved puzzle again, as the user
  // may have answered No to the save question.
  void ReloadCurrentPuzzle();
  QString HelpFile() const;

  QStringList commandLine_;
  bool firstShown_ = false;
  bool puzzleShown_ = false;
  bool guidelinesShown_ = false;
  bool closingSaveFailed_ = false;  // the save on closing failed for the puzzle shown
  class QMenuBar* menuBar_ = nullptr;
  QMenu* puzzleMenu_ = nullptr;
  QMenu* toolsMenu_ = nullptr;
  std::array<QString, 6> toolNames_{};  // "Dict" .. "Post" by slot
};

extern TXwdMainForm* XwdMainForm;
