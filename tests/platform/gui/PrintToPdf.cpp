// Prints a page through the Qt printer into the PDF beside the document that its argument names
// and ends; when the job fails, writes why on its standard output and ends with status 1. The
// tests run it on a file system too small for the file.

#include <QApplication>
#include <cstdio>

#include "platform/gui/QtPrinter.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  if (argc != 2) return 2;
  platform::gui::QtPrinter& printer = platform::gui::SharedQtPrinter();
  printer.Document = QString::fromLocal8Bit(argv[1]);
  try {
    printer.BeginDoc();
    platform::gui::Canvas& canvas = printer.Canvas();
    canvas.Font.Name = "Times New Roman";
    canvas.Font.SetSize(12);
    for (int line = 0; line < 40; ++line)
      canvas.TextOut(100, 100 + 120 * line, "The quick brown fox jumps over the lazy dog 0123456789");
    printer.EndDoc();
  } catch (const platform::gui::EPrinter& error) {
    std::fputs(error.what(), stdout);
    return 1;
  }
  return 0;
}
