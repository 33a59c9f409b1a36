#pragma once
// The print window: chooses which formats to print, how many copies, the title printed on the
// pages and whether black squares print gray, and runs the print jobs. Each copy is one print
// job holding every chosen format, each beginning on a new page.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <array>
#include <string>

#include "app/output/PrintLayout.h"
#include "platform/gui/Form.h"
#include "platform/gui/UpDown.h"

class TXwdPrintForm : public platform::gui::TForm {
 public:
  TXwdPrintForm();

  QCheckBox* MSChk;
  QCheckBox* MSGChk;
  QCheckBox* NGChk;
  QCheckBox* SGChk;
  QCheckBox* PPChk;
  QLineEdit* CopyEd;
  platform::gui::TUpDown* UpDown1;
  QLabel* PrnLbl;
  QLineEdit* TitleEdit;
  QCheckBox* GrayChk;
  QCheckBox* DefChk;
  QProgressBar* PrintBar;
  QPushButton* CancelBtn;
  QPushButton* PrintBtn;

  std::string SpecsText;  // the main window's specifications, Windows-1252
  // The fill of black squares on printed grids, as the last print run chose it.
  platform::gui::TColor SquareColor = platform::gui::clBlack;
  // The manuscript's page metrics, measured when the window is shown.
  TManuscriptMetrics Metrics;

  // Handlers.
  void DefChkClick();
  void PrintBtnClick();

  // Prints the solver's puzzle page as one job, titled with the puzzle's file name.
  void QuickPrintPuzzle();

 protected:
  void FormShow() override;

 private:
  // The five format boxes, in the order they print.
  std::array<QCheckBox*, 5> FormatBoxes() const;
  TPrintLayout Layout(const QString& title) const;
  void StepBar();
};

extern TXwdPrintForm* XwdPrintForm;
