#pragma once
// The definition list: every clue of the puzzle in two columns, across and down, each line with
// its number, clue and answer. A click on a line makes Autoclue show that word; Autoclue keeps
// the lines up to date while clues are typed.

#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QToolButton>
#include <string>
#include <vector>

#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/Form.h"

class TDefListForm : public platform::gui::TForm {
 public:
  TDefListForm();

  QWidget* Panel1;
  QLabel* AcrLbl;
  QLabel* DwnLbl;
  QToolButton* ViewBtn;
  QSplitter* Splitter1;
  QListWidget* AcrList;
  QListWidget* DwnList;

  void LoadDefsPrefs();
  // "    7  Feline  | CAT": the number right-aligned in five places up to 99, the clue, the answer.
  static QString FormatDefLine(int X, int Y, int Number, char Dir, const std::string& Clue);
  // Rewrites the line of a word whose clue changed; a word without a line is left alone.
  void UpdateWordLine(const TWordRef& Word, const std::string& Clue);

  // Handlers.
  void DefListMouseUp(QListWidget* Sender);
  void ViewBtnClick();

 protected:
  void FormShow() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AlignDownLabel();
  void ShowViewState(bool full);
  QListWidget* ListOf(int dir) const { return dir == DirAcross ? AcrList : DwnList; }
  std::vector<TWordRef>& WordsOf(int dir) { return dir == DirAcross ? acrossWords_ : downWords_; }

  // The word of each line, so a click finds its word by position, whatever the line's text.
  std::vector<TWordRef> acrossWords_;
  std::vector<TWordRef> downWords_;
  // Both windows' bounds before the full view.
  TBounds normalBounds_;
  TBounds normalAutoclueBounds_;
};

extern TDefListForm* DefListForm;
