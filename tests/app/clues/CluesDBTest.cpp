// The clue database window with Autoclue, on a clue table in memory: opening by the Tools
// settings, the clues of the shown word and its notes apart, taking one, adding one (also while
// the program moves on during the add's wait), stepping through the entries, and the failures
// that must leave the puzzle alone and the window working.

#include <gtest/gtest.h>

#include <QDir>
#include <QTest>
#include <QTimer>

#include "AppTest.h"
#include "app/clues/CluesDBUnit.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "clues/ClueFixture.h"
#include "platform/gui/SettingsStore.h"
#include "tests/app/clues/FakeClueTable.h"
#include "tests/xbase/multiprocess/PeerProcess.h"
#include "tools/cluedb/SampleClues.h"

namespace {

using platform::gui::mrOk;
using platform::gui::SettingsStore;

const QString kTools = QStringLiteral("Software\\Quillmere32\\Tools");

class CluesDB : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    SettingsStore::WriteString(kTools, "VaultDataFile", "clues.dbf");
    CluesDBForm->SetClueTable(&table);
    // 1 Across CATS, 1 Down CAR, 2 Down TOPS, 3 Across RAPT.
    table.Add("CATS", true, Numbered("Cats clue ", 10));
    table.Add("CAR", false, {"Auto", "Motor"});
    table.Add("CATS&", false, {"Cats clue 11"});
    table.Add("RAPT", false, {"Spellbound"});
    SetGrid(kFourWords);
    EditMode = emLetters;
    AutoclueForm->Show();
  }

  static std::vector<std::string> Numbered(const std::string& prefix, int count) {
    std::vector<std::string> clues;
    for (int n = 1; n <= count; ++n) clues.push_back(prefix + std::to_string(n));
    return clues;
  }

  void OpenWindow() {
    AutoclueForm->CluesBtnClick();
    ASSERT_TRUE(CluesDBForm->Visible());
  }

  static QStringList Listed() { return Lines(CluesDBForm->ClueList); }
  static bool NoDefinitions() { return CluesDBForm->NoFindLbl->isVisibleTo(CluesDBForm); }

  FakeClueTable table;
};

TEST_F(CluesDB, ListsTheShownWordsCluesOverItsContinuationRecords) {
  OpenWindow();
  EXPECT_EQ(table.path, "clues.dbf");
  EXPECT_EQ(CluesDBForm->Caption(), "CATS");
  EXPECT_EQ(Listed().size(), 11);
  EXPECT_EQ(Listed().back(), "Cats clue 11");
  EXPECT_FALSE(NoDefinitions());
  EXPECT_TRUE(AutoclueForm->AddBtn->isEnabled());
  EXPECT_EQ(AutoclueForm->AddBtn->toolTip(), "Add definition to clue database");
  EXPECT_EQ(AutoclueForm->CluesBtn->toolTip(), "Close clue database");
  EXPECT_EQ(AutoclueForm->AddBtn->property("ImageIndex").toInt(), 8);

  AutoclueForm->NextBtnClick();  // 1 Down CAR
  EXPECT_EQ(CluesDBForm->Caption(), "CAR");
  EXPECT_EQ(Listed(), (QStringList{"Auto", "Motor"}));
  AutoclueForm->NextBtnClick();  // 2 Down TOPS: not in the table
  EXPECT_EQ(CluesDBForm->Caption(), "TOPS");
  EXPECT_TRUE(Listed().isEmpty());
  EXPECT_TRUE(NoDefinitions());
  EXPECT_EQ(CluesDBForm->NoFindLbl->text(), "No Definitions!");
  // Settings were read under the Tools key and the program's key is back.
  EXPECT_EQ(SettingsKey, ApplicationSettingsKey);
}

TEST_F(CluesDB, ClickOnAClueMakesItTheWordsClue) {
  OpenWindow();
  AutoclueForm->NextBtnClick();  // CAR
  CluesDBForm->ClueList->setCurrentRow(1);
  CluesDBForm->ClueListMouseUp();
  EXPECT_EQ(AutoclueForm->DefEdit->text(), "Motor");
  EXPECT_EQ(Puzzle.Clue(Puzzle.WordIdx(1, 1).Down), "Motor");
  EXPECT_EQ(PuzzleModified, 1);
}

TEST_F(CluesDB, AddStoresTheEditsClueOnce) {
  OpenWindow();
  AutoclueForm->NextBtnClick();  // CAR
  AutoclueForm->DefEdit->setText("Vehicle");
  AutoclueForm->AddBtnClick();
  EXPECT_EQ(Listed(), (QStringList{"Auto", "Motor", "Vehicle"}));
  AutoclueForm->DefEdit->setText("VEHICLE");
  AutoclueForm->AddBtnClick();
  AutoclueForm->DefEdit->setText("   ");
  AutoclueForm->AddBtnClick();
  EXPECT_EQ(table.writes, std::vector<std::string>{"replace 2"});

  AutoclueForm->NextBtnClick();  // TOPS, a new entry
  AutoclueForm->DefEdit->setText("Best of all");
  AutoclueForm->AddBtnClick();
  EXPECT_FALSE(NoDefinitions());
  EXPECT_EQ(Listed(), QStringList{"Best of all"});
  EXPECT_EQ(table.writes.back(), "append TOPS");
  EXPECT_FALSE(table.HoldsLocks());
  EXPECT_TRUE(dialogs.Log().empty());
}

TEST_F(CluesDB, NextAndPreviousStayAtTheEnds) {
  OpenWindow();
  struct Step {
    QToolButton* button;
    const char* caption;
    int clues;
  };
  QToolButton* next = CluesDBForm->NextBtn;
  QToolButton* prev = CluesDBForm->PrevBtn;
  for (const Step& step : {Step{prev, "CAR", 2}, Step{prev, "CAR", 2}, Step{next, "CATS", 11},
                           Step{next, "RAPT", 1}, Step{next, "RAPT", 1}, Step{prev, "CATS", 11}}) {
    step.button->click();
    EXPECT_EQ(CluesDBForm->Caption(), step.caption);
    EXPECT_EQ(Listed().size(), step.clues) << step.caption;
  }
}

TEST_F(CluesDB, NotesAreShownApartAndNeverTaken) {
  table.records[3].Values["NOTE"] = "Not RAPPED";
  OpenWindow();
  CluesDBForm->LookupEntry("RAPT");
  ASSERT_EQ(Listed(), (QStringList{"Spellbound", "Note: Not RAPPED"}));
  const QListWidgetItem* clue = CluesDBForm->ClueList->item(0);
  const QListWidgetItem* note = CluesDBForm->ClueList->item(1);
  EXPECT_NE(note->foreground().color(), CluesDBForm->ClueList->palette().color(QPalette::Text));
  EXPECT_TRUE(note->font().italic());
  EXPECT_FALSE(clue->font().italic());
  EXPECT_FALSE(note->flags() & Qt::ItemIsSelectable);
  // A click on the note takes nothing, also after a clue was selected; one on the clue takes it.
  const std::string before = Puzzle.Clue(Puzzle.WordIdx(1, 1).Across);
  for (const int row : {1, 0, 1}) {
    const QRect place = CluesDBForm->ClueList->visualItemRect(CluesDBForm->ClueList->item(row));
    QTest::mouseClick(CluesDBForm->ClueList->viewport(), Qt::LeftButton, {}, place.center());
    if (row == 0) {
      EXPECT_EQ(AutoclueForm->DefEdit->text(), "Spellbound");
      AutoclueForm->DefEdit->setText(QString::fromStdString(before));
    }
  }
  EXPECT_EQ(AutoclueForm->DefEdit->text(), QString::fromStdString(before));
  CluesDBForm->ClueList->setCurrentRow(1);
  CluesDBForm->ClueListMouseUp();
  EXPECT_EQ(AutoclueForm->DefEdit->text(), QString::fromStdString(before));
}

TEST_F(CluesDB, AnswersWithEmptyOrPlaceholderSquaresAreNeitherLookedUpNorAdded) {
  for (const auto& [square, caption] : {std::pair{EmptySquare, "C_TS"}, std::pair{PlaceholderLetter, "C?TS"}}) {
    Puzzle.Solution(2, 1) = square;
    OpenWindow();
    EXPECT_EQ(CluesDBForm->Caption(), caption);
    EXPECT_TRUE(NoDefinitions());
    EXPECT_FALSE(AutoclueForm->AddBtn->isEnabled()) << caption;
    AutoclueForm->DefEdit->setText("Anything");
    AutoclueForm->AddBtnClick();
    CluesDBForm->AddClue("Anything");
    EXPECT_TRUE(table.writes.empty()) << caption;
    // A whole answer takes Add again.
    AutoclueForm->NextBtnClick();  // CAR
    EXPECT_TRUE(AutoclueForm->AddBtn->isEnabled());
    AutoclueForm->CluesBtnClick();
    AutoclueForm->PrevBtnClick();
  }
}

TEST_F(CluesDB, WhileAnAddWaitsTheProgramMovesOnAndTheClueKeepsItsWord) {
  OpenWindow();
  AutoclueForm->NextBtnClick();
  AutoclueForm->NextBtnClick();  // 2 Down TOPS: not in the table
  table.tableLockedElsewhere = true;
  bool addEnabledMeanwhile = true;
  // While the add waits for the table lock: Enter in Autoclue (to 3 Across RAPT), the window's
  // arrows and Add again; then the other program lets the lock go.
  QTimer::singleShot(0, CluesDBForm, [&] {
    addEnabledMeanwhile = AutoclueForm->AddBtn->isEnabled();
    std::uint8_t enter = 13;
    AutoclueForm->DefEditKeyPress(enter);
    CluesDBForm->NextBtnClick();
    CluesDBForm->PrevBtnClick();
    AutoclueForm->DefEdit->setText("Second");
    AutoclueForm->AddBtnClick();
    CluesDBForm->AddClue("Second");
    table.tableLockedElsewhere = false;
  });
  AutoclueForm->DefEdit->setText("Best of all");
  AutoclueForm->AddBtnClick();
  EXPECT_FALSE(addEnabledMeanwhile);
  EXPECT_EQ(table.writes, std::vector<std::string>{"append TOPS"});
  EXPECT_EQ(table.Dump().back(), "TOPS F Best of all");
  EXPECT_EQ(table.Dump().at(3), "RAPT F Spellbound");
  // The window shows the answer that Autoclue shows, and the next Add goes to it.
  EXPECT_EQ(AutoclueForm->ClueLbl->text(), "RAPT");
  EXPECT_EQ(CluesDBForm->Caption(), "RAPT");
  EXPECT_EQ(Listed(), QStringList{"Spellbound"});
  EXPECT_TRUE(AutoclueForm->AddBtn->isEnabled());
  AutoclueForm->DefEdit->setText("Enchanted");
  AutoclueForm->AddBtnClick();
  EXPECT_EQ(Listed(), (QStringList{"Spellbound", "Enchanted"}));
  EXPECT_EQ(table.writes.back(), "replace 4");
  EXPECT_TRUE(dialogs.Log().empty());
}

TEST_F(CluesDB, TablesThatCannotBeOpenedAreSaidOnceAndTheWindowStaysClosed) {
  for (const QString& path : {QString(), QStringLiteral("elsewhere.dbf")}) {
    SettingsStore::WriteString(kTools, "VaultDataFile", path);
    dialogs.ExpectMessage(mrOk);
    AutoclueForm->CluesBtnClick();
    EXPECT_FALSE(CluesDBForm->Visible());
    EXPECT_FALSE(CluesDBForm->TableOpen());
    EXPECT_FALSE(AutoclueForm->AddBtn->isEnabled());
    EXPECT_EQ(AutoclueForm->CluesBtn->toolTip(), "Open clue database");
    ASSERT_EQ(dialogs.Log().size(), 1u);
    EXPECT_EQ(dialogs.Log().back().Text, "The clue database was not found.");
    dialogs = {};
  }
  EXPECT_EQ(SettingsKey, ApplicationSettingsKey);
}

TEST_F(CluesDB, BusyTableIsSaidAndTheListShowsTheTable) {
  OpenWindow();
  table.tableLockedElsewhere = true;
  AutoclueForm->DefEdit->setText("New clue");
  dialogs.ExpectMessage(mrOk);
  AutoclueForm->AddBtnClick();
  ASSERT_EQ(dialogs.Log().size(), 1u);
  EXPECT_EQ(dialogs.Log()[0].Text,
            "The clue database is busy: another program is using it. Try again in a moment.");
  EXPECT_EQ(Listed().size(), 11);
  EXPECT_TRUE(table.writes.empty());
}

TEST_F(CluesDB, AfterATableErrorTheNextLookUpOrAddOpensTheTableAgain) {
  enum class Next { LookUp, Arrow, Add };
  for (const Next next : {Next::LookUp, Next::Arrow, Next::Add}) {
    OpenWindow();  // CATS
    const TXwdPuzzle before = Puzzle;
    table.damaged = true;
    dialogs.ExpectMessage(mrOk);
    AutoclueForm->NextBtnClick();  // CAR
    ASSERT_EQ(dialogs.Log().size(), 1u);
    EXPECT_EQ(dialogs.Log()[0].Text, "The clue table is damaged.");
    EXPECT_FALSE(CluesDBForm->TableOpen());
    EXPECT_TRUE(Listed().isEmpty());
    EXPECT_EQ(Puzzle, before);
    EXPECT_TRUE(CluesDBForm->Visible());
    EXPECT_TRUE(AutoclueForm->AddBtn->isEnabled()) << "Add opens the table again";

    // The table is readable again (another program mended it).
    table.damaged = false;
    switch (next) {
      case Next::LookUp:
        AutoclueForm->PrevBtnClick();  // CATS, listed a moment before
        EXPECT_EQ(CluesDBForm->Caption(), "CATS");
        EXPECT_EQ(Listed().size(), 11);
        break;
      case Next::Arrow:
        CluesDBForm->NextBtnClick();  // from CAR to CATS
        EXPECT_EQ(CluesDBForm->Caption(), "CATS");
        EXPECT_EQ(Listed().size(), 11);
        break;
      case Next::Add:
        AutoclueForm->DefEdit->setText("Motor");
        AutoclueForm->AddBtnClick();  // listed already: nothing added
        EXPECT_EQ(Listed(), (QStringList{"Auto", "Motor"}));
        AutoclueForm->DefEdit->setText("Vehicle");
        AutoclueForm->AddBtnClick();
        EXPECT_EQ(Listed(), (QStringList{"Auto", "Motor", "Vehicle"}));
        break;
    }
    EXPECT_TRUE(CluesDBForm->TableOpen());
    EXPECT_EQ(dialogs.Log().size(), 1u);
    AutoclueForm->CluesBtnClick();
    AutoclueForm->ResetWalk();
    AutoclueForm->FindNextWord({});
    dialogs = {};
  }
}

TEST_F(CluesDB, ATableThatCannotBeOpenedAgainClosesTheWindow) {
  OpenWindow();
  table.damaged = true;
  dialogs.ExpectMessage(mrOk);
  AutoclueForm->NextBtnClick();
  table.path = "gone.dbf";
  dialogs.ExpectMessage(mrOk);
  AutoclueForm->NextBtnClick();
  ASSERT_EQ(dialogs.Log().size(), 2u);
  EXPECT_EQ(dialogs.Log()[1].Text, "The clue database was not found.");
  EXPECT_FALSE(CluesDBForm->Visible());
  EXPECT_FALSE(AutoclueForm->AddBtn->isEnabled());
  EXPECT_EQ(AutoclueForm->CluesBtn->toolTip(), "Open clue database");
}

TEST_F(CluesDB, ClosingAutoclueClosesTheWindow) {
  OpenWindow();
  AutoclueForm->OkBtnClick();
  EXPECT_FALSE(CluesDBForm->Visible());
  EXPECT_EQ(AutoclueForm->CluesBtn->toolTip(), "Open clue database");
  EXPECT_EQ(AutoclueForm->AddBtn->property("ImageIndex").toInt(), 7);
  EXPECT_FALSE(AutoclueForm->AddBtn->isEnabled());
}

// ---- On the sample clue database

// The sample clue database in the test's folder, named in the Tools settings; a puzzle of CAT
// (in the sample over two records, with a note), BEE, CAB and TOE (not in it).
class CluesDBTable : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    folder = TempPath("clues").toStdString();
    WriteSample(folder);
    SettingsStore::WriteString(kTools, "VaultDataFile", QString::fromStdString(folder + "/CLUES.DBF"));
  }

  void OpenPuzzleAndWindow() {
    SetGrid("CAT"
            "A#O"
            "BEE");
    Puzzle.BylineText.Assign("Ann|0");
    const QString path = TempPath("cat.xwd");
    XwdProcs->SavePuzzle(path);
    XwdMainForm->SetCommandLine({path, "-C"});
    XwdMainForm->Show();
    XwdMainForm->AutoclueBtnClick();
    ASSERT_TRUE(AutoclueForm->Visible());
    AutoclueForm->CluesBtnClick();
  }

  static QStringList Listed() { return Lines(CluesDBForm->ClueList); }

  std::string folder;
};

TEST_F(CluesDBTable, FlowThroughTheMainWindow) {
  OpenPuzzleAndWindow();
  ASSERT_TRUE(CluesDBForm->Visible());
  EXPECT_EQ(CluesDBForm->Caption(), "CAT");
  ASSERT_EQ(Listed().size(), 14) << "13 clues over two records and the note";
  EXPECT_EQ(Listed().front(), "Feline friend");
  EXPECT_EQ(Listed().at(12), "Kitten, when grown");
  EXPECT_EQ(Listed().back(), "Note: Not \"Tom or tabby\" twice in one puzzle.");
  EXPECT_TRUE(AutoclueForm->AddBtn->isEnabled());

  // A click takes a clue.
  CluesDBForm->ClueList->setCurrentRow(2);
  CluesDBForm->ClueListMouseUp();
  EXPECT_EQ(Puzzle.Clue(Puzzle.WordIdx(1, 1).Across), "Mouser");

  // Add stores a new clue: the entry is packed again over its records.
  AutoclueForm->DefEdit->setText("Whiskered pet");
  AutoclueForm->AddBtnClick();
  EXPECT_EQ(Listed().size(), 15);
  EXPECT_EQ(Listed().at(13), "Whiskered pet");
  {
    // Another open of the table, as another program, reads it.
    xbase::TOvDbf other;
    other.SetName("OTHER");
    TDbfClueTable otherTable(other);
    ASSERT_EQ(otherTable.Open(folder + "/CLUES.DBF"), "");
    TClueVault otherVault(otherTable);
    const TClueEntry& cat = otherVault.LookupEntry("CAT");
    EXPECT_EQ(cat.Clues.size(), 14u);
    EXPECT_EQ(cat.Notes.size(), 1u);
    EXPECT_EQ(cat.Clues.back(), "Whiskered pet");
  }
  // No lock is left behind: another program sees none on the table.
  {
    xbase::PeerGroup peers(folder);
    xbase::PeerProcess& peer = peers.Start();
    EXPECT_EQ(peer.Ask("use CLUES.DBF").code, 0);
    EXPECT_EQ(peer.Ask("probe 0x40000000 0x40000000").result, "none");
  }

  // The next word is not in the table; a clue added for it makes its entry.
  AutoclueForm->NextBtnClick();  // 1 Down CAB
  EXPECT_EQ(CluesDBForm->Caption(), "CAB");
  EXPECT_TRUE(CluesDBForm->NoFindLbl->isVisibleTo(CluesDBForm));
  AutoclueForm->DefEdit->setText("Taxi");
  AutoclueForm->AddBtnClick();
  EXPECT_EQ(Listed(), QStringList{"Taxi"});
  EXPECT_FALSE(CluesDBForm->NoFindLbl->isVisibleTo(CluesDBForm));

  // Next and Previous stay at both ends of the table.
  CluesDBForm->LookupEntry("ZONE");
  CluesDBForm->NextBtn->click();
  EXPECT_EQ(CluesDBForm->Caption(), "ZONE");
  CluesDBForm->PrevBtn->click();
  EXPECT_EQ(CluesDBForm->Caption(), "ZESTY");
  CluesDBForm->LookupEntry("ABACI");
  CluesDBForm->PrevBtn->click();
  EXPECT_EQ(CluesDBForm->Caption(), "ABACI");
  CluesDBForm->NextBtn->click();
  EXPECT_EQ(CluesDBForm->Caption(), "ABBEY");
  EXPECT_TRUE(dialogs.Log().empty());
}

TEST_F(CluesDBTable, DamagedIndexIsSaidWithWhatToDo) {
  const QString index = QString::fromStdString(folder + "/CLUES.NDX");
  const QByteArray good = ReadFile(index);
  QByteArray damaged = good;
  damaged.replace(512, 2000, QByteArray(2000, '\xFF'));
  WriteFile(index, damaged);
  dialogs.ExpectMessage(mrOk);
  OpenPuzzleAndWindow();  // the index fails as the table opens
  ASSERT_EQ(dialogs.Log().size(), 1u);
  const QStringList said = dialogs.Log()[0].Text.split('\n');
  ASSERT_EQ(said.size(), 3) << dialogs.Log()[0].Text.toStdString();
  EXPECT_EQ(said[0], "The index of the clue database, \"" + index + "\", is damaged.");
  EXPECT_EQ(said[1], QString::fromStdString("Rebuild it with: cluedb index \"" + folder + "/CLUES.DBF\""));
  EXPECT_TRUE(said[2].startsWith("Details: Error # 254 ")) << said[2].toStdString();
  EXPECT_TRUE(said[2].endsWith("[GetNode]")) << said[2].toStdString();
  EXPECT_FALSE(CluesDBForm->Visible());

  // Mended: the window opens on it again.
  WriteFile(index, good);
  AutoclueForm->CluesBtnClick();
  EXPECT_TRUE(CluesDBForm->Visible());
  EXPECT_EQ(Listed().size(), 14);
  EXPECT_EQ(dialogs.Log().size(), 1u);
}

TEST_F(CluesDBTable, MissingIndexIsSaidOnceAndNothingIsCreated) {
  ASSERT_TRUE(QDir().remove(QString::fromStdString(folder + "/CLUES.NDX")));
  SetGrid(kFourWords);
  EditMode = emLetters;
  AutoclueForm->Show();
  dialogs.ExpectMessage(mrOk);
  AutoclueForm->CluesBtnClick();
  EXPECT_FALSE(CluesDBForm->Visible());
  EXPECT_FALSE(AutoclueForm->AddBtn->isEnabled());
  ASSERT_EQ(dialogs.Log().size(), 1u);
  EXPECT_TRUE(dialogs.Log()[0].Text.contains("has no index")) << dialogs.Log()[0].Text.toStdString();
  EXPECT_FALSE(QFile::exists(QString::fromStdString(folder + "/CLUES.NDX")));
}

}  // namespace
