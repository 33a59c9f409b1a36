#pragma once
// The score card: compares the solver's entries with the answers, celebrates or reports errors,
// and offers to start over, to show the errors or to move the finished puzzle to the trash. The
// main window acts on its modal result.

#include <QLabel>
#include <QPushButton>

#include "platform/gui/Form.h"

struct TXwdPuzzle;

// Every letter square's entry equals its answer, byte for byte.
bool IsPuzzleSolved(const TXwdPuzzle& puzzle);

class TScoreForm : public platform::gui::TForm {
 public:
  TScoreForm();

  QLabel* Picture;
  QLabel* BannerLbl;
  QLabel* CheatLbl;
  QPushButton* StartOverBtn;
  QPushButton* DeleteBtn;
  QPushButton* CancelBtn;
  QPushButton* ShowErrsBtn;

  // Handlers.
  void StartOverBtnClick();

 protected:
  void FormShow() override;
};

extern TScoreForm* ScoreForm;
