// The clue database window with Autoclue, on a clue table in memory: opening by the Tools
// settings, the clues of the shown word, taking one, adding one, stepping through the entries,
// and the failures that must leave the puzzle alone.

#include <gtest/gtest.h>

#include <QDir>

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

TEST_F(CluesDB, AnAnswerWithEmptySquaresIsNeitherLookedUpNorAdded) {
  Puzzle.Solution(2, 1) = EmptySquare;  // C_TS
  OpenWindow();
  EXPECT_EQ(CluesDBForm->Caption(), "C_TS");
  EXPECT_TRUE(NoDefinitions());
  AutoclueForm->DefEdit->setText("Anything");
  AutoclueForm->AddBtnClick();
  EXPECT_TRUE(table.writes.empty());
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
            "The clue database is busy: another program is writing to it. Try again in a moment.");
  EXPECT_EQ(Listed().size(), 11);
  EXPECT_TRUE(table.writes.empty());
}

TEST_F(CluesDB, TableErrorClosesTheTableAndKeepsThePuzzle) {
  OpenWindow();
  const TXwdPuzzle before = Puzzle;
  table.damaged = true;
  dialogs.ExpectMessage(mrOk);
  AutoclueForm->NextBtnClick();
  ASSERT_EQ(dialogs.Log().size(), 1u);
  EXPECT_EQ(dialogs.Log()[0].Text, "The clue table is damaged.");
  EXPECT_FALSE(CluesDBForm->TableOpen());
  EXPECT_FALSE(AutoclueForm->AddBtn->isEnabled());
  EXPECT_TRUE(Listed().isEmpty());
  EXPECT_EQ(Puzzle, before);
  AutoclueForm->NextBtnClick();  // nothing more is reported
  EXPECT_EQ(dialogs.Log().size(), 1u);
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
    ASSERT_TRUE(CluesDBForm->Visible());
  }

  static QStringList Listed() { return Lines(CluesDBForm->ClueList); }

  std::string folder;
};

TEST_F(CluesDBTable, FlowThroughTheMainWindow) {
  OpenPuzzleAndWindow();
  EXPECT_EQ(CluesDBForm->Caption(), "CAT");
  ASSERT_EQ(Listed().size(), 14) << "13 clues over two records and the note";
  EXPECT_EQ(Listed().front(), "Feline friend");
  EXPECT_EQ(Listed().back(), "Kitten, when grown");
  EXPECT_TRUE(AutoclueForm->AddBtn->isEnabled());

  // A click takes a clue.
  CluesDBForm->ClueList->setCurrentRow(2);
  CluesDBForm->ClueListMouseUp();
  EXPECT_EQ(Puzzle.Clue(Puzzle.WordIdx(1, 1).Across), "Mouser");

  // Add stores a new clue: the entry is packed again over its records.
  AutoclueForm->DefEdit->setText("Whiskered pet");
  AutoclueForm->AddBtnClick();
  EXPECT_EQ(Listed().size(), 15);
  EXPECT_TRUE(Listed().contains("Whiskered pet"));
  {
    // Another open of the table, as another program, reads it.
    xbase::TOvDbf other;
    other.SetName("OTHER");
    TDbfClueTable otherTable(other);
    ASSERT_EQ(otherTable.Open(folder + "/CLUES.DBF"), "");
    TClueVault otherVault(otherTable);
    const TClueEntry& cat = otherVault.LookupEntry("CAT");
    EXPECT_EQ(cat.Clues.size(), 15u);
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
