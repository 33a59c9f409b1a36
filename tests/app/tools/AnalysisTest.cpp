#include "app/tools/AnalysisUnit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>

#include <algorithm>
#include <string>

#include "AppTest.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/Colors.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/SystemMetrics.h"
#include "tests/support/RecordingCanvas.h"

namespace {

using namespace platform::gui;
using testing_support::CanvasCall;
using testing_support::RecordingCanvas;

// Two- and three-letter words, words ending in S, a placeholder and a symmetric pattern.
const std::string kShortWords =
    "AS#B"
    "ITS#"
    "#ONE"
    "?#SO";

class Analysis : public AppTest {
 protected:
  // Shows the window over the grid of `rows` and closes it again.
  void Analyse(const std::string& rows, const std::string& byline = "Ann|0") {
    SetGrid(rows);
    Puzzle.BylineText.Assign(byline);
    dialogs.ExpectModal([](TForm&) { return mrOk; });
    AnalysisForm->ShowModal();
  }
  static TColor TextColor(const QLabel* label) { return FromQColor(label->palette().color(QPalette::WindowText)); }
};

TEST_F(Analysis, ShowsTheFiguresOfTheGrid) {
  struct Case {
    const char* name;
    std::string rows;
    QStringList values;  // black, across, down, total, 3-letter, 2-letter, ending in S, average
    QString ident;
    QString verdict;
  };
  const Case cases[] = {
      {"filled",
       "CAT"
       "A#O"
       "TOP",
       {"1", "2", "2", "4", "4", "0", "0", "3"},
       "CAT - TOP    3x",
       "OK"},
      {"short words", kShortWords, {"4", "4", "4", "8", "4", "4", "3", "2"}, "AS - ITS    4x", "OK"},
      {"all black", std::string(9, '#'), {"9", "0", "0", "0", "0", "0", "0", "0"}, " -     3x", "OK"},
      {"black only at the top left",
       "#AB"
       "CDE"
       "FGH",
       {"1", "3", "3", "6", "4", "2", "0", "2"},
       "AB - CDE    3x",
       "NO"},
      {"first word unfinished",
       "C.T"
       "A#O"
       "TOP",
       {"1", "2", "2", "4", "4", "0", "0", "3"},
       "INCOMPLETE",
       "OK"},
      {"second word unfinished",
       "CAT"
       "A#O"
       "T.P",
       {"1", "2", "2", "4", "4", "0", "0", "3"},
       "CAT - T_P    3x",
       "OK"},
      // Accented letters count in the words, not in the distribution.
      {"accented",
       "\xC9TS"
       "###"
       "\xC0LA",
       {"3", "2", "0", "2", "2", "0", "1", "3"},
       QString::fromUtf8("ÉTS - ÀLA    3x"),
       "OK"},
  };
  for (const Case& c : cases) {
    Analyse(c.rows);
    const QLabel* values[] = {AnalysisForm->BlackSqValue,  AnalysisForm->AcrossValue, AnalysisForm->DownValue,
                              AnalysisForm->TotalValue,    AnalysisForm->ThreeLtrValue, AnalysisForm->TwoLtrValue,
                              AnalysisForm->EndsInSValue, AnalysisForm->AverageValue};
    QStringList shown;
    for (const QLabel* value : values) shown << value->text();
    EXPECT_EQ(shown, c.values) << c.name;
    EXPECT_EQ(AnalysisForm->IdentLbl->text(), c.ident) << c.name;
    EXPECT_EQ(AnalysisForm->VerdictLbl->text(), c.verdict) << c.name;
    EXPECT_EQ(TextColor(AnalysisForm->VerdictLbl), c.verdict == "OK" ? clNavy : clRed) << c.name;
    // The two-letter line is grey without two-letter words.
    const TColor twoLetters = c.values[5] == "0" ? clGray : clBlack;
    EXPECT_EQ(TextColor(AnalysisForm->TwoLtrLbl), twoLetters) << c.name;
    EXPECT_EQ(TextColor(AnalysisForm->TwoLtrValue), twoLetters) << c.name;
  }
}

TEST_F(Analysis, TheIdentificationLineNamesTheFirstTwoAcrossAnswersAndTheSize) {
  std::string rows(15 * 15, '#');
  rows.replace(0, 3, "ABC");
  rows.replace(15, 3, "DEF");
  Analyse(rows);
  EXPECT_EQ(AnalysisForm->IdentLbl->text(), "ABC - DEF    15x");
}

TEST_F(Analysis, TheCaptionNamesTheGridLanguage) {
  const char* captions[] = {"Puzzle Analysis",
                            "Puzzle Analysis (French)",
                            "Puzzle Analysis (Spanish)",
                            "Puzzle Analysis (Italian)",
                            "Puzzle Analysis (German)",
                            "Puzzle Analysis (Swedish)",
                            "Puzzle Analysis (Norwegian)",
                            "Puzzle Analysis (Danish)",
                            "Puzzle Analysis (Multilingual)",
                            // A digit without a language adds nothing.
                            "Puzzle Analysis"};
  for (int digit = 0; digit <= 9; ++digit) {
    Analyse("####", "Ann|" + std::to_string(digit));
    EXPECT_EQ(AnalysisForm->Caption(), captions[digit]) << digit;
  }
  Analyse("####", "Ann");
  EXPECT_EQ(AnalysisForm->Caption(), "Puzzle Analysis");
}

// The title bar shows the whole caption, with the window's icon and buttons beside it; the
// contents keep their size.
TEST_F(Analysis, TheWindowIsAsWideAsItsCaption) {
  // A large font makes the caption wider than the window's contents.
  const QFont normal = QApplication::font();
  QFont large = normal;
  large.setPointSize(14);
  QApplication::setFont(large);
  struct RestoreFont {
    QFont font;
    ~RestoreFont() { QApplication::setFont(font); }
  } restore{normal};
  Analyse("####", "Ann|0");
  const QSize contents = AnalysisForm->size();
  Analyse("####", "Ann|8");
  QFont title = QApplication::font();
  title.setBold(true);
  const int captionText = QFontMetrics(title).horizontalAdvance("Puzzle Analysis (Multilingual)");
  EXPECT_GE(AnalysisForm->Width(), captionText + 4 * GetSystemMetrics(SM_CYCAPTION));
  EXPECT_EQ(AnalysisForm->height(), contents.height());
  EXPECT_GE(AnalysisForm->width(), contents.width());
}

TEST_F(Analysis, TheDistributionBoxDrawsEveryLetterWithItsCount) {
  Analyse(kShortWords);
  RecordingCanvas canvas;
  // Rows 133 div 7 + 1 = 20 apart, columns 240 div 4 + 6 = 66.
  AnalysisForm->LtrBoxPaint(canvas, 240, 133);
  const auto texts = canvas.CallsOf(CanvasCall::Kind::Text);
  ASSERT_EQ(texts.size(), 27u * 3);
  struct Entry {
    const char* character;
    int x, y;
    const char* count;
    TColor color;
  };
  const Entry entries[] = {
      {"A", 0, 0, "1", clMaroon},      {"D", 198, 0, "0", clWhite},   {"O", 132, 60, "2", clMaroon},
      {"S", 132, 80, "3", clMaroon},   {"Y", 0, 120, "0", clWhite},   {"Z", 66, 120, "0", clWhite},
      {"?", 198, 120, "1", clMaroon},
  };
  for (const Entry& e : entries) {
    const auto at =
        std::find_if(texts.begin(), texts.end(), [&](const CanvasCall& call) { return call.Text == e.character; });
    ASSERT_NE(at, texts.end()) << e.character;
    EXPECT_EQ(QPoint(at->Left, at->Top), QPoint(e.x, e.y)) << e.character;
    EXPECT_EQ(at->Font.Color, e.color) << e.character;
    // The dash 15 pixels right, the count ending 40 pixels right of the character.
    EXPECT_EQ((at + 1)->Text, "-");
    EXPECT_EQ(QPoint((at + 1)->Left, (at + 1)->Top), QPoint(e.x + 15, e.y)) << e.character;
    EXPECT_EQ((at + 2)->Text, e.count) << e.character;
    EXPECT_EQ((at + 2)->Left + canvas.TextWidth((at + 2)->Text), e.x + 40) << e.character;
    EXPECT_EQ((at + 2)->Font.Color, e.color) << e.character;
  }
  EXPECT_EQ(canvas.Font.Color, clBlack);
}

}  // namespace
