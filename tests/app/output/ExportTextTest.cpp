#include <QFileInfo>
#include <gtest/gtest.h>

#include "ExportFixture.h"
#include "app/output/ExportUnit.h"
#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/AnsiText.h"

namespace {

using ExportText = ExportTest;

TEST_F(ExportText, FixtureListMatchesItsGoldenFile) {
  SetSundayGrid();
  ExportForm->ExportText(TempPath("Sunday.eps"));
  EXPECT_EQ(ExportForm->OutputName, TempPath("Sunday.TXT"));
  ExpectGolden("Sunday.TXT", ReadFile(TempPath("Sunday.TXT")));
}

TEST_F(ExportText, ListLines) {
  struct Case {
    const char* what;
    std::string rows;
    std::function<void()> clues;
    std::string text;
  };
  const Case cases[] = {
      {"a cell starting both words gives both the same number",
       "AB#"
       "C#D"
       "EFG",
       [] {
         Puzzle.WordIdx(1, 1) = {1, 2};
         Puzzle.SetClue(1, "Across one");
         Puzzle.SetClue(2, "Down one");
       },
       "ACROSS\r\n  1 Across one\r\n  3 \r\nDOWN\r\n  1 Down one\r\n  2 \r\n"},
      {"no words: the headings alone", "A#B###C#D", [] {}, "ACROSS\r\nDOWN\r\n"},
      {"the clue comes through the word's link, not its ordinal",
       "AB"
       "C#",
       [] {
         Puzzle.WordIdx(1, 1) = {2, 0};
         Puzzle.SetClue(1, "Slot one");
         Puzzle.SetClue(2, "Slot two");
       },
       "ACROSS\r\n  1 Slot two\r\nDOWN\r\n  1 \r\n"},
      {"a link outside the clue slots reads as no clue",
       "AB"
       "C#",
       [] { Puzzle.WordIdx(1, 1) = {180, 0}; }, "ACROSS\r\n  1 \r\nDOWN\r\n  1 \r\n"},
  };
  for (const Case& c : cases) {
    Puzzle = TXwdPuzzle{};
    SetGrid(c.rows);
    c.clues();
    std::string text;
    ExportForm->WriteClueText(text);
    EXPECT_EQ(text, c.text) << c.what;
  }
}

TEST_F(ExportText, NumbersAboveNinetyNineTakeAllThreeColumns) {
  SetSundayGrid();
  std::string text;
  ExportForm->WriteClueText(text);
  EXPECT_NE(text.find("\r\n 99 "), std::string::npos);
  EXPECT_NE(text.find("\r\n100 Clue"), std::string::npos);
}

// 256 words of two letters, more than there are clue slots: every word keeps its line.
TEST_F(ExportText, MoreWordsThanClueSlots) {
  std::string rows;
  for (int y = 1; y <= MaxGridSize; ++y)
    for (int x = 1; x <= MaxGridSize; ++x) rows += x % 3 == 0 || y % 3 == 0 ? '#' : 'E';
  SetGrid(rows);
  const std::vector<TWordRef> words = NumberWords(Puzzle);
  ASSERT_EQ(words.size(), 256u);
  for (const TWordRef& word : words)
    if (word.Ordinal <= MaxClues) {
      WordLink(Puzzle, word) = static_cast<std::uint16_t>(word.Ordinal);
      Puzzle.SetClue(word.Ordinal, std::string(MaxStringLength, 'x'));
    }
  ExportForm->ExportText(TempPath("big.eps"));
  const QByteArray text = ReadFile(TempPath("big.TXT"));
  EXPECT_GT(text.size(), 12288);
  EXPECT_EQ(text.count("\r\n"), 256 + 2);
  EXPECT_TRUE(text.endsWith(QByteArray(" \r\n"))) << "the last words have no clue";
}

TEST_F(ExportText, ClipboardHoldsTheListAsUnicode) {
  SetGrid("AB"
          "C#");
  Puzzle.WordIdx(1, 1) = {1, 2};
  Puzzle.SetClue(1, "\x93" "Caf\xe9\x94");
  clipboard.SetText("before");
  ExportForm->CopyCluesToClipboard();
  ASSERT_TRUE(clipboard.Text());
  EXPECT_EQ(*clipboard.Text(), QString::fromUtf8("ACROSS\r\n  1 \u201cCaf\u00e9\u201d\r\nDOWN\r\n  1 \r\n"));
  ExportForm->ExportText(TempPath("same.eps"));
  EXPECT_EQ(platform::gui::FromAnsi(ReadFile(TempPath("same.TXT")).toStdString()), *clipboard.Text())
      << "the file and the clipboard hold the same list";
}

// The exports name their files with the extensions in capitals, in the chosen folder; an
// existing file is replaced without a question, one whose name differs only in case included.
TEST_F(ExportText, FileNames) {
  SetGridWithClues("AB"
                   "C#");
  struct Case {
    const char* chosen;
    const char* existing;
    const char* written;
  };
  const Case cases[] = {
      {"Sunday.eps", nullptr, "Sunday.TXT"},
      {"Puzzle.ps", nullptr, "Puzzle.TXT"},
      {"my.puzzle.wmf", nullptr, "my.puzzle.TXT"},
      {"Plain", nullptr, "Plain.TXT"},
      {"Again.eps", "Again.TXT", "Again.TXT"},
      {"Cased.eps", "cased.txt", "cased.txt"},
  };
  for (const Case& c : cases) {
    if (c.existing) WriteFile(TempPath(c.existing), "old");
    ExportForm->ExportText(TempPath(c.chosen));
    EXPECT_TRUE(ReadFile(TempPath(c.written)).startsWith("ACROSS\r\n")) << c.chosen;
  }
  EXPECT_EQ(TempFiles(), (QStringList{"Again.TXT", "Plain.TXT", "Puzzle.TXT", "Sunday.TXT", "cased.txt",
                                      "my.puzzle.TXT"}));
}

}  // namespace
