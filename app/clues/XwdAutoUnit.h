#pragma once
// Autoclue: where the constructor writes the clues. It walks the words of the grid in their
// numbering order, shows each word's answer, number and clue, and stores every change of the
// clue edit at once in the record. It enforces the limit of 179 words.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include "app/puzzle/WordGeometry.h"
#include "platform/gui/Form.h"

// What the forward walk stops on: any word, a word without a clue, or the one word that starts
// at a cell in a direction (the word clicked in the grid).
struct TWalkTarget {
  enum class TKind { AnyWord, Unclued, Word };
  TKind Kind = TKind::AnyWord;
  int X = 0, Y = 0, Dir = 0;  // the start cell and direction of Word
};

class TAutoclueForm : public platform::gui::TForm {
 public:
  TAutoclueForm();

  // The current word: its start cell, its direction ('a' or 'd'), its ordinal and its printed
  // number. Before the first word the walk stands at column 0 of row 1, direction 'd'.
  std::uint8_t UseEntryCounts = 0;
  int CurX = 0;
  int CurY = 1;
  int ClueNumber = 0;
  int WordCount = 0;
  char CurDir = 'd';

  QLabel* ClueLbl;
  QLabel* NumLbl;
  QLabel* CountLbl;
  QToolButton* CtBtn;
  QLineEdit* DefEdit;
  QPushButton* OkBtn;
  QToolBar* ToolBar1;
  QToolButton* PrevBtn;
  QToolButton* NextBtn;
  QToolButton* BlankBtn;
  QToolButton* InsertBtn;
  QToolButton* CharsBtn;
  QToolButton* ListDefsBtn;
  QToolBar* ClueBar;
  QToolButton* CluesBtn;
  QToolButton* AddBtn;

  void LoadAutoPrefs();
  void RestoreAutoclueBounds();

  // The walk. The grid window and FormShow put the walk before the first word (ResetWalk) and
  // call FindNextWord with GetSelectedGridWord; the definition list sets the current word and
  // calls ShowWord.
  void ResetWalk();
  TWalkTarget GetSelectedGridWord() const;
  void FindNextWord(const TWalkTarget& Target);
  void ShowWord(char Dir);
  // Puts the walk on the last (AtEnd) or the first word; false when the grid has no word.
  bool EndOfClues(bool AtEnd);

  // Shows on the clue-database bar whether the clue database window is open.
  void UpdateClueBar();

  // Inserts text in front of the edit's selection (at the caret when nothing is selected),
  // keeping the selected text.
  void InsertIntoClue(const QString& text);

  // Handlers.
  void NextBtnClick();
  void BlankBtnClick();
  void PrevBtnClick();
  void CtBtnClick();
  void InsertBtnClick();
  void CharsBtnClick();
  void ListdefsBtnClick();
  void CluesBtnClick();
  // Adds the clue in the edit to the clue database for the current word.
  void AddBtnClick();
  void OkBtnClick();
  void DefEditChange();
  // Enter, Ctrl+N (14), Ctrl+U (21) and Ctrl+Y (25) are handled here and set Key to 0.
  void DefEditKeyPress(std::uint8_t& Key);

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormClose() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TWordRef CurrentWord() const;
  void SetCurrentWord(const TWordRef& word);
  void WordLimitStop();
  // No slot: the edit is emptied and disabled, so nothing can be stored.
  void LockClueEdit();
  void UpdateAddBtn();
  QString AnswerLengthText() const;

  int slot_ = 0;  // where the current word's clue is stored; 0: nowhere
};

extern TAutoclueForm* AutoclueForm;
