#include <QTextDocument>
#include <gtest/gtest.h>

#include "ExportFixture.h"
#include "app/output/ExportUnit.h"
#include "app/puzzle/XwdProcsUnit.h"

namespace {

const QString kUnrtf = QStringLiteral("unrtf");
const std::string kSpecs = "Size of Grid: 15\xd7\r\nBlack Squares: 70  Par: 37\r\nWord Count: 139  Par: 78\r\n";

class ExportRtf : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    ExportForm->SpecsText = kSpecs;
  }

  // The text a reader takes from the file: unrtf's HTML, its characters decoded.
  static QString ReadBack(const QString& path) {
    const ReaderResult result = RunReader(kUnrtf, {"--html", path});
    EXPECT_EQ(result.Status, 0) << result.Output.toStdString();
    QTextDocument document;
    document.setHtml(QString::fromUtf8(result.Output));
    return document.toPlainText();
  }
};

TEST_F(ExportRtf, FixtureFilesMatchTheirGoldenFiles) {
  SetSundayGrid();
  ExportForm->ExportRtf(TempPath("Sunday.rtf"));
  ExpectGolden("Sunday.RTF", ReadFile(TempPath("Sunday.RTF")));

  XwdProcs->WriteSetting("Name", "Ann Setter");
  for (const char* value : {"Add1", "Add2", "Add3", "Add4"})
    XwdProcs->WriteSetting(value, QStringLiteral("%1 line").arg(value));
  ExportForm->ExportRtf(TempPath("Sunday.rtf"));
  ExpectGolden("Sunday-Add4.RTF", ReadFile(TempPath("Sunday.RTF")));
}

TEST_F(ExportRtf, SmartQuotes) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"a \"b\" \"c\" it's", "a \x93" "b\x94 \x93" "c\x94 it\x92s"},
      {"\"open", "\x93open"},
      {"none", "none"},
  };
  for (const Case& c : cases) EXPECT_EQ(TExportForm::SmartQuotes(c.in), c.out) << c.in;
}

// Braces, backslashes, accents and quotes in clues, answers, the address and the title come
// back from a reader as they were written; empty squares are blanks, placeholders "?".
TEST_F(ExportRtf, TextsReadBackUnchanged) {
  SetGrid("CAFE"
          "A###"
          "B.?#"
          "####");
  Puzzle.Solution(4, 1) = 0xC9;  // É
  Puzzle.WordIdx(1, 1) = {1, 2};
  Puzzle.SetClue(1, "Say \"hi\" {to} C:\\temp, it's caf\xe9");
  Puzzle.SetClue(2, "Taxi}{");
  XwdProcs->WriteSetting("Name", QString::fromUtf8("Zoë {Setter}"));
  XwdProcs->WriteSetting("Add4", QString::fromUtf8("Back\\slash ✓"));
  ExportForm->ExportRtf(TempPath(QString::fromUtf8("Ünïcode✓.rtf")));
  const QByteArray rtf = ReadFile(TempPath(QString::fromUtf8("Ünïcode✓.RTF")));
  EXPECT_TRUE(rtf.contains("{\\info{\\title \\'dcn\\'efcode\\u10003?}"));
  EXPECT_TRUE(rtf.contains("\\par\\tab 1\\tab Say \\'93hi\\'94 \\{to\\} C:\\\\temp, it\\'92s caf\\'e9\\tab CAF\\'c9\r\n"));
  EXPECT_TRUE(rtf.contains("\\tab B ?\r\n")) << "the empty square is a blank";

  // Every brace that is not text opens or closes a group, and the groups balance.
  int depth = 0;
  for (qsizetype i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\') {
      ++i;
    } else if (rtf[i] == '{') {
      ++depth;
    } else if (rtf[i] == '}') {
      EXPECT_GE(--depth, 0) << "at byte " << i;
    }
  }
  EXPECT_EQ(depth, 0);

  if (!HasReader(kUnrtf)) GTEST_SKIP() << "unrtf is not installed (scripts/setup)";
  const QString text = ReadBack(TempPath(QString::fromUtf8("Ünïcode✓.RTF")));
  for (const char* expected : {"Say “hi” {to} C:\\temp, it’s café", "CAFÉ", "Taxi}{", "Zoë {Setter}",
                               "Back\\slash", "Address 1", "Size of Grid: 15×", "Black Squares: 70",
                               "Word Count: 139", "Insert puzzle grid as graphic file or from Clipboard."})
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
}

// Sunday.rtf gives Sunday.RTF, headed Sunday, and leaves its numbered grid with the letters on
// the clipboard.
TEST_F(ExportRtf, NameTitleAndClipboardPicture) {
  SetSundayGrid();
  ExportForm->ExportRtf(TempPath("Sunday.rtf"));
  EXPECT_EQ(ExportForm->OutputName, TempPath("Sunday.RTF"));
  EXPECT_EQ(TempFiles(), QStringList{"Sunday.RTF"});
  const QByteArray rtf = ReadFile(TempPath("Sunday.RTF"));
  EXPECT_TRUE(rtf.contains("{\\title Sunday}"));
  EXPECT_EQ(rtf.count("\\f4\\fs20 Sunday\\tab Page"), 2);
  ASSERT_TRUE(clipboard.Picture());
  EXPECT_EQ(clipboard.Picture()->Description, "Sunday.RTF");
  QStringList texts;
  for (const auto& call : clipboard.Picture()->Drawing)
    if (call.What == platform::gui::CanvasCall::Kind::Text) texts << call.Text;
  EXPECT_EQ(texts.mid(0, 3), (QStringList{"1", "I", "W"})) << "numbers and letters: the kind 3 picture";
}

}  // namespace
