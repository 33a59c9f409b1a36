#include "app/grid/XwdGridReveal.h"

#include <chrono>
#include <memory>
#include <random>
#include <string>

#include "app/grid/GridLayout.h"
#include "app/grid/XwdGridUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/AnsiText.h"

using namespace platform::gui;

namespace {

constexpr TColor kAnswerColor = clGray;
constexpr TColor kErrorColor = clRed;
constexpr int kCelebrationRounds = 120;
constexpr int kLettersPerRound = 50;

TRandomSource celebrationRandom;

TRandomSource ClockSeededRandom() {
  auto generator = std::make_shared<std::mt19937>(
      static_cast<std::mt19937::result_type>(std::chrono::system_clock::now().time_since_epoch().count()));
  return [generator](int k) { return std::uniform_int_distribution<int>(0, k - 1)(*generator); };
}

}  // namespace

void SetCelebrationRandom(TRandomSource source) { celebrationRandom = std::move(source); }

void TXwdGridForm::ShowAnswers() {
  Cheated = 1;
  platform::gui::Canvas& canvas = Canvas();
  const TColor fontColor = canvas.Font.Color;
  canvas.Font.Color = kAnswerColor;
  const int n = GridSide(Puzzle), s = UsableSquareSize(SquareSize);
  for (int y = 1; y <= n; ++y)
    for (int x = 1; x <= n; ++x) DrawCell(CornerOf(x, s), CornerOf(y, s), BlankColor, true);
  canvas.Font.Color = fontColor;
}

void TXwdGridForm::MarkWrongEntries() {
  XwdProcs->Pause(5);
  platform::gui::Canvas& canvas = Canvas();
  const TPen pen = canvas.Pen;
  canvas.Pen.Width = 2;
  canvas.Pen.Color = kErrorColor;
  const int n = GridSide(Puzzle), s = UsableSquareSize(SquareSize);
  for (int y = 1; y <= n; ++y)
    for (int x = 1; x <= n; ++x) {
      const std::uint8_t answer = Puzzle.Solution(x, y);
      if (answer == BlackSquare || Puzzle.Entries(x, y) == answer) continue;
      canvas.MoveTo((x - 1) * s + 6, (y - 1) * s + 6);
      canvas.LineTo(x * s - 5, y * s - 5);
      canvas.MoveTo(x * s - 5, (y - 1) * s + 6);
      canvas.LineTo((x - 1) * s + 6, y * s - 5);
    }
  canvas.Pen.Width = pen.Width;
  canvas.Pen.Color = pen.Color;
}

void TXwdGridForm::CelebrateSolved() {
  const int n = GridSide(Puzzle), s = UsableSquareSize(SquareSize);
  if (n < 1) return;
  platform::gui::Canvas& canvas = Canvas();
  const TColor fontColor = canvas.Font.Color;
  canvas.Brush.Style = BrushStyle::Clear;
  const TRandomSource random = celebrationRandom ? celebrationRandom : ClockSeededRandom();
  for (int round = 0; round < kCelebrationRounds; ++round) {
    for (int letter = 0; letter < kLettersPerRound; ++letter) {
      const int x = random(n) + 1;
      const int y = random(n) + 1;
      canvas.Font.Color = CelebrateColors[static_cast<std::size_t>(random(8))];
      // An empty square has no letter to show; the placeholder shows as everywhere else.
      const std::uint8_t ch = Puzzle.Solution(x, y);
      if (ch == BlackSquare || ch == EmptySquare) continue;
      const QString text = ch == PlaceholderLetter ? QStringLiteral("?") : FromAnsi(std::string(1, static_cast<char>(ch)));
      canvas.TextOut(CornerOf(x, s) + (s - canvas.TextWidth(text)) / 2,
                     CornerOf(y, s) + (s - canvas.TextHeight(text)) / 2, text);
    }
    XwdProcs->Pause(2);
  }
  canvas.Font.Color = fontColor;
  canvas.Brush.Style = BrushStyle::Solid;
  Repaint();
}
