#include <gtest/gtest.h>

#include <QCursor>

#include "GridFixture.h"
#include "app/main/XwdMainUnit.h"
#include "platform/gui/SystemMetrics.h"
#include "tests/support/RecordingCanvas.h"

namespace {

using namespace platform::gui;
using testing_support::CanvasCall;
using testing_support::RecordingCanvas;

TEST_F(GridWindow, PaintsBlackAndLetterSquaresSharingTheirLines) {
  Open("#.."
       "..."
       "..#",
       emLetters);
  EXPECT_EQ(SquareSize, 10);
  EXPECT_EQ(Centre(1, 1), Rgb(clBlack));
  EXPECT_EQ(Centre(2, 1), Rgb(clWhite));
  EXPECT_EQ(Centre(3, 3), Rgb(clBlack));
  // Squares are 11 pixels wide and 10 apart: one line between neighbours, none doubled.
  for (int x : {0, 10, 20, 30}) EXPECT_EQ(Pixel(x, 15), Rgb(clBlack)) << x;
  for (int x : {11, 19, 21, 29}) EXPECT_EQ(Pixel(x, 15), Rgb(clWhite)) << x;
  EXPECT_EQ(Pixel(31, 15), Rgb(clWhite)) << "the window's own background beyond the grid";
}

TEST_F(GridWindow, SquareColoursComeFromTheSettings) {
  XwdProcs->WriteSetting("FilledSqColor", "clNavy");
  XwdProcs->WriteSetting("BlankSqColor", "clSilver");
  Open("#."
       "..",
       emLetters);
  EXPECT_EQ(Centre(1, 1), Rgb(clNavy));
  EXPECT_EQ(Centre(2, 2), Rgb(clSilver));
  EXPECT_EQ(Pixel(10, 15), Rgb(clNavy)) << "grid lines in the filled colour";
}

TEST_F(GridWindow, HighlightRunsFromTheCursorCellToTheWordsEnd) {
  Open("....."
       "..#.."
       "....."
       "....."
       ".....",
       emLetters);
  Click(3, 1);
  EXPECT_EQ(XwdGridForm->Direction, 1);
  for (int x : {1, 2}) EXPECT_EQ(Centre(x, 1), Rgb(clWhite)) << x;
  for (int x : {3, 4, 5}) EXPECT_EQ(Centre(x, 1), Rgb(clYellow)) << x;
  // Down from row 1 of column 3 the word ends at the black square.
  Click(3, 1, true);
  EXPECT_EQ(XwdGridForm->Direction, 2);
  EXPECT_EQ(Centre(3, 1), Rgb(clYellow));
  EXPECT_EQ(Centre(3, 2), Rgb(clBlack));
  EXPECT_EQ(Centre(3, 3), Rgb(clWhite));
  for (int x : {4, 5}) EXPECT_EQ(Centre(x, 1), Rgb(clWhite)) << "the old highlight is gone";
}

TEST_F(GridWindow, HighlightDrawsItsFirstCellAlsoWhenBlack) {
  Open("#.."
       "..."
       "...",
       emLetters);
  XwdGridForm->Direction = 1;
  XwdGridForm->HighlightWord(5, 5, clYellow);
  EXPECT_EQ(Centre(1, 1), Rgb(clBlack));
  EXPECT_EQ(Centre(2, 1), Rgb(clYellow));
  EXPECT_EQ(Centre(3, 1), Rgb(clYellow));
}

TEST_F(GridWindow, RemovingTheHighlightRestoresTheBlankColourAndEndsTheSelection) {
  XwdProcs->WriteSetting("BlankSqColor", "clAqua");
  Open("...."
       "...."
       "...."
       "....",
       emLetters);
  Click(2, 2);
  EXPECT_EQ(Centre(3, 2), Rgb(clYellow));
  XwdGridForm->HighlightWord(15, 15, TXwdGridForm::RemoveHighlight);
  EXPECT_EQ(XwdGridForm->Direction, 0);
  EXPECT_EQ(Centre(3, 2), Rgb(clAqua));
  XwdGridForm->Repaint();
  for (int x = 1; x <= 4; ++x) EXPECT_EQ(Centre(x, 2), Rgb(clAqua)) << x;
}

TEST_F(GridWindow, RepaintShowsTheHighlightFromTheCursorCell) {
  Open(kEmpty5, emLetters);
  Click(2, 3);
  XwdGridForm->BackBuffer().fill(Qt::black);
  XwdGridForm->Repaint();
  EXPECT_EQ(Centre(1, 3), Rgb(clWhite));
  for (int x = 2; x <= 5; ++x) EXPECT_EQ(Centre(x, 3), Rgb(clYellow)) << x;
  EXPECT_EQ(Pixel(52, 10), Rgb(clWhite)) << "the background beyond the grid is erased";
}

TEST_F(GridWindow, LettersByModeOnARecordingCanvas) {
  Open("A?#."
       "...."
       "...."
       "....",
       emLetters, 20);
  Puzzle.Entries(1, 1) = 'Z';
  Puzzle.Entries(2, 1) = 'Y';
  RecordingCanvas canvas;
  XwdGridForm->SetCanvas(&canvas);
  XwdGridForm->Repaint();
  auto texts = canvas.CallsOf(CanvasCall::Kind::Text);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].Text, "A");
  EXPECT_EQ(texts[1].Text, "?") << "the placeholder while constructing";
  // Centred with truncating division, transparent, in the font colour.
  EXPECT_EQ(texts[0].Left, 0 + (20 - canvas.CharWidth) / 2);
  EXPECT_EQ(texts[0].Top, 0 + (20 - canvas.LineHeight) / 2);
  EXPECT_EQ(texts[1].Left, 20 + (20 - canvas.CharWidth) / 2);
  EXPECT_EQ(texts[0].Brush.Style, BrushStyle::Clear);
  EXPECT_EQ(texts[0].Font.Color, clBlack);
  EXPECT_EQ(canvas.Brush.Style, BrushStyle::Solid) << "the brush is solid again";

  const auto squares = canvas.CallsOf(CanvasCall::Kind::Rectangle);
  ASSERT_EQ(squares.size(), 16u);
  EXPECT_EQ((std::array{squares[1].Left, squares[1].Top, squares[1].Right, squares[1].Bottom}),
            (std::array{20, 0, 41, 21}));
  EXPECT_EQ(squares[2].Brush.Color, clBlack);
  EXPECT_EQ(squares[2].Pen.Color, clBlack);

  canvas.Calls.clear();
  EditMode = emSolve;
  XwdGridForm->Repaint();
  texts = canvas.CallsOf(CanvasCall::Kind::Text);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].Text, "Z");
  EXPECT_EQ(texts[1].Text, "Y") << "entries while solving";

  canvas.Calls.clear();
  Puzzle.Entries(2, 1) = 0;
  XwdGridForm->Repaint();
  EXPECT_EQ(canvas.CallsOf(CanvasCall::Kind::Text).size(), 1u) << "an empty entry shows nothing";
  XwdGridForm->SetCanvas(nullptr);
}

TEST_F(GridWindow, AccentedLettersAreDrawnAsTheirCharacters) {
  Open("\xC9."
       "..",
       emLetters, 20);
  RecordingCanvas canvas;
  XwdGridForm->SetCanvas(&canvas);
  XwdGridForm->Repaint();
  const auto texts = canvas.CallsOf(CanvasCall::Kind::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].Text, QString::fromUtf8("\xC3\x89"));
  XwdGridForm->SetCanvas(nullptr);
}

TEST_F(GridWindow, GuidelinesRunThroughTheMiddleColumnAndRowOnly) {
  Open(kEmpty5, emLetters, 20);
  XwdMainForm->ShowGuidelines1Click();
  ASSERT_TRUE(XwdMainForm->GuidelinesShown());
  RecordingCanvas canvas;
  XwdGridForm->SetCanvas(&canvas);
  XwdGridForm->Repaint();
  const auto lines = canvas.CallsOf(CanvasCall::Kind::Line);
  ASSERT_EQ(lines.size(), 10u);
  for (const CanvasCall& line : lines) {
    EXPECT_EQ(line.Pen.Color, clRed);
    EXPECT_EQ(line.Pen.Style, PenStyle::Dot);
    EXPECT_EQ(line.Pen.Mode, PenMode::Mask);
    const bool vertical = line.Left == line.Right;
    if (vertical) {
      EXPECT_EQ(line.Left, 40 + 10) << "column 3";
      EXPECT_EQ(line.Bottom - line.Top, 21);
    } else {
      EXPECT_EQ(line.Top, 40 + 10) << "row 3";
      EXPECT_EQ(line.Right - line.Left, 21);
    }
  }
  EXPECT_EQ(canvas.Pen.Style, PenStyle::Solid);
  EXPECT_EQ(canvas.Pen.Mode, PenMode::Copy);
  XwdGridForm->SetCanvas(nullptr);
}

TEST_F(GridWindow, GuidelinesOnTheRasterLeaveBlackSquaresBlack) {
  std::string rows(15 * 15, '.');
  rows[(3 - 1) * 15 + (8 - 1)] = '#';  // (8, 3)
  Open(rows, emLetters);
  XwdMainForm->ShowGuidelines1Click();
  const auto redIn = [](int left, int top, int right, int bottom) {
    int red = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) red += Pixel(x, y) == Rgb(clRed);
    return red;
  };
  // Column 8 has its line at x = 75, row 8 at y = 75.
  EXPECT_GT(redIn(75, 0, 76, 20), 0);
  EXPECT_GT(redIn(0, 75, 20, 76), 0);
  EXPECT_EQ(redIn(75, 21, 76, 30), 0) << "the black square (8, 3) stays black";
  EXPECT_EQ(Pixel(75, 25), Rgb(clBlack));
  EXPECT_EQ(redIn(0, 0, 70, 70), 0) << "no other column or row";
  XwdMainForm->ShowGuidelines1Click();
  EXPECT_EQ(redIn(0, 0, 151, 151), 0);
}

TEST_F(GridWindow, CellsOutsideTheGridAreNeverDrawn) {
  Open("..."
       "..."
       "...",
       emLetters);
  RecordingCanvas canvas;
  XwdGridForm->SetCanvas(&canvas);
  for (auto [x, y] : {std::pair{-5, 0}, {0, -1}, {30, 0}, {0, 30}, {65530, 5}}) XwdGridForm->DrawCell(x, y, clYellow);
  XwdGridForm->Direction = 1;
  XwdGridForm->HighlightWord(-3, 5, clYellow);
  XwdGridForm->HighlightWord(35, 5, clYellow);
  EXPECT_TRUE(canvas.Calls.empty());
  XwdGridForm->HighlightWord(35, 5, TXwdGridForm::RemoveHighlight);
  EXPECT_EQ(XwdGridForm->Direction, 0);
  // The last cell of a row is drawn, then the walk stops at the edge.
  XwdGridForm->Direction = 1;
  XwdGridForm->HighlightWord(25, 5, clYellow);
  EXPECT_EQ(canvas.CallsOf(CanvasCall::Kind::Rectangle).size(), 1u);
  XwdGridForm->SetCanvas(nullptr);
}

TEST_F(GridWindow, ShowingResetsTheSelectionAndNamesThePuzzle) {
  XwdGridForm->Cheated = 1;
  XwdGridForm->Direction = 2;
  XwdGridForm->SetCaption("sunday.xwd");
  SetGrid("...."
          "...."
          "...."
          "....");
  EditMode = emSolve;
  XwdGridForm->Show();
  EXPECT_EQ(XwdGridForm->Caption(), "SUNDAY");
  EXPECT_EQ(XwdGridForm->Cheated, 0);
  EXPECT_EQ(XwdGridForm->Direction, 0);
  EXPECT_TRUE(XwdGridForm->Visible());
}

TEST_F(GridWindow, TheUserCannotCloseIt) {
  Open("....", emLetters);
  EXPECT_FALSE(XwdGridForm->Close());
  EXPECT_TRUE(XwdGridForm->Visible());
  AllowChildClose = 1;
  EXPECT_TRUE(XwdGridForm->Close());
  EXPECT_FALSE(XwdGridForm->Visible());
}

TEST_F(GridWindow, BoundsComeFromTheStoredCornerAndTheSquares) {
  // Outer bounds are exact once the window has its frame, after its first showing.
  Open("....", emLetters);
  XwdGridForm->Hide();
  struct Case { const char* stored; int left, top; };
  for (const Case& c : {Case{"", 2, 2}, Case{"10,20,300,400", 10, 20}, Case{"10,20", 2, 2}, Case{"a,b,c,d", 2, 2},
                        Case{"5, 6, 7, 8", 5, 6}}) {
    XwdProcs->WriteSetting("ScreenBoundsGrid", c.stored);
    Open(std::string(11 * 11, '.'), emLetters, 12);
    EXPECT_EQ(XwdGridForm->Left(), c.left) << c.stored;
    EXPECT_EQ(XwdGridForm->Top(), c.top) << c.stored;
    EXPECT_EQ(SquareSize, 12) << c.stored;
    EXPECT_EQ(XwdGridForm->Width(), 11 * 12 + 9) << c.stored;
    EXPECT_EQ(XwdGridForm->Height(), GetSystemMetrics(SM_CYSMCAPTION) + 11 * 12 + 9) << c.stored;
    XwdGridForm->Hide();
  }
}

TEST_F(GridWindow, StoredSquareSizesBelowTheMinimumGiveTheMinimum) {
  for (int stored : {0, -7, 2}) {
    Open("..."
         "..."
         "...",
         emLetters, stored);
    EXPECT_EQ(SquareSize, 4) << stored;
    EXPECT_GE(XwdGridForm->Canvas().Font.Size(), 1) << stored;
    XwdGridForm->Hide();
  }
}

TEST_F(GridWindow, ResizingSnapsToWholeSquares) {
  Open(kEmpty15, emLetters, 20);
  const int caption = GetSystemMetrics(SM_CYSMCAPTION);
  XwdGridForm->SetBounds(XwdGridForm->Left(), XwdGridForm->Top(), 400, 300);
  EXPECT_EQ(SquareSize, 26);
  EXPECT_EQ(XwdGridForm->Width(), 399);
  EXPECT_EQ(XwdGridForm->Height(), caption + 15 * 26 + 9);
  EXPECT_EQ(Centre(15, 15), Rgb(clWhite)) << "repainted at the new size";
  EXPECT_EQ(Pixel(15 * 26, 15 * 26), Rgb(clBlack));

  // Narrower than the squares allow: the smallest squares, never none.
  XwdGridForm->SetBounds(XwdGridForm->Left(), XwdGridForm->Top(), 20, 20);
  EXPECT_EQ(SquareSize, 4);
  EXPECT_EQ(XwdGridForm->Width(), 15 * 4 + 9);
  EXPECT_GE(XwdGridForm->Canvas().Font.Size(), 1);
}

TEST_F(GridWindow, SmallGridsDoNotGrowByThemselves) {
  Open(kEmpty5, emLetters, 20);
  EXPECT_EQ(SquareSize, 20) << "showing keeps the stored squares";
  EXPECT_EQ(XwdGridForm->Width(), 5 * 20 + 9);
  RecordingCanvas canvas;
  XwdGridForm->SetCanvas(&canvas);
  XwdGridForm->SetBounds(XwdGridForm->Left(), XwdGridForm->Top(), 120, 200);
  XwdGridForm->SetCanvas(nullptr);
  EXPECT_EQ(SquareSize, 24);
  EXPECT_EQ(XwdGridForm->Width(), 5 * 24 + 9);
  EXPECT_EQ(canvas.CallsOf(CanvasCall::Kind::Rectangle).size(), 25u) << "the snap's own resize paints nothing more";
  XwdGridForm->Repaint();
  XwdGridForm->RestoreGridBounds();
  EXPECT_EQ(SquareSize, 20);
  EXPECT_EQ(XwdGridForm->Width(), 5 * 20 + 9);
}

TEST_F(GridWindow, ResizingEndsTheSelection) {
  Open(kEmpty15, emLetters, 20);
  Click(2, 2);
  ASSERT_EQ(XwdGridForm->Direction, 1);
  XwdGridForm->SetBounds(XwdGridForm->Left(), XwdGridForm->Top(), 500, 500);
  EXPECT_EQ(XwdGridForm->Direction, 0);
  EXPECT_EQ(Centre(3, 2), Rgb(clWhite));
}

TEST_F(GridWindow, LetterFontFollowsTheSettingsAndScalesWithTheSquares) {
  XwdProcs->WriteSetting("FontName", "Times New Roman");
  XwdProcs->WriteSetting("FontStyle", 3);
  XwdProcs->WriteSetting("FontColor", "clMaroon");
  Open("....", emLetters, DefaultSquareSize);
  const TCanvasFont& font = XwdGridForm->Canvas().Font;
  EXPECT_EQ(font.Name, "Times New Roman");
  EXPECT_EQ(font.Style, 3);
  EXPECT_EQ(font.Color, clMaroon);
  EXPECT_EQ(font.Size(), 11);
  XwdGridForm->Hide();
  XwdProcs->WriteSetting("ScreenSquare", 2 * DefaultSquareSize);
  XwdGridForm->Show();
  EXPECT_EQ(XwdGridForm->Canvas().Font.Size(), 22);
  XwdProcs->WriteSetting("FontSize", 9);
  XwdGridForm->LoadGridPrefs();
  EXPECT_EQ(XwdGridForm->Canvas().Font.Size(), 18);
}

TEST_F(GridWindow, PencilCursorOnlyWhenChosen) {
  Open("....", emLetters);
  EXPECT_EQ(XwdGridForm->cursor().shape(), Qt::ArrowCursor);
  XwdProcs->WriteSetting("UseCursors", 1);
  XwdGridForm->LoadGridPrefs();
  EXPECT_EQ(XwdGridForm->cursor().shape(), Qt::BitmapCursor);
  EXPECT_FALSE(XwdGridForm->cursor().pixmap().isNull());
  EXPECT_EQ(XwdGridForm->cursor().hotSpot(), QPoint(0, 31));
}

TEST_F(GridWindow, SwappedCanvasTakesOverTheState) {
  Open("....", emLetters);
  XwdGridForm->Canvas().Font.SetSize(17);
  RecordingCanvas canvas;
  XwdGridForm->SetCanvas(&canvas);
  EXPECT_EQ(&XwdGridForm->Canvas(), &canvas);
  EXPECT_EQ(canvas.Font.Size(), 17);
  canvas.Font.SetSize(9);
  XwdGridForm->SetCanvas(nullptr);
  EXPECT_EQ(XwdGridForm->Canvas().Font.Size(), 9);
}

}  // namespace
