#include <gtest/gtest.h>

#include "app/grid/XwdGridReveal.h"
#include "app/main/XwdMainUnit.h"
#include "app/tools/ScoreUnit.h"
#include "grid/GridFixture.h"
#include "platform/gui/Dialogs.h"
#include "tests/support/RecordingCanvas.h"

namespace {

using namespace platform::gui;
using testing_support::CanvasCall;
using testing_support::RecordingCanvas;

// Answers of a 5 by 5 fixture and the solver's entries ('.' empty, '?' the placeholder).
const std::string kAnswers =
    "CAT#B"
    "A.O#E"
    "BOX?E"
    "#####"
    "DOGMA";
const std::string kEntries =
    "CAT#B"
    "A.O#F"   // E typed as F
    "B.X.E"   // O left empty; the placeholder answer cannot be typed
    "#####"
    "DIGMA";  // I for O

// Random numbers from a fixed sequence, so a test can replay them.
struct TScriptedRandom {
  int next = 0;
  int operator()(int k) { return (next++ * 7 + 3) % k; }
};

class Reveal : public GridWindow {
 protected:
  void SetUp() override {
    GridWindow::SetUp();
    SetCelebrationRandom(TScriptedRandom{});
  }
  void TearDown() override {
    SetCelebrationRandom(nullptr);
    XwdGridForm->SetCanvas(nullptr);
    GridWindow::TearDown();
  }
  void OpenSolving(const std::string& answers, const std::string& entries) {
    Open(answers, emSolve, 20);
    for (int y = 1; y <= Puzzle.GridSize; ++y)
      for (int x = 1; x <= Puzzle.GridSize; ++x) {
        const char c = entries[static_cast<std::size_t>((y - 1) * Puzzle.GridSize + (x - 1))];
        Puzzle.Entries(x, y) = c == '.' || c == '#' ? 0 : c == '?' ? PlaceholderLetter : static_cast<std::uint8_t>(c);
      }
    XwdGridForm->Repaint();
    XwdGridForm->SetCanvas(&canvas);
  }
  // The cells of the crosses drawn, from the first point of each pair of lines.
  std::vector<std::pair<int, int>> CrossedCells() const {
    std::vector<std::pair<int, int>> cells;
    const auto lines = canvas.CallsOf(CanvasCall::Kind::Line);
    for (std::size_t i = 0; i < lines.size(); i += 2) cells.emplace_back(lines[i].Left / 20 + 1, lines[i].Top / 20 + 1);
    return cells;
  }

  RecordingCanvas canvas;
};

TEST_F(Reveal, ShowAnswersDrawsEverySolutionInGreyAndCountsAsCheating) {
  OpenSolving(kAnswers, kEntries);
  const TXwdPuzzle before = Puzzle;
  canvas.Font.Color = clNavy;
  ASSERT_EQ(XwdGridForm->Cheated, 0);
  XwdGridForm->ShowAnswers();
  EXPECT_EQ(XwdGridForm->Cheated, 1);
  EXPECT_EQ(EditMode, emSolve);
  EXPECT_EQ(Puzzle, before);
  EXPECT_EQ(canvas.Font.Color, clNavy) << "the font colour is restored";
  QString shown;
  for (const CanvasCall& call : canvas.CallsOf(CanvasCall::Kind::Text)) {
    EXPECT_EQ(call.Font.Color, clGray);
    EXPECT_EQ(call.Brush.Style, BrushStyle::Clear);
    shown += call.Text;
  }
  EXPECT_EQ(shown, "CATBAOEBOX?EDOGMA");
  EXPECT_EQ(canvas.CallsOf(CanvasCall::Kind::Rectangle).size(), 25u);

  canvas.Calls.clear();
  XwdMainForm->CheatBtnMouseUp();
  shown.clear();
  for (const CanvasCall& call : canvas.CallsOf(CanvasCall::Kind::Text)) shown += call.Text;
  EXPECT_EQ(shown, "CATBAOFBXEDIGMA") << "the entries again";
}

TEST_F(Reveal, MarkWrongEntriesCrossesExactlyTheWrongSquares) {
  OpenSolving(kAnswers, kEntries);
  const TXwdPuzzle before = Puzzle;
  canvas.Pen.Color = clBlue;
  XwdGridForm->MarkWrongEntries();
  EXPECT_EQ(CrossedCells(), (std::vector<std::pair<int, int>>{{5, 2}, {2, 3}, {4, 3}, {2, 5}}));
  const auto lines = canvas.CallsOf(CanvasCall::Kind::Line);
  ASSERT_EQ(lines.size(), 8u);
  for (const CanvasCall& line : lines) {
    EXPECT_EQ(line.Pen.Width, 2);
    EXPECT_EQ(line.Pen.Color, clRed);
  }
  // The cross of (5, 2): corner (80, 20), squares of 20 pixels.
  EXPECT_EQ((std::array{lines[0].Left, lines[0].Top, lines[0].Right, lines[0].Bottom}), (std::array{86, 26, 95, 35}));
  EXPECT_EQ((std::array{lines[1].Left, lines[1].Top, lines[1].Right, lines[1].Bottom}), (std::array{95, 26, 86, 35}));
  EXPECT_EQ(canvas.Pen.Width, 1);
  EXPECT_EQ(canvas.Pen.Color, clBlue);
  EXPECT_EQ(Puzzle, before);
}

TEST_F(Reveal, ShowErrorsOfTheScoreCardMarksTheWrongSquares) {
  OpenSolving(kAnswers, kEntries);
  dialogs.ExpectModal([](TForm&) { return mrYes; });
  XwdMainForm->ScorePuzzle1Click();
  EXPECT_EQ(CrossedCells().size(), 4u);
}

TEST_F(Reveal, CelebrationDrawsRandomColouredLettersThenRepaints) {
  const std::string answers =
      "CAT#"
      "A.O#"
      "BOX?"
      "####";
  OpenSolving(answers, answers);
  const TXwdPuzzle before = Puzzle;
  canvas.Font.Color = clBlack;
  XwdGridForm->CelebrateSolved();

  // Replay the random numbers: column, row, colour for each of 120 × 50 letters.
  TScriptedRandom random;
  std::vector<CanvasCall> expected;
  for (int i = 0; i < 120 * 50; ++i) {
    const int x = random(4) + 1, y = random(4) + 1;
    const TColor color = CelebrateColors[static_cast<std::size_t>(random(8))];
    const std::uint8_t ch = Puzzle.Solution(x, y);
    if (ch == BlackSquare || ch == EmptySquare) continue;
    CanvasCall call;
    call.Left = (x - 1) * 20 + (20 - 8) / 2;
    call.Top = (y - 1) * 20 + (20 - 16) / 2;
    call.Text = ch == PlaceholderLetter ? "?" : QString(QChar(ch));
    call.Font.Color = color;
    expected.push_back(call);
  }
  ASSERT_GT(expected.size(), 3000u);
  ASSERT_GE(canvas.Calls.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const CanvasCall& call = canvas.Calls[i];
    ASSERT_EQ(call.What, CanvasCall::Kind::Text) << i;
    ASSERT_EQ(call.Text, expected[i].Text) << i;
    ASSERT_EQ(call.Left, expected[i].Left) << i;
    ASSERT_EQ(call.Top, expected[i].Top) << i;
    ASSERT_EQ(call.Font.Color, expected[i].Font.Color) << i;
    ASSERT_EQ(call.Brush.Style, BrushStyle::Clear) << i;
  }
  // Then the repaint: every square again, in the font colour of before.
  const std::vector<CanvasCall> repaint(canvas.Calls.begin() + static_cast<std::ptrdiff_t>(expected.size()),
                                        canvas.Calls.end());
  ASSERT_FALSE(repaint.empty());
  EXPECT_EQ(repaint.front().What, CanvasCall::Kind::Rectangle);
  EXPECT_EQ(std::count_if(repaint.begin(), repaint.end(),
                          [](const CanvasCall& c) { return c.What == CanvasCall::Kind::Rectangle; }),
            16);
  for (const CanvasCall& call : repaint) {
    if (call.What == CanvasCall::Kind::Text) {
      EXPECT_EQ(call.Font.Color, clBlack);
    }
  }
  EXPECT_EQ(canvas.Font.Color, clBlack);
  EXPECT_EQ(canvas.Brush.Style, BrushStyle::Solid);
  EXPECT_EQ(Puzzle, before);
}

TEST_F(Reveal, ASolvedPuzzleIsCelebratedBeforeTheScoreCardShows) {
  const std::string answers =
      "CAT#"
      "A#O#"
      "BOX#"
      "####";
  OpenSolving(answers, answers);
  bool celebratedFirst = false;
  dialogs.ExpectModal([&](TForm&) {
    celebratedFirst = canvas.CallsOf(CanvasCall::Kind::Text).size() >= 120 * 50 / 2;
    return mrCancel;
  });
  XwdMainForm->ScorePuzzle1Click();
  EXPECT_TRUE(celebratedFirst);
  EXPECT_EQ(ScoreForm->BannerLbl->text(), "CONGRATULATIONS!");
}

}  // namespace
