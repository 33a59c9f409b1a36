#pragma once
// Reads PDF files back with poppler's pdfinfo and pdftotext (scripts/setup installs
// poppler-utils). A tool that fails fails the test.

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
};
// The words of one page (from 1) with their places.
std::vector<PdfWord> PdfPageWords(const QString& pdf, int page);

}  // namespace testing_support
