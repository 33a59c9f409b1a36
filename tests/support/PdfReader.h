#pragma once
// Reads PDF files back with poppler's pdfinfo and pdftotext, and their drawing with qpdf
// (scripts/setup installs poppler-utils and qpdf). A tool that fails fails the test.

#include <QString>
#include <QStringList>
#include <vector>

namespace testing_support {

// The standard output of a program run without a shell.
QString ToolOutput(const QString& program, const QStringList& arguments);

int PdfPageCount(const QString& pdf);
QString PdfTitle(const QString& pdf);
// The text of each page, laid out as printed.
QStringList PdfPageTexts(const QString& pdf);

struct PdfWord {
  QString Text;
  double Left = 0, Top = 0;  // points from the page's top-left corner
  double Right = 0;
};
// The words of one page (from 1) with their places.
std::vector<PdfWord> PdfPageWords(const QString& pdf, int page);

// The drawing operators of each page, uncompressed.
QStringList PdfPageContents(const QString& pdf);
// The operands of every line width ("w") that the pages set.
std::vector<double> PdfLineWidths(const QString& pdf);

}  // namespace testing_support
