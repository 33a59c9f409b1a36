#pragma once
// A printer for tests: the page size and resolution are set by the test, each page's drawing is
// kept as the calls on a recording canvas, the job calls are logged, and any job call can be
// made to fail.

#include <QString>
#include <map>
#include <string>
#include <vector>

#include "platform/gui/Printer.h"
#include "tests/support/RecordingCanvas.h"

namespace testing_support {

struct PrintedPage {
  int Job = 0;     // 1 for the first job begun
  int Number = 0;  // the printer's page number
  std::vector<CanvasCall> Calls;
};

struct PrintedJob {
  QString Title;
  int Copy = 1;
};

class RecordingPrinter final : public platform::gui::TPrinter {
 public:
  QString Name = QStringLiteral("Recording printer");
  int Width = 5100;
  int Height = 6600;
  int Resolution = 600;
  platform::gui::TPrinterOrientation PageOrientation = platform::gui::TPrinterOrientation::poPortrait;

  // The canvas of the page being drawn; set its metrics to measure text.
  RecordingCanvas Surface;

  // "BeginDoc", "NewPage", "EndDoc" and "Abort", in order, failed calls included.
  std::vector<std::string> Log;
  std::vector<PrintedJob> Jobs;
  std::vector<PrintedPage> Pages;

  // The `occurrence`-th call (counted from 1) of "BeginDoc", "NewPage" or "EndDoc" raises
  // EPrinter before it does anything.
  void FailAt(const std::string& call, int occurrence);

  QStringList Printers() const override { return {Name}; }
  int PrinterIndex() const override { return 0; }
  QString JobTarget() const override { return Name; }
  platform::gui::TPrinterOrientation Orientation() const override { return PageOrientation; }
  void SetOrientation(platform::gui::TPrinterOrientation orientation) override { PageOrientation = orientation; }
  int PageWidth() const override { return Width; }
  int PageHeight() const override { return Height; }
  int XResolution() const override { return Resolution; }
  int YResolution() const override { return Resolution; }
  platform::gui::Canvas& Canvas() override { return Surface; }

 protected:
  void StartJob() override;
  void StartNextPage() override;
  void FinishJob() override;
  void CancelJob() noexcept override;

 private:
  void Call(const std::string& name);
  void KeepPage();
  void BeginPage(int number);

  std::map<std::string, int> failAt_;
  std::map<std::string, int> count_;
};

}  // namespace testing_support
