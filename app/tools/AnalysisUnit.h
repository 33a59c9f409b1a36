#pragma once
// The analysis window: the statistics of the current grid, the line that identifies the
// puzzle, the symmetry verdict and the distribution of the letters. It changes nothing.

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "app/tools/PuzzleStatistics.h"
#include "platform/gui/Canvas.h"
#include "platform/gui/Form.h"

class TAnalysisForm : public platform::gui::TForm {
 public:
  TAnalysisForm();

  QLabel* BlackSqValue;
  QLabel* AcrossValue;
  QLabel* DownValue;
  QLabel* TotalValue;
  QLabel* ThreeLtrValue;
  QLabel* TwoLtrLbl;
  QLabel* TwoLtrValue;
  QLabel* EndsInSValue;
  QLabel* AverageValue;
  QLabel* IdentLbl;
  QLabel* SymmetryLbl;
  QLabel* VerdictLbl;
  QFrame* LtrBox;
  QPushButton* CloseBtn;

  // Draws the letter distribution into a white box of the given size.
  void LtrBoxPaint(platform::gui::Canvas& Canvas, int Width, int Height) const;

 protected:
  void FormShow() override;

 private:
  void SetAnalysisCaption();

  TPuzzleStatistics statistics_;
};

extern TAnalysisForm* AnalysisForm;
