#include "AppTest.h"

#include <QFile>
#include <gtest/gtest.h>
#include <cmath>

#include "app/main/ApplicationForms.h"
#include "app/main/LibraryStart.h"
#include "app/puzzle/XwdProcsUnit.h"

void AppTest::SetUp() {
  GuiTest::SetUp();
  Puzzle = TXwdPuzzle{};
  PuzzleFileName.clear();
  PuzzleModified = 0;
  EditMode = 0;
  SquareSize = 0;
  AllowChildClose = 0;
  SoundLevel = 1;
  SettingsKey = ApplicationSettingsKey;
  StartLibrary();
  CreateApplicationForms();
}

void AppTest::TearDown() {
  DestroyApplicationForms();
  FinishLibrary();
  GuiTest::TearDown();
}

void SetGrid(const std::string& rows) {
  std::string cells;
  for (char c : rows)
    if (c != ' ' && c != '\n') cells += c;
  const int n = static_cast<int>(std::lround(std::sqrt(cells.size())));
  ASSERT_EQ(static_cast<std::size_t>(n * n), cells.size()) << "the grid must be square";
  Puzzle.GridSize = static_cast<std::int16_t>(n);
  for (int y = 1; y <= n; ++y)
    for (int x = 1; x <= n; ++x) {
      const char c = cells[static_cast<std::size_t>((y - 1) * n + (x - 1))];
      Puzzle.Solution(x, y) = c == '#'   ? BlackSquare
                              : c == '.' ? EmptySquare
                              : c == '?' ? PlaceholderLetter
                                         : static_cast<std::uint8_t>(c);
    }
}

QString AppTest::WritePuzzle(const QString& name, const std::string& rows, int size) {
  if (!rows.empty()) SetGrid(rows);
  if (size > 0) Puzzle.GridSize = static_cast<std::int16_t>(size);
  const QString path = TempPath(name);
  XwdProcs->SavePuzzle(path);
  return path;
}

QByteArray AppTest::ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

void AppTest::WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}
