#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "AppTest.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "tests/support/FileSizeLimit.h"

namespace {

using PuzzleFile = AppTest;
using testing_support::FileSizeLimit;

std::uint16_t U16At(const QByteArray& bytes, int at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                    (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
}

TEST_F(PuzzleFile, FieldsSitAtTheirFileOffsets) {
  Puzzle.GridSize = 23;
  Puzzle.Solution(1, 1) = 'A';
  Puzzle.Solution(2, 1) = 'B';
  Puzzle.Solution(1, 2) = 'C';
  Puzzle.Solution(23, 23) = 'D';
  Puzzle.Entries(1, 1) = 'E';
  Puzzle.Entries(23, 23) = 'F';
  Puzzle.WordIdx(1, 1) = {0x0102, 0x0304};
  Puzzle.WordIdx(23, 23) = {0x1234, 0xABCD};
  Puzzle.SetClue(1, "first");
  Puzzle.SetClue(179, std::string(60, 'z'));
  Puzzle.BylineText.Assign("Ann|3");
  const QString path = TempPath("layout.xwd");
  XwdProcs->SavePuzzle(path);
  const QByteArray bytes = ReadFile(path);
  ASSERT_EQ(bytes.size(), 14156);

  EXPECT_EQ(U16At(bytes, 0), 23);
  struct Cell { int offset; char value; };
  for (const Cell& c : {Cell{2, 'A'}, Cell{2 + 23, 'B'}, Cell{3, 'C'}, Cell{2 + 23 * 22 + 22, 'D'},
                        Cell{531, 'E'}, Cell{531 + 23 * 22 + 22, 'F'}})
    EXPECT_EQ(bytes[c.offset], c.value) << "offset " << c.offset;
  EXPECT_EQ(U16At(bytes, 1060), 0x0102);
  EXPECT_EQ(U16At(bytes, 1062), 0x0304);
  EXPECT_EQ(U16At(bytes, 1060 + 92 * 22 + 4 * 22), 0x1234);
  EXPECT_EQ(U16At(bytes, 1060 + 92 * 22 + 4 * 22 + 2), 0xABCD);
  EXPECT_EQ(bytes[3176], 5);
  EXPECT_EQ(bytes.mid(3177, 5), "first");
  EXPECT_EQ(bytes[3176 + 61 * 178], 60);
  EXPECT_EQ(bytes.mid(3176 + 61 * 178 + 1, 60), QByteArray(60, 'z'));
  EXPECT_EQ(bytes[14095], 5);
  EXPECT_EQ(bytes.mid(14096, 5), "Ann|3");

  const TXwdPuzzle saved = Puzzle;
  Puzzle = TXwdPuzzle{};
  XwdProcs->LoadPuzzle(path);
  EXPECT_TRUE(Puzzle == saved);
}

TEST_F(PuzzleFile, LoadsAFileWrittenByteByByteElsewhere) {
  QByteArray bytes(14156, '\0');
  bytes[0] = 5;
  bytes[2 + 23 * 1 + 0] = 'Q';            // Solution(2, 1)
  bytes[2 + 23 * 4 + 4] = char(219);      // Solution(5, 5)
  bytes[531 + 23 * 2 + 3] = 'R';          // Entries(3, 4)
  bytes[1060 + 92 * 1 + 4 * 0] = 7;       // WordIdx(2, 1).Across
  bytes[1060 + 92 * 0 + 4 * 1 + 2] = 9;   // WordIdx(1, 2).Down
  bytes[3176 + 61 * 6] = 3;               // clue slot 7
  bytes.replace(3176 + 61 * 6 + 1, 3, "Cat");
  bytes[14095] = 6;
  bytes.replace(14096, 6, "Bob|2x");
  const QString path = TempPath("foreign.xwd");
  WriteFile(path, bytes);

  XwdProcs->LoadPuzzle(path);
  EXPECT_EQ(Puzzle.GridSize, 5);
  EXPECT_EQ(Puzzle.Solution(2, 1), 'Q');
  EXPECT_EQ(Puzzle.Solution(5, 5), BlackSquare);
  EXPECT_EQ(Puzzle.Entries(3, 4), 'R');
  EXPECT_EQ(Puzzle.WordIdx(2, 1).Across, 7);
  EXPECT_EQ(Puzzle.WordIdx(1, 2).Down, 9);
  EXPECT_EQ(Puzzle.Clue(7), "Cat");
  EXPECT_EQ(Puzzle.BylineText.Text(), "Bob|2x");
}

TEST_F(PuzzleFile, RefusedFilesLeaveTheRecordAsItWas) {
  SetGrid("AB CD");
  const TXwdPuzzle before = Puzzle;
  auto image = [](int size, int length) {
    QByteArray bytes(length, '\0');
    if (length >= 2) {
      bytes[0] = static_cast<char>(size & 0xFF);
      bytes[1] = static_cast<char>((size >> 8) & 0xFF);
    }
    return bytes;
  };
  struct Case { const char* what; QByteArray bytes; };
  const Case cases[] = {
      {"empty file", image(15, 0)},
      {"one byte short", image(15, 14155)},
      {"grid size 0", image(0, 14156)},
      {"grid size 24", image(24, 14156)},
      {"grid size -1", image(-1, 14156)},
  };
  for (const Case& c : cases) {
    const QString path = TempPath("bad.xwd");
    WriteFile(path, c.bytes);
    EXPECT_THROW(XwdProcs->LoadPuzzle(path), EInOutError) << c.what;
    EXPECT_TRUE(Puzzle == before) << c.what;
  }
  EXPECT_THROW(XwdProcs->LoadPuzzle(TempPath("missing.xwd")), EInOutError);
  EXPECT_TRUE(Puzzle == before);
}

TEST_F(PuzzleFile, AcceptsSmallEvenSizesAndLongerFiles) {
  QByteArray bytes(14156 + 100, 'x');
  bytes[0] = 12;
  bytes[1] = 0;
  const QString path = TempPath("long.xwd");
  WriteFile(path, bytes);
  XwdProcs->LoadPuzzle(path);
  EXPECT_EQ(Puzzle.GridSize, 12);
  EXPECT_EQ(Puzzle.Solution(1, 1), 'x');
}

TEST_F(PuzzleFile, OverlongLengthBytesAndForeignClueLinksReadSafely) {
  QByteArray bytes(14156, 'q');
  bytes[0] = 3;
  bytes[1] = 0;
  bytes[3176] = char(200);   // clue slot 1 claims 200 characters
  bytes[14095] = char(255);  // so does the byline
  const QString path = TempPath("lengths.xwd");
  WriteFile(path, bytes);
  XwdProcs->LoadPuzzle(path);
  EXPECT_EQ(Puzzle.Clue(1), std::string(60, 'q'));
  EXPECT_EQ(Puzzle.BylineText.Text().size(), 60u);
  // 'qq' as a 16-bit link is far beyond the last slot.
  EXPECT_GT(Puzzle.WordIdx(1, 1).Across, MaxClues);
  EXPECT_EQ(Puzzle.Clue(Puzzle.WordIdx(1, 1).Across), "");
  Puzzle.SetClue(0, "never");
  Puzzle.SetClue(180, "never");
  EXPECT_EQ(Puzzle.Clue(0), "");
  EXPECT_EQ(Puzzle.Clue(180), "");
}

TEST_F(PuzzleFile, SaveReplacesTheFileOnlyWhenItWorked) {
  SetGrid("AB CD");
  const QString path = TempPath("keep.xwd");
  XwdProcs->SavePuzzle(path);
  const QByteArray saved = ReadFile(path);
  PuzzleModified = 1;

  Puzzle.Solution(1, 1) = 'Z';
  {
    // As on a full disk: the new content does not fit.
    FileSizeLimit limit(4096);
    EXPECT_THROW(XwdProcs->SavePuzzle(path), EInOutError);
  }
  EXPECT_EQ(ReadFile(path), saved);
  EXPECT_EQ(PuzzleModified, 1);
  EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files).size(), 1)
      << "no temporary file is left behind";
}

// ---- Entry geometry ----------------------------------------------------------------------

struct GeometryCase {
  const char* rows;
  int x, y;
  bool across, down;
};

TEST_F(PuzzleFile, WordStarts) {
  const GeometryCase cases[] = {
      {"AB# C#D ..#", 1, 1, true, true},    // column 1 followed by a letter
      {"A#B C.D ...", 1, 1, false, true},   // followed by a black square
      {"ABC DEF GHI", 3, 1, false, true},   // column N never starts an across word
      {"ABC DEF GHI", 1, 3, true, false},   // row N never starts a down word
      {"#AB #CD ###", 2, 1, true, true},    // after a black square
      {"A#B #C# D#E", 2, 2, false, false},  // a single square between black squares
      {"ABC DEF GHI", 2, 2, false, false},  // inside words
      {"###  ### ###", 1, 1, false, false},
      {"ABC DEF GHI", 0, 1, false, false},  // outside the grid
      {"ABC DEF GHI", 4, 1, false, false},
  };
  for (const auto& c : cases) {
    SetGrid(c.rows);
    EXPECT_EQ(XwdProcs->IsAcrossStart(c.x, c.y), c.across) << c.rows << " at " << c.x << "," << c.y;
    EXPECT_EQ(XwdProcs->IsDownStart(c.x, c.y), c.down) << c.rows << " at " << c.x << "," << c.y;
  }
}

TEST_F(PuzzleFile, EntryWords) {
  SetGrid("AB.#"
          "C?DE"
          "#FG#"
          "HI#J");
  struct Case { int x, y; char dir; std::string word; };
  const Case cases[] = {
      {1, 1, 'a', std::string("AB\0", 3)},  // an empty square reads as character 0
      {1, 2, 'a', "C?DE"},                   // the placeholder reads as "?"
      {2, 2, 'a', "?DE"},                    // from inside a word: the rest of it
      {2, 1, 'd', "B?FI"},
      {3, 3, 'd', "G"},
      {4, 2, 'd', "E"},
      {1, 4, 'a', "HI"},
  };
  for (const auto& c : cases) EXPECT_EQ(XwdProcs->GetEntryWord(c.x, c.y, c.dir), c.word) << c.x << "," << c.y;
}

TEST_F(PuzzleFile, GridFull) {
  SetGrid("A# ?B");
  EXPECT_TRUE(XwdProcs->IsGridFull());
  SetGrid("## ??");
  EXPECT_TRUE(XwdProcs->IsGridFull());
  SetGrid("A# .B");
  EXPECT_FALSE(XwdProcs->IsGridFull());
}

TEST_F(PuzzleFile, BylineHalves) {
  struct Case { const char* byline; int language; const char* name; };
  const Case cases[] = {
      {"Ann|3", 3, "Ann"}, {"Ann", 0, "Ann"},   {"A|B|5", 5, "A"}, {"Ann|", 0, "Ann"},
      {"", 0, ""},         {"Ann|x", 0, "Ann"}, {"|9", 9, ""},
  };
  for (const auto& c : cases) {
    Puzzle.BylineText.Assign(c.byline);
    EXPECT_EQ(XwdProcs->GetGridLanguage(), c.language) << c.byline;
    EXPECT_EQ(XwdProcs->GetBylineName(), c.name) << c.byline;
  }
}

TEST_F(PuzzleFile, NewPuzzleKeepsOnlyBlackSquaresForACopy) {
  SetGrid("A#B C#D E?F");
  Puzzle.Entries(1, 1) = 'A';
  Puzzle.WordIdx(1, 1) = {1, 2};
  Puzzle.SetClue(1, "a long clue that must not survive in the slot's padding");
  Puzzle.SetClue(2, "x");
  XwdProcs->WriteSetting("Name", "Alice");
  XwdProcs->WriteSetting("GridLanguage", 4);
  PuzzleFileName = "keep";
  PuzzleModified = 1;

  XwdProcs->NewPuzzle(3, 'C');
  EXPECT_EQ(Puzzle.Solution(2, 1), BlackSquare);
  EXPECT_EQ(Puzzle.Solution(2, 2), BlackSquare);
  EXPECT_EQ(Puzzle.Solution(1, 1), EmptySquare);
  EXPECT_EQ(Puzzle.Solution(2, 3), EmptySquare);
  EXPECT_EQ(Puzzle.Entries(1, 1), 0);
  EXPECT_EQ(Puzzle.WordIdx(1, 1), (TWordIdxPair{0, 0}));
  for (const auto& clue : Puzzle.Clues) EXPECT_EQ(clue, TPuzzleString{}) << "slot and padding zeroed";
  EXPECT_EQ(Puzzle.BylineText.Text(), "Alice|4");
  EXPECT_EQ(PuzzleFileName, "keep");
  EXPECT_EQ(PuzzleModified, 1);

  XwdProcs->NewPuzzle(15, 'N');
  EXPECT_EQ(Puzzle.GridSize, 15);
  EXPECT_EQ(Puzzle.Solution(2, 1), EmptySquare);
}

TEST_F(PuzzleFile, NewPuzzleKeepsTheLanguageDigitOfALongName) {
  XwdProcs->WriteSetting("Name", QString(70, 'n'));
  XwdProcs->WriteSetting("GridLanguage", 6);
  XwdProcs->NewPuzzle(11, 'N');
  const std::string byline = Puzzle.BylineText.Text();
  EXPECT_EQ(byline, std::string(58, 'n') + "|6");
  EXPECT_EQ(XwdProcs->GetGridLanguage(), 6);
}

TEST_F(PuzzleFile, FreshPuzzleFileHoldsTheSizeAndZeros) {
  XwdProcs->NewPuzzle(15, 'N');
  const QString path = TempPath("fresh.xwd");
  XwdProcs->SavePuzzle(path);
  const QByteArray bytes = ReadFile(path);
  ASSERT_EQ(bytes.size(), 14156);
  EXPECT_EQ(U16At(bytes, 0), 15);
  EXPECT_EQ(bytes.mid(2, 14095 - 2), QByteArray(14093, '\0'));
  EXPECT_EQ(bytes.mid(14095, 3), QByteArray("\x02|0", 3));
}

// ---- Trash -----------------------------------------------------------------------------------

TEST_F(PuzzleFile, RecycleMovesTheFileToTheTrash) {
  const QString path = WritePuzzle("done.xwd", "AB CD");
  PuzzleModified = 1;
  EXPECT_TRUE(XwdProcs->RecyclePuzzleFile(path));
  EXPECT_FALSE(QFile::exists(path));
  EXPECT_EQ(PuzzleModified, 0);
  EXPECT_TRUE(QFile::exists(TempPath("data/Trash/files/done.xwd")));
  EXPECT_TRUE(QFile::exists(TempPath("data/Trash/info/done.xwd.trashinfo")));
}

TEST_F(PuzzleFile, FailedRecycleChangesNothing) {
  PuzzleModified = 1;
  EXPECT_FALSE(XwdProcs->RecyclePuzzleFile(TempPath("never-there.xwd")));
  EXPECT_EQ(PuzzleModified, 1);
}

}  // namespace
