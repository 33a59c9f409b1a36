#include "ExportFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"

void ExportTest::SetUp() {
  AppTest::SetUp();
  EditMode = emLetters;
}

void ExportTest::SetSundayGrid() {
  std::string rows;
  char letter = 'A';
  for (int y = 1; y <= 15; ++y)
    for (int x = 1; x <= 15; ++x) {
      if ((x + 2 * y) % 3 == 0) {
        rows += '#';
        continue;
      }
      rows += letter;
      letter = letter == 'Z' ? 'A' : static_cast<char>(letter + 1);
    }
  SetGrid(rows);
  Puzzle.Solution(1, 1) = 'I';
  Puzzle.Solution(2, 1) = 'W';
  Puzzle.Solution(4, 2) = EmptySquare;
  Puzzle.Solution(5, 2) = PlaceholderLetter;
  for (const TWordRef& word : NumberWords(Puzzle)) {
    if (word.Ordinal % 10 == 7) continue;  // no clue
    WordLink(Puzzle, word) = static_cast<std::uint16_t>(word.Ordinal);
    Puzzle.SetClue(word.Ordinal, "Clue " + std::to_string(word.Ordinal));
  }
}

void ExportTest::SetGridWithClues(const std::string& rows) {
  SetGrid(rows);
  for (const TWordRef& word : NumberWords(Puzzle)) {
    WordLink(Puzzle, word) = static_cast<std::uint16_t>(word.Ordinal);
    Puzzle.SetClue(word.Ordinal, "Clue " + std::to_string(word.Ordinal));
  }
}

void ExportTest::ExpectGolden(const QString& name, const QByteArray& bytes) {
  const QString path = QStringLiteral(EXPORT_GOLDEN_DIR "/") + name;
  if (qEnvironmentVariableIsSet("QUILLMERE_WRITE_GOLDEN")) {
    WriteFile(path, bytes);
    return;
  }
  const QByteArray golden = ReadFile(path);
  ASSERT_FALSE(golden.isEmpty()) << "no golden file " << path.toStdString();
  if (bytes == golden) return;
  qsizetype at = 0;
  while (at < bytes.size() && at < golden.size() && bytes[at] == golden[at]) ++at;
  ADD_FAILURE() << name.toStdString() << " differs from its golden file from byte " << at << ": "
                << bytes.mid(at, 60).toStdString() << " instead of " << golden.mid(at, 60).toStdString();
}

QStringList ExportTest::TempFiles() const {
  return QDir(TempPath(".")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

bool HasReader(const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

ReaderResult RunReader(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, arguments);
  ReaderResult result;
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
    process.kill();
    return result;
  }
  result.Status = process.exitCode();
  result.Output = process.readAllStandardOutput();
  return result;
}
