#pragma once
// The preferences window: sounds, cursors, word counts and the window arrangement; the grid's
// colours and font; the print options; the companion programs' paths; the fonts of four text
// areas; and the grid language. Save writes every value; the main window then applies them.

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <array>
#include <string>
#include <string_view>

#include "platform/gui/Canvas.h"
#include "platform/gui/ColorGrid.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Form.h"
#include "platform/gui/PaintBox.h"

// The byline with the language digit in place of what follows its last "|"; a byline without
// one gets "|" and the digit after its name, cut to 58 characters.
std::string BylineWithLanguage(std::string_view Byline, int Language);

class TXwdPrefForm : public platform::gui::TForm {
 public:
  // The pages, in order.
  enum Page { GeneralPage, ViewPage, PrintPage, ToolsPage, FontsPage, LanguagePage };
  // The companion programs, in the order of their path edits.
  enum Tool { DictTool, ThesTool, HintTool, JottTool, PostTool, ToolCount };

  TXwdPrefForm();

  QTabWidget* PageControl1;
  // General.
  QLabel* ScreenImg;
  QLabel* UserLbl;  // "USER CONFIGURED"
  QPushButton* ArrangeBtn;
  QCheckBox* SoundChk;
  QCheckBox* SpeechChk;
  QCheckBox* CursorChk;
  QCheckBox* CountsChk;
  QCheckBox* SaveAllChk;  // "SAVE CUSTOM ARRANGEMENT"
  QCheckBox* ViewChk;     // "Change Screen Layout"
  // View.
  platform::gui::TPaintBox* GridPad;
  QFrame* LetterSwatch;
  QFrame* FilledSwatch;
  QLabel* LeftLegendLbl;
  QLabel* RightLegendLbl;
  platform::gui::TColorGrid* ColorGrid1;
  QPushButton* FontBtn;
  // Print.
  QCheckBox* DefsChk;
  QSpinBox* MarginEdit;
  // Tools.
  std::array<QLineEdit*, ToolCount> PathEdits{};
  std::array<QPushButton*, ToolCount> BrowseBtns{};
  // Fonts.
  QListWidget* SolvePreview;
  QListWidget* DefsPreview;
  QLineEdit* AutoPreview;
  QPlainTextEdit* StatusPreview;
  QPushButton* SolveFontBtn;
  QPushButton* DefsListBtn;
  QPushButton* AutoFontBtn;
  QPushButton* StatusBoxBtn;
  // Language.
  QButtonGroup* LangGroup;  // button id = language digit
  // Buttons.
  QPushButton* CancelBtn;
  QPushButton* SaveBtn;
  QPushButton* DefaultsBtn;

  // Being edited: the grid's colours and the five fonts.
  platform::gui::TColor LetterColor = platform::gui::clWhite;
  platform::gui::TColor FilledColor = platform::gui::clBlack;
  platform::gui::FontChoice GridFont, SolveFont, DefsFont, AutoFont, StatusFont;
  char arrangement = 0;  // 0, 1..4, or 'c' for the custom arrangement

  // The arrangement picture shown, "SCREEN1" to "SCREEN5".
  QString PreviewPicture() const { return previewPicture_; }
  // The language chosen, -1 for none.
  int LangItemIndex() const { return LangGroup->checkedId(); }

  // Handlers.
  void ViewChkClick();
  void ArrangeBtnClick();
  void SaveAllChkClick();
  void SoundChkClick();
  void SpeechChkClick();
  void GridPadPaint(platform::gui::Canvas& Canvas);
  void ColorGrid1MouseUp(Qt::MouseButton Button, QPoint At);
  void FontBtnClick();
  void SolveFontBtnClick();
  void DefsListBtnClick();
  void AutoFontBtnClick();
  void StatusBoxBtnClick();
  void BrowseBtnClick(Tool Which);
  void LangGroupClick();
  void DefaultsBtnClick();
  void SaveBtnClick();

 protected:
  void FormShow() override;

 private:
  QWidget* BuildGeneralPage();
  QWidget* BuildViewPage();
  QWidget* BuildPrintPage();
  QWidget* BuildToolsPage();
  QWidget* BuildFontsPage();
  QWidget* BuildLanguagePage();
  void ShowPreview(int number);
  void SetCustomArrangement(bool ticked);
  void ShowGridColors();
  void ShowFonts();
  void LoadToolPaths();
  void SetLanguage(int language);
  // The font dialog, preset with a font; true when it chose one.
  bool ChooseFont(platform::gui::FontChoice& font);

  QString previewPicture_;
};

extern TXwdPrefForm* XwdPrefForm;
