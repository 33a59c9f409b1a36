#include <gtest/gtest.h>

#include <array>

#include "tests/support/RecordingCanvas.h"

namespace {

using namespace platform::gui;
using testing_support::CanvasCall;
using testing_support::RecordingCanvas;

TEST(RecordingCanvas, RecordsEachCallWithTheStateInForce) {
  RecordingCanvas canvas;
  canvas.Pen.Color = clRed;
  canvas.Rectangle(1, 2, 3, 4);
  canvas.Brush.Style = BrushStyle::Clear;
  canvas.Font.Color = clNavy;
  canvas.TextOut(5, 6, "Q");
  canvas.MoveTo(0, 0);
  canvas.Pen.Mode = PenMode::Mask;
  canvas.LineTo(7, 0);
  ASSERT_EQ(canvas.Calls.size(), 4u);
  EXPECT_EQ(canvas.Calls[0].What, CanvasCall::Kind::Rectangle);
  EXPECT_EQ(canvas.Calls[0].Pen.Color, clRed);
  EXPECT_EQ(canvas.Calls[0].Brush.Style, BrushStyle::Solid);
  EXPECT_EQ(canvas.Calls[1].Text, "Q");
  EXPECT_EQ(canvas.Calls[1].Brush.Style, BrushStyle::Clear);
  EXPECT_EQ(canvas.Calls[1].Font.Color, clNavy);
  const auto lines = canvas.CallsOf(CanvasCall::Kind::Line);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ((std::array{lines[0].Left, lines[0].Top, lines[0].Right, lines[0].Bottom}), (std::array{0, 0, 7, 0}));
  EXPECT_EQ(lines[0].Pen.Mode, PenMode::Mask);
}

TEST(RecordingCanvas, MeasuresWithFixedMetrics) {
  RecordingCanvas canvas;
  canvas.CharWidth = 5;
  canvas.LineHeight = 9;
  EXPECT_EQ(canvas.TextWidth("abc"), 15);
  EXPECT_EQ(canvas.TextHeight("abc"), 9);
}

}  // namespace
