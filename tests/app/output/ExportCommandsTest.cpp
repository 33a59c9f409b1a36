#include <QDir>
#include <gtest/gtest.h>

#include "ExportFixture.h"
#include "app/main/XwdMainUnit.h"
#include "app/output/ExportUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "app/tools/XwdMsgUnit.h"
#include "platform/gui/AnsiText.h"
#include "tests/support/FileSizeLimit.h"

namespace {

using namespace platform::gui;

class ExportCommands : public ExportTest {
 protected:
  // Opens the fixture puzzle, saved as Sunday.xwd, for constructing.
  void StartConstructing() {
    SetSundayGrid();
    const QString path = TempPath("Sunday.xwd");
    XwdProcs->SavePuzzle(path);
    Puzzle = TXwdPuzzle{};
    XwdMainForm->SetCommandLine({path, "-C"});
    XwdMainForm->Show();
    ASSERT_EQ(EditMode, emLetters);
  }

  QStringList Texts() const {
    QStringList texts;
    for (const CanvasCall& call : clipboard.Picture()->Drawing)
      if (call.What == CanvasCall::Kind::Text) texts << call.Text;
    return texts;
  }
};

// The Special menu's commands, one after another, as a constructor uses them.
TEST_F(ExportCommands, SpecialMenuWritesEveryFileAndFillsTheClipboard) {
  StartConstructing();
  XwdMainForm->CluesToClipboard1->trigger();
  ASSERT_TRUE(clipboard.Text());
  EXPECT_EQ(clipboard.Text()->left(16), "ACROSS\r\n  1 Clue");

  XwdMainForm->GridToClipboard1->trigger();
  ASSERT_TRUE(clipboard.Picture());
  EXPECT_EQ(Texts().front(), "1") << "the grid: numbers";
  XwdMainForm->SolutionToClipboard1->trigger();
  EXPECT_EQ(Texts().front(), "I") << "the solution alone is left";
  EXPECT_EQ(clipboard.Picture()->Description, "Sunday.xwd");
  EXPECT_FALSE(clipboard.Text());

  dialogs.ExpectSave(TempPath("Sunday.eps"), 2);
  XwdMainForm->ExportEPS1->trigger();
  dialogs.ExpectSave(TempPath("Sunday.wmf"));
  XwdMainForm->ExportMetafile1->trigger();
  dialogs.ExpectSave(TempPath("Sunday.rtf"));
  XwdMainForm->ExportRTFFile1->trigger();
  EXPECT_EQ(TempFiles(), (QStringList{"Sunday-A.EPS", "Sunday-A.WMF", "Sunday.EPS", "Sunday.RTF", "Sunday.TXT",
                                      "Sunday.WMF", "Sunday.xwd"}));
  EXPECT_TRUE(ReadFile(TempPath("Sunday.EPS")).contains("%%Title: Sunday.eps [light]\r\n"));
  EXPECT_EQ(clipboard.Picture()->Description, "Sunday.RTF");
  EXPECT_EQ(Texts().mid(0, 2), (QStringList{"1", "I"})) << "the RTF grid: numbers and letters";
  EXPECT_FALSE(InfoWin->Visible());
}

// A folder that does not exist: the error names the file and the reason, nothing is written,
// and the rest of the command does not run.
TEST_F(ExportCommands, MissingFolderStopsTheExport) {
  StartConstructing();
  const QString folder = TempPath("gone");
  struct Case {
    QAction* item;
    const char* chosen;
    const char* failing;
  };
  const Case cases[] = {
      {XwdMainForm->ExportEPS1, "Sunday.eps", "Sunday.TXT"},
      {XwdMainForm->ExportMetafile1, "Sunday.wmf", "Sunday.TXT"},
      {XwdMainForm->ExportRTFFile1, "Sunday.rtf", "Sunday.RTF"},
  };
  for (const Case& c : cases) {
    clipboard.SetText("kept");
    dialogs.ExpectSave(folder + "/" + c.chosen);
    dialogs.ExpectMessage(mrOk);
    c.item->trigger();
    const testing_support::DialogCall& box = dialogs.Log().back();
    EXPECT_EQ(box.Kind, testing_support::DialogKind::Message);
    EXPECT_EQ(box.Type, MsgDlgType::Error);
    EXPECT_EQ(box.Text, QStringLiteral("Cannot create file \"%1/%2\". No such file or directory.").arg(folder, c.failing));
    EXPECT_EQ(clipboard.Text(), "kept") << "no grid picture after a failed RTF file";
    EXPECT_FALSE(InfoWin->Visible());
  }
  EXPECT_EQ(TempFiles(), QStringList{"Sunday.xwd"});
}

// A full disk: the file that does not fit is not left behind, cut off or as a temporary file,
// an older file of that name stays as it was, and the answers file is not written.
TEST_F(ExportCommands, FullDiskLeavesNoPartFile) {
  StartConstructing();
  WriteFile(TempPath("Sunday.EPS"), "older");
  struct Case {
    QAction* item;
    const char* chosen;
  };
  for (const Case& c : {Case{XwdMainForm->ExportEPS1, "Sunday.eps"}, Case{XwdMainForm->ExportMetafile1, "Sunday.wmf"}}) {
    dialogs.ExpectSave(TempPath(c.chosen));
    dialogs.ExpectMessage(mrOk);
    {
      // The clue list fits; the pictures do not.
      testing_support::FileSizeLimit limit(2048);
      c.item->trigger();
    }
    EXPECT_TRUE(dialogs.Log().back().Text.endsWith(". File too large.")) << dialogs.Log().back().Text.toStdString();
  }
  EXPECT_EQ(ReadFile(TempPath("Sunday.EPS")), "older");
  EXPECT_EQ(TempFiles(), (QStringList{"Sunday.EPS", "Sunday.TXT", "Sunday.xwd"}));
}

}  // namespace
