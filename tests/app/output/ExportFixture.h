#pragma once
// The fixture of the export tests: the program's windows, a recording clipboard, fixture grids,
// golden files and the independent readers of the formats written.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string>

#include "AppTest.h"

class ExportTest : public AppTest {
 protected:
  void SetUp() override;

  // The 15 by 15 fixture: black squares where (x + 2y) mod 3 is 0, so that words start almost
  // everywhere and numbers reach three digits; letters A to Z in turn, with an I, a W, an
  // empty and a placeholder square, and a clue for every word but a few.
  static void SetSundayGrid();
  // A grid of `rows` with a clue "Clue n" linked to every word n.
  static void SetGridWithClues(const std::string& rows);

  // Compares bytes with a file of tests/app/output/golden. With QUILLMERE_WRITE_GOLDEN set
  // in the environment the file is written instead, to be looked at and committed.
  static void ExpectGolden(const QString& name, const QByteArray& bytes);

  // The files in this test's temporary folder, sorted.
  QStringList TempFiles() const;
};

// An independent reader run on a file: its exit status and what it printed.
struct ReaderResult {
  int Status = -1;
  QByteArray Output;
};
// Runs program with arguments; a test whose reader is not installed skips itself.
ReaderResult RunReader(const QString& program, const QStringList& arguments);
bool HasReader(const QString& program);

#define SKIP_WITHOUT_READER(program) \
  if (!HasReader(program)) GTEST_SKIP() << program.toStdString() << " is not installed (scripts/setup)"
