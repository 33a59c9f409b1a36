#include "tests/support/PdfReader.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

namespace testing_support {

QString ToolOutput(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
    return {};
  }
  return QString::fromUtf8(process.readAllStandardOutput());
}

int PdfPageCount(const QString& pdf) {
  const auto match = QRegularExpression(R"(Pages:\s+(\d+))").match(ToolOutput("pdfinfo", {pdf}));
  return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString PdfTitle(const QString& pdf) {
  return QRegularExpression(R"(Title:\s+(.*)\n)").match(ToolOutput("pdfinfo", {pdf})).captured(1).trimmed();
}

QStringList PdfPageTexts(const QString& pdf) {
  QStringList pages = ToolOutput("pdftotext", {"-layout", pdf, "-"}).split('\f');
  if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
  return pages;
}

std::vector<PdfWord> PdfPageWords(const QString& pdf, int page) {
  const QString number = QString::number(page);
  const QString xhtml = ToolOutput("pdftotext", {"-bbox-layout", "-f", number, "-l", number, pdf, "-"});
  static const QRegularExpression word(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re");
  std::vector<PdfWord> words;
  for (auto it = word.globalMatch(xhtml); it.hasNext();) {
    const auto m = it.next();
    words.push_back({m.captured(4), m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble()});
  }
  return words;
}

QStringList PdfPageContents(const QString& pdf) {
  // In qpdf's QDF form every content stream is uncompressed and follows a comment naming its page.
  const QString qdf = ToolOutput("qpdf", {"--qdf", "--object-streams=disable", pdf, "-"});
  static const QRegularExpression content(R"(%% Contents for page (\d+)\n.*?\nstream\n(.*?)endstream)",
                                          QRegularExpression::DotMatchesEverythingOption);
  QStringList pages;
  for (auto it = content.globalMatch(qdf); it.hasNext();) {
    const auto m = it.next();
    const int page = m.captured(1).toInt();
    while (pages.size() < page) pages.append(QString());
    pages[page - 1] += m.captured(2);
  }
  return pages;
}

std::vector<double> PdfLineWidths(const QString& pdf) {
  static const QRegularExpression width(R"((?:^|\s)([-\d.]+) w(?=\s))");
  std::vector<double> widths;
  for (const QString& page : PdfPageContents(pdf))
    for (auto it = width.globalMatch(page); it.hasNext();) widths.push_back(it.next().captured(1).toDouble());
  return widths;
}

}  // namespace testing_support
