#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include "AppTest.h"
#include "app/clues/CharMapUnit.h"
#include "app/clues/CluesDBUnit.h"
#include "app/clues/DefListUnit.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/grid/GridCursor.h"
#include "app/grid/XwdGridUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "clues/ClueFixture.h"

namespace {

using testing_support::PlayedSound;

// Where the walk stands and what it shows.
struct Shown {
  int X, Y;
  char Dir;
  int WordCount, ClueNumber;
  std::string Answer;
  std::string Number;
  bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* out) {
  *out << "(" << s.X << "," << s.Y << "," << s.Dir << ") #" << s.WordCount << " n" << s.ClueNumber << " "
       << s.Answer << " [" << s.Number << "]";
}

class Autoclue : public AppTest {
 protected:
  void Open(const std::string& rows) {
    SetGrid(rows);
    EditMode = emLetters;
    AutoclueForm->Show();
  }
  static Shown Now() {
    return {AutoclueForm->CurX,       AutoclueForm->CurY,
            AutoclueForm->CurDir,     AutoclueForm->WordCount,
            AutoclueForm->ClueNumber, AutoclueForm->ClueLbl->text().toStdString(),
            AutoclueForm->NumLbl->text().toStdString()};
  }
  static std::string Edit() { return AutoclueForm->DefEdit->text().toStdString(); }
  // Sends a key to the clue edit; true when Autoclue consumed it.
  static bool Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    return QApplication::sendEvent(AutoclueForm->DefEdit, &event);
  }
  std::vector<PlayedSound> Sounds() const { return sounds.Played(); }
};

TEST_F(Autoclue, WalksForwardAndBackInNumberingOrder) {
  Open(kFourWords);
  const std::vector<Shown> order = {
      {1, 1, 'a', 1, 1, "CATS", "1  Across"},
      {1, 1, 'd', 2, 1, "CAR", "1  Down"},
      {3, 1, 'd', 3, 2, "TOPS", "2  Down"},
      {1, 3, 'a', 4, 3, "RAPT", "3  Across"},
  };
  EXPECT_EQ(Now(), order[0]);
  for (std::size_t i = 1; i < order.size(); ++i) {
    AutoclueForm->NextBtnClick();
    EXPECT_EQ(Now(), order[i]);
  }
  for (std::size_t i = order.size() - 1; i-- > 0;) {
    AutoclueForm->PrevBtnClick();
    EXPECT_EQ(Now(), order[i]);
  }
  EXPECT_TRUE(Sounds().empty());
}

TEST_F(Autoclue, PrevOnTheFirstWordStaysThereWithASound) {
  Open(kFourWords);
  AutoclueForm->PrevBtnClick();
  EXPECT_EQ(Now(), (Shown{1, 1, 'a', 1, 1, "CATS", "1  Across"}));
  EXPECT_EQ(Sounds(), (std::vector<PlayedSound>{{"WAVE_4", true}}));
}

TEST_F(Autoclue, TheEndOfTheWalkSignalsBySoundLevel) {
  struct Case { int level; std::vector<PlayedSound> played; };
  for (const Case& c : {Case{0, {}}, Case{1, {{"WAVE_4", true}}}, Case{2, {{"WAVE_5", false}}}}) {
    SoundLevel = c.level;
    Open(kFourWords);
    for (int i = 0; i < 4; ++i) AutoclueForm->NextBtnClick();
    EXPECT_EQ(Now(), (Shown{1, 3, 'a', 4, 3, "RAPT", "3  Across"})) << "level " << c.level;
    EXPECT_EQ(Sounds(), c.played) << "level " << c.level;
    EXPECT_EQ(AutoclueForm->NumLbl->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
    TearDown();
    SetUp();
    sounds.Clear();
  }
}

TEST_F(Autoclue, TheWalkEndsOnTheLastWordWithItsOwnCounters) {
  // The last word is a down word: the bottom row starts no across word.
  Open("ABC"
       "D#E"
       "F#G");
  for (int i = 0; i < 3; ++i) AutoclueForm->NextBtnClick();
  EXPECT_EQ(Now(), (Shown{3, 1, 'd', 3, 2, "CEG", "2  Down"}));
}

TEST_F(Autoclue, GridsWithoutAcrossWordsOrRowOneStartsEndTheWalk) {
  Open("A#"
       "B#");
  AutoclueForm->NextBtnClick();
  EXPECT_EQ(Now(), (Shown{1, 1, 'd', 1, 1, "AB", "1  Down"}));
  TearDown();
  SetUp();

  Open("###"
       "ABC"
       "###");
  AutoclueForm->PrevBtnClick();
  EXPECT_EQ(Now(), (Shown{1, 2, 'a', 1, 1, "ABC", "1  Across"}));
}

TEST_F(Autoclue, AGridWithoutWordsHasNoMoreClues) {
  Open("##"
       "##");
  EXPECT_EQ(AutoclueForm->NumLbl->text(), "NO MORE CLUES!");
  EXPECT_FALSE(AutoclueForm->DefEdit->isEnabled());
  AutoclueForm->PrevBtnClick();
  AutoclueForm->BlankBtnClick();
  EXPECT_FALSE(AutoclueForm->DefEdit->isEnabled());
}

TEST_F(Autoclue, BlankButtonStopsOnTheNextWordWithoutAClue) {
  SetGrid(kFourWords);
  LinkClue(1, 1, 'd', 2, "Auto");
  LinkClue(3, 1, 'd', 3, "Peaks");
  Open(kFourWords);
  AutoclueForm->BlankBtnClick();
  EXPECT_EQ(Now(), (Shown{1, 3, 'a', 4, 3, "RAPT", "3  Across"}));
  LinkClue(1, 3, 'a', 4, "Engrossed");
  sounds.Clear();
  AutoclueForm->BlankBtnClick();
  EXPECT_EQ(Now(), (Shown{1, 3, 'a', 4, 3, "RAPT", "3  Across"})) << "no empty clue left";
  EXPECT_EQ(Sounds(), (std::vector<PlayedSound>{{"WAVE_4", true}}));
}

TEST_F(Autoclue, ShowsAndEditsTheLinkedClueWhenSlotsDifferFromOrdinals) {
  SetGrid(kFourWords);
  LinkClue(1, 1, 'a', 4, "Felines");
  LinkClue(1, 1, 'd', 3, "Auto");
  LinkClue(3, 1, 'd', 1, "Peaks");
  LinkClue(1, 3, 'a', 2, "Engrossed");
  Open(kFourWords);
  for (const char* clue : {"Felines", "Auto", "Peaks", "Engrossed"}) {
    EXPECT_EQ(Edit(), clue);
    AutoclueForm->NextBtnClick();
  }
  EXPECT_EQ(PuzzleModified, 0) << "walking changes nothing";

  AutoclueForm->PrevBtnClick();
  AutoclueForm->PrevBtnClick();  // 1 Down, linked to slot 3
  AutoclueForm->DefEdit->setText("Motor car");
  EXPECT_EQ(Puzzle.Clue(3), "Motor car");
  EXPECT_EQ(Puzzle.WordIdx(1, 1).Down, 3);
  EXPECT_EQ(Puzzle.Clue(2), "Engrossed");
  EXPECT_EQ(PuzzleModified, 1);
}

TEST_F(Autoclue, TypingLinksAnUnlinkedWordToAFreeSlot) {
  SetGrid(kFourWords);
  LinkClue(1, 1, 'a', 2, "Felines");
  Open(kFourWords);
  AutoclueForm->NextBtnClick();  // 1 Down: its ordinal slot 2 belongs to 1 Across
  EXPECT_EQ(Edit(), "");
  EXPECT_EQ(Puzzle.WordIdx(1, 1).Down, 0) << "showing links nothing";
  EXPECT_EQ(PuzzleModified, 0);
  AutoclueForm->DefEdit->setText("Auto");
  EXPECT_EQ(Puzzle.WordIdx(1, 1).Down, 1);
  EXPECT_EQ(Puzzle.Clue(1), "Auto");
  EXPECT_EQ(Puzzle.Clue(2), "Felines");
}

TEST_F(Autoclue, ShowingAWordLinksTheClueLeftInItsOrdinalSlot) {
  SetGrid(kFourWords);
  Puzzle.SetClue(1, "Felines");
  Open(kFourWords);
  EXPECT_EQ(Edit(), "Felines");
  EXPECT_EQ(Puzzle.WordIdx(1, 1).Across, 1);
  EXPECT_EQ(PuzzleModified, 1);
}

TEST_F(Autoclue, ClueEditHoldsSixtyWindowsCharacters) {
  Open(kFourWords);
  AutoclueForm->DefEdit->setText(QString(70, 'x'));
  EXPECT_EQ(Puzzle.Clue(1), std::string(60, 'x'));
  AutoclueForm->DefEdit->clear();
  AutoclueForm->DefEdit->insert(QString::fromUtf8("caf\u00e9 \u20ac5"));
  EXPECT_EQ(Puzzle.Clue(1), "caf\xE9 \x80" "5");
  AutoclueForm->DefEdit->insert(QString::fromUtf8("\u0416"));
  EXPECT_EQ(Puzzle.Clue(1), "caf\xE9 \x80" "5") << "a character without a Windows byte is refused";
}

TEST_F(Autoclue, EditKeys) {
  XwdProcs->WriteSetting("EntryCounts", 1);
  Open(kFourWords);
  AutoclueForm->DefEdit->setText("big cat");
  AutoclueForm->DefEdit->setSelection(4, 3);
  EXPECT_TRUE(Press(Qt::Key_U, Qt::ControlModifier));
  EXPECT_EQ(Edit(), "big ___cat");
  AutoclueForm->DefEdit->setCursorPosition(0);
  EXPECT_TRUE(Press(Qt::Key_U, Qt::ControlModifier));
  EXPECT_EQ(Edit(), "___big ___cat");
  EXPECT_TRUE(Press(Qt::Key_N, Qt::ControlModifier));
  EXPECT_EQ(Edit(), "___big ___cat (4)");
  EXPECT_EQ(AutoclueForm->DefEdit->cursorPosition(), AutoclueForm->DefEdit->text().size());
  EXPECT_EQ(Puzzle.Clue(1), "___big ___cat (4)");
  EXPECT_TRUE(Press(Qt::Key_Y, Qt::ControlModifier));
  EXPECT_EQ(Edit(), "");
  EXPECT_EQ(Puzzle.Clue(1), "");
  EXPECT_TRUE(Press(Qt::Key_Return));
  EXPECT_EQ(AutoclueForm->WordCount, 2);
  EXPECT_EQ(AutoclueForm->CountLbl->text(), "(3)");
  EXPECT_TRUE(AutoclueForm->CountLbl->isVisibleTo(AutoclueForm));
}

TEST_F(Autoclue, PasteButtonInsertsTheClipboardText) {
  Open(kFourWords);
  AutoclueForm->DefEdit->setText("Big ");
  QApplication::clipboard()->setText(QString::fromUtf8("cat\u2019s"));
  AutoclueForm->InsertBtnClick();
  EXPECT_EQ(Puzzle.Clue(1), "Big cat\x92s");
  QApplication::clipboard()->setText(QString::fromUtf8("\u4e00"));
  AutoclueForm->InsertBtnClick();
  EXPECT_EQ(Puzzle.Clue(1), "Big cat\x92s") << "nothing without a Windows byte is pasted";
}

TEST_F(Autoclue, EntryLengthKeyDoesNothingWithoutEntryCounts) {
  Open(kFourWords);
  AutoclueForm->DefEdit->setText("Felines");
  EXPECT_TRUE(Press(Qt::Key_N, Qt::ControlModifier)) << "consumed all the same";
  EXPECT_EQ(Edit(), "Felines");
  EXPECT_FALSE(AutoclueForm->CountLbl->isVisibleTo(AutoclueForm));
}

TEST_F(Autoclue, TheWordLimitStopsTheWalkAndStoresNothing) {
  struct Case { int level; std::vector<PlayedSound> played; };
  for (const Case& c : {Case{1, {{"WAVE_1", true}}}, Case{2, {{"WAVE_6", true}}}}) {
    SoundLevel = c.level;
    Puzzle.BylineText.Assign("Ann|0");
    Open(ManyWordsGrid());
    for (int i = 1; i < MaxClues; ++i) AutoclueForm->NextBtnClick();
    EXPECT_EQ(AutoclueForm->WordCount, 179);
    EXPECT_TRUE(AutoclueForm->DefEdit->isEnabled());
    dialogs.ExpectMessage(platform::gui::mrOk);
    AutoclueForm->NextBtnClick();
    ASSERT_FALSE(dialogs.Log().empty());
    EXPECT_EQ(dialogs.Log().back().Text,
              "Maximum word limit has been exceeded! Quillmere does not permit more than 179 words in a puzzle. "
              "Please reconstruct grid accordingly.");
    EXPECT_EQ(dialogs.Log().back().Type, platform::gui::MsgDlgType::Warning);
    EXPECT_EQ(dialogs.Log().back().Buttons, platform::gui::mbOK);
    EXPECT_EQ(Sounds(), c.played);
    EXPECT_EQ(AutoclueForm->WordCount, 180);
    EXPECT_FALSE(AutoclueForm->DefEdit->isEnabled());
    EXPECT_EQ(Edit(), "");
    EXPECT_FALSE(AutoclueForm->AddBtn->isEnabled());

    AutoclueForm->DefEdit->setText("Overflow");
    AutoclueForm->InsertIntoClue("___");
    EXPECT_EQ(Puzzle.BylineText.Text(), "Ann|0");
    EXPECT_EQ(Puzzle.WordIdx(23, 22).Down + Puzzle.WordIdx(23, 23).Across, 0);

    AutoclueForm->PrevBtnClick();
    EXPECT_EQ(AutoclueForm->WordCount, 179);
    EXPECT_TRUE(AutoclueForm->DefEdit->isEnabled());
    TearDown();
    SetUp();
    sounds.Clear();
  }
}

TEST_F(Autoclue, FollowsTheClickedWordByItsPosition) {
  // The same answer twice: 1 Across and 3 Across are both TAT.
  SetGrid("TAT"
          "O#O"
          "TAT");
  EditMode = emLetters;
  SquareSize = 20;
  AutoclueForm->Show();
  struct Case { int px, py, dir; Shown shown; };
  for (const Case& c : {Case{5, 45, 1, {1, 3, 'a', 4, 3, "TAT", "3  Across"}},
                        Case{45, 5, 2, {3, 1, 'd', 3, 2, "TOT", "2  Down"}},
                        Case{25, 45, 1, {1, 1, 'a', 1, 1, "TAT", "1  Across"}}}) {
    XwdGridForm->Direction = c.dir;
    XwdGridForm->CursorPos = PackCursor(c.px, c.py);
    AutoclueForm->ResetWalk();
    AutoclueForm->FindNextWord(AutoclueForm->GetSelectedGridWord());
    EXPECT_EQ(Now(), c.shown) << c.px << "," << c.py;
  }
}

TEST_F(Autoclue, ClosingClosesItsHelperWindows) {
  Open(kFourWords);
  AutoclueForm->CharsBtnClick();
  AutoclueForm->ListdefsBtnClick();
  EXPECT_TRUE(CharMapForm->Visible() && DefListForm->Visible());
  AutoclueForm->OkBtnClick();
  EXPECT_FALSE(AutoclueForm->Visible());
  EXPECT_FALSE(CharMapForm->Visible() || DefListForm->Visible());
}

TEST_F(Autoclue, AnEmptySquareShowsAsAnUnderscore) {
  Open("C.TS"
       "A#O#"
       "RAPT"
       "##S#");
  EXPECT_EQ(AutoclueForm->ClueLbl->text(), "C_TS");
}

}  // namespace

namespace {

TEST_F(Autoclue, AWordClickedInTheGridPutsTheKeyboardInTheClue) {
  SetGrid(kFourWords);
  EditMode = emLetters;
  XwdProcs->WriteSetting("ScreenSquare", 20);
  XwdGridForm->Show();
  AutoclueForm->Show();
  XwdGridForm->activateWindow();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::activeWindow(), XwdGridForm);
  XwdGridForm->SelectWordAt(10, 50, false);  // 3 Across, RAPT
  QApplication::processEvents();
  EXPECT_EQ(Now(), (Shown{1, 3, 'a', 4, 3, "RAPT", "3  Across"}));
  EXPECT_EQ(QApplication::activeWindow(), AutoclueForm);
  EXPECT_EQ(QApplication::focusWidget(), AutoclueForm->DefEdit);
}

}  // namespace
