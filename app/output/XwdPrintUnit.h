#pragma once
// The print window: chooses which formats to print, how many copies, the title printed on the
// pages and whether black squares print gray, and runs the print jobs. Each copy is one print
// job holding every chosen format, each beginning on a new page.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSize>
#include <QStringList>
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
  // Prints, then closes the window and says in the note window where the print went.
  void PrintBtnClick();

  // Prints the solver's puzzle page as one job, titled with the puzzle's file name; returns
  // where it went.
  QStringList QuickPrintPuzzle();

 protected:
  void FormShow() override;

 private:
  // The five format boxes, in the order they print.
  std::array<QCheckBox*, 5> FormatBoxes() const;
  TPrintLayout Layout(const QString& title) const;
  void StepBar();
  // Print is offered while a format is checked and the copies box holds a number.
  void EnablePrint();
};

extern TXwdPrintForm* XwdPrintForm;

// While it lives, the note window says where a print went: "Printed to " and the printer or
// the file, with the files of further copies, the note widened to show it all. Afterwards the
// note has its own text and size again.
class TPrintedNote {
 public:
  explicit TPrintedNote(const QStringList& targets);
  ~TPrintedNote();
  TPrintedNote(const TPrintedNote&) = delete;
  TPrintedNote& operator=(const TPrintedNote&) = delete;

 private:
  QString text_;
  QSize size_;
};

// "Printed to " the first target, and the names of the others after it.
QString PrintedText(const QStringList& targets);
