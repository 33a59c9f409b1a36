#include "app/grid/XwdGridUnit.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QtMath>
#include <string>

#include "app/clues/XwdAutoUnit.h"
#include "app/grid/GridCursor.h"
#include "app/grid/GridDesign.h"
#include "app/grid/GridLayout.h"
#include "app/grid/XwdClueUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/WordGeometry.h"
#include "app/puzzle/WindowSettings.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/QtCanvas.h"
#include "platform/gui/ScreenCursors.h"
#include "platform/gui/SystemMetrics.h"

using namespace platform::gui;

TLetterSet LetterSet;
TXwdGridForm* XwdGridForm = nullptr;

namespace {

// Sets a flag for the life of a scope and then restores it.
class TFlagScope {
 public:
  explicit TFlagScope(bool& flag) : flag_(flag), saved_(flag) { flag_ = true; }
  ~TFlagScope() { flag_ = saved_; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& flag_;
  bool saved_;
};

}  // namespace

TXwdGridForm::TXwdGridForm() {
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFocusPolicy(Qt::StrongFocus);
  UseBackBuffer();
  backBufferCanvas_ = std::make_unique<QtCanvas>([this]() -> QImage& { return BackBuffer(); }, ScreenPixelsPerInch(),
                                                 [this] { update(); });
}

TXwdGridForm::~TXwdGridForm() = default;

Canvas& TXwdGridForm::Canvas() { return canvas_ ? *canvas_ : *backBufferCanvas_; }

void TXwdGridForm::SetCanvas(platform::gui::Canvas* canvas) {
  platform::gui::Canvas& next = canvas ? *canvas : *backBufferCanvas_;
  next.CopyState(Canvas());
  canvas_ = canvas;
}

// ---- Life cycle and settings ---------------------------------------------------------------

void TXwdGridForm::FormCreate() {
  RegisterCursorResource(crPencil, QStringLiteral("PENCIL"), QPoint(0, 31));
  SymmetryOn = 1;
  SwapButtons = 0;
}

void TXwdGridForm::FormShow() {
  LoadGridPrefs();
  BuildLetterSet();
  Cheated = 0;
  RestoreGridBounds();
  QString caption = Caption();
  caption.chop(4);
  SetCaption(caption.toUpper());
  Direction = 0;
}

void TXwdGridForm::FormCloseQuery(bool& CanClose) { CanClose = AllowChildClose != 0; }

void TXwdGridForm::LoadGridPrefs() {
  setCursor(XwdProcs->ReadSetting("UseCursors", 0) == 1 ? ScreenCursor(crPencil) : ScreenCursor(crDefault));
  FilledColor = XwdProcs->ReadColorSetting("FilledSqColor", "clBlack");
  BlankColor = XwdProcs->ReadColorSetting("BlankSqColor", "clWhite");
  TCanvasFont& font = Canvas().Font;
  font.Color = XwdProcs->ReadColorSetting("FontColor", "clBlack");
  font.Name = XwdProcs->ReadSetting("FontName", "Arial");
  font.Style = XwdProcs->ReadSetting("FontStyle", 0);
  ApplyFontSize();
}

void TXwdGridForm::ApplyFontSize() {
  Canvas().Font.SetSize(ScaledFontSize(XwdProcs->ReadSetting("FontSize", 11), SquareSize, DefaultSquareSize));
}

void TXwdGridForm::BuildLetterSet() {
  int language = 0;
  if (EditMode == emSolve) {
    // A puzzle file names its language by one digit; a digit with no language reads as English.
    language = XwdProcs->GetGridLanguage();
    if (language < 0 || language >= GridLanguageCount) language = 0;
  } else {
    language = XwdProcs->ReadSetting("GridLanguage", 0);
  }
  LanguageSetFor(language, LetterSet);
}

void TXwdGridForm::RestoreGridBounds() {
  SquareSize = UsableSquareSize(XwdProcs->ReadSetting("ScreenSquare", DefaultSquareSize));
  // Only the corner is used; the size follows from the squares. A grid larger than the one
  // the place was kept for moves up and left until it fits on the screen.
  const TBounds stored = ReadBoundsSetting("ScreenBoundsGrid", {2, 2, 0, 0});
  SetGridBounds(stored.Left, stored.Top, ScreenFit::Whole);
}

void TXwdGridForm::SetGridBounds(int left, int top, ScreenFit fit) {
  const int n = GridSide(Puzzle);
  const int caption = GetSystemMetrics(SM_CYSMCAPTION);
  const QMargins margins = FrameMargins();
  const QSize frame(margins.left() + margins.right(), margins.top() + margins.bottom());
  {
    // A minimum larger than the window resizes it; that is no resize by the user.
    TFlagScope quiet(snapping_);
    setMinimumSize(QSize(GridWindowWidth(n, MinSquareSize), GridWindowHeight(n, MinSquareSize, caption)) - frame);
  }
  const QSize outer(GridWindowWidth(n, SquareSize), GridWindowHeight(n, SquareSize, caption));
  ownSize_ = outer - frame;
  SetBounds(left, top, outer.width(), outer.height(), fit);
  ownSize_ = size();
}

void TXwdGridForm::FormResize() {
  // The snap below resizes the window once more; that resize must not snap again, or a grid
  // of fewer than 10 squares would widen its squares on every round.
  if (snapping_) return;
  const int n = GridSide(Puzzle);
  if (n < 1) return;
  EndSelection();
  // Only a size the user gave changes the squares; the size this window set itself (before
  // the window manager added its frame) keeps them.
  if (size() != ownSize_) SquareSize = SquareSizeForWidth(Width(), n);
  {
    TFlagScope snap(snapping_);
    SetGridBounds(Left(), Top(), ScreenFit::Reachable);
  }
  ApplyFontSize();
  Repaint();
}

// ---- Drawing -------------------------------------------------------------------------------

int TXwdGridForm::Square() const { return UsableSquareSize(SquareSize); }

bool TXwdGridForm::IsBlack(int x, int y) const { return Puzzle.Solution(x, y) == BlackSquare; }

// A window that appears is painted afresh, whatever its back buffer held before.
void TXwdGridForm::showEvent(QShowEvent* event) {
  TForm::showEvent(event);
  Repaint();
}

void TXwdGridForm::DrawCell(int X, int Y, TColor Colour, bool ShowSolution) {
  const int s = Square();
  const int x = CellOf(X, s), y = CellOf(Y, s);
  if (!IsGridCell(Puzzle, x, y)) return;
  std::uint8_t ch = 0;
  if (EditMode == emSolve && !ShowSolution) {
    ch = Puzzle.Entries(x, y);
  } else {
    ch = Puzzle.Solution(x, y);
    if (ch == PlaceholderLetter) ch = '?';
  }

  platform::gui::Canvas& canvas = Canvas();
  canvas.Pen.Color = FilledColor;
  canvas.Brush.Color = IsBlack(x, y) ? FilledColor : Colour;
  canvas.Brush.Style = BrushStyle::Solid;
  canvas.Rectangle(X, Y, X + s + 1, Y + s + 1);

  if (ch != EmptySquare && ch != BlackSquare) {
    const QString text = FromAnsi(std::string(1, static_cast<char>(ch)));
    canvas.Brush.Style = BrushStyle::Clear;
    canvas.TextOut(X + (s - canvas.TextWidth(text)) / 2, Y + (s - canvas.TextHeight(text)) / 2, text);
    canvas.Brush.Style = BrushStyle::Solid;
  }

  if (XwdMainForm->GuidelinesShown()) {
    const int middle = Puzzle.GridSize / 2 + 1;
    canvas.Pen.Style = PenStyle::Dot;
    canvas.Pen.Color = clRed;
    canvas.Pen.Mode = PenMode::Mask;
    if (x == middle) {
      canvas.MoveTo(X + s / 2, Y);
      canvas.LineTo(X + s / 2, Y + s + 1);
    }
    if (y == middle) {
      canvas.MoveTo(X, Y + s / 2);
      canvas.LineTo(X + s + 1, Y + s / 2);
    }
    canvas.Pen.Style = PenStyle::Solid;
    canvas.Pen.Color = FilledColor;
    canvas.Pen.Mode = PenMode::Copy;
  }
}

void TXwdGridForm::HighlightWord(int X, int Y, TColor Colour) {
  const TColor colour = Colour == RemoveHighlight ? BlankColor : Colour;
  const int s = Square();
  int x = CellOf(X, s), y = CellOf(Y, s);
  // The first cell is drawn even when it is black; the word ends at a black square or the edge.
  if (IsGridCell(Puzzle, x, y)) {
    do {
      DrawCell(CornerOf(x, s), CornerOf(y, s), colour);
      if (Direction == DirAcross)
        ++x;
      else
        ++y;
    } while (IsGridCell(Puzzle, x, y) && !IsBlack(x, y));
  }
  if (Colour == RemoveHighlight) Direction = 0;
  Canvas().Brush.Color = BlankColor;
}

void TXwdGridForm::EndSelection() {
  if (Direction == 0) return;
  const TGridPoint cursor = UnpackCursor(CursorPos);
  HighlightWord(cursor.X, cursor.Y, RemoveHighlight);
}

void TXwdGridForm::FormPaint() {
  BackBuffer().fill(ToQColor(clWhite));
  const int s = Square();
  const int n = GridSide(Puzzle);
  for (int y = 1; y <= n; ++y)
    for (int x = 1; x <= n; ++x) DrawCell(CornerOf(x, s), CornerOf(y, s), BlankColor);
  Canvas().Brush.Color = BlankColor;
  if (Direction != 0) {
    const TGridPoint cursor = UnpackCursor(CursorPos);
    HighlightWord(cursor.X, cursor.Y, HighlightColor);
  }
}

// ---- Mouse ---------------------------------------------------------------------------------

void TXwdGridForm::mousePressEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  Guard([&] {
    FormMouseDown(MouseButtonOf(event->button()), ShiftStateOf(event->modifiers(), event->buttons()), qFloor(at.x()),
                  qFloor(at.y()));
  });
}

void TXwdGridForm::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  Guard([&] { FormMouseMove(ShiftStateOf(event->modifiers(), event->buttons()), qFloor(at.x()), qFloor(at.y())); });
}

void TXwdGridForm::FormMouseDown(TMouseButton Button, TShiftState, int X, int Y) {
  const bool right = Button != TMouseButton::mbLeft;
  if (EditMode == emSquares)
    ToggleSquare(X, Y, right);
  else
    SelectWordAt(X, Y, right);
}

void TXwdGridForm::FormMouseMove(TShiftState Shift, int X, int Y) {
  if (EditMode != emSquares || (Shift != ssLeft && Shift != ssRight)) return;
  ToggleSquare(X, Y, Shift == ssRight);
}

void TXwdGridForm::ToggleSquare(int X, int Y, bool Right) {
  const int s = Square();
  for (const TGridCell& cell : SetSquare(Puzzle, CellOf(X, s), CellOf(Y, s), Right, SymmetryOn != 0))
    DrawCell(CornerOf(cell.X, s), CornerOf(cell.Y, s), BlankColor);
  PuzzleModified = 1;
}

void TXwdGridForm::SelectWordAt(int X, int Y, bool Right) {
  const int s = Square();
  int x = CellOf(X, s), y = CellOf(Y, s);
  EndSelection();
  if (EditMode == emSolve) XwdMainForm->ClearClueStatus();

  if (!IsGridCell(Puzzle, x, y) || IsBlack(x, y)) {
    if (EditMode == emSolve) {
      CluesForm->SetItemIndex(-1);
    } else if (AutoclueForm->Visible()) {
      // In front and active, so the keyboard is back in the clue.
      AutoclueForm->raise();
      AutoclueForm->activateWindow();
    }
    Direction = 0;
    return;
  }

  CursorPos = PackCursor(X, Y);
  const bool down = Right != (SwapButtons != 0);
  Direction = down ? DirDown : DirAcross;
  HighlightWord(X, Y, HighlightColor);

  if (AutoclueForm->Visible()) {
    AutoclueForm->CurX = 0;
    AutoclueForm->CurY = 1;
    AutoclueForm->CurDir = 'd';
    AutoclueForm->WordCount = 0;
    AutoclueForm->ClueNumber = 0;
    AutoclueForm->FindNextWord(AutoclueForm->GetSelectedGridWord());
  }

  if (EditMode == emSolve) {
    if (Direction == DirAcross)
      while (x > 1 && !IsBlack(x - 1, y)) --x;
    else
      while (y > 1 && !IsBlack(x, y - 1)) --y;
    // The clue list holds one line per word in word order, so the line is the word's
    // ordinal, which the clue slot of its link need not equal once the grid was edited.
    const TWordIdxPair& links = Puzzle.WordIdx(x, y);
    const std::uint16_t slot = Direction == DirAcross ? links.Across : links.Down;
    int line = -1;
    if (slot != 0)
      for (const TWordRef& word : NumberWords(Puzzle))
        if (word.X == x && word.Y == y && word.Dir == Direction) line = word.Ordinal - 1;
    CluesForm->SetItemIndex(line);
    if (line >= 0) XwdMainForm->ShowCurrentClue();
  }
}

// ---- Keys ----------------------------------------------------------------------------------

void TXwdGridForm::keyPressEvent(QKeyEvent* event) {
  Guard([&] {
    if (std::uint16_t key = VirtualKeyOf(*event))
      FormKeyDown(key, ShiftStateOf(event->modifiers(), QGuiApplication::mouseButtons()));
    if (const auto typed = KeyChar(*event)) {
      std::uint8_t key = *typed;
      FormKeyPress(key);
    }
  });
}

void TXwdGridForm::FormKeyPress(std::uint8_t& Key) {
  if (EditMode == emSquares || Direction == 0) return;
  if (const auto accepted = AcceptGridKey(Key, LetterSet)) EnterChar(*accepted);
}

void TXwdGridForm::FormKeyDown(std::uint16_t& Key, TShiftState) {
  if (EditMode == emSquares || Direction == 0) return;
  int dx = 0, dy = 0;
  switch (Key) {
    case VK_LEFT: dx = -1; break;
    case VK_RIGHT: dx = 1; break;
    case VK_UP: dy = -1; break;
    case VK_DOWN: dy = 1; break;
    case VK_DELETE: EnterChar(' '); return;
    default: return;
  }
  if (!CursorOnLetterSquare()) {
    EndStaleSelection();
    return;
  }
  // Left and right select the across word there, up and down the down word, through the
  // mouse rule, so that swapped buttons swap them too.
  if (const auto target = ArrowTarget(Puzzle, Square(), UnpackCursor(CursorPos), dx, dy)) {
    const bool left = dx != 0;
    FormMouseDown(left ? TMouseButton::mbLeft : TMouseButton::mbRight, left ? ssLeft : ssRight, target->X, target->Y);
  }
}

bool TXwdGridForm::CursorOnLetterSquare() const {
  const int s = Square();
  const TGridPoint cursor = UnpackCursor(CursorPos);
  const int x = CellOf(cursor.X, s), y = CellOf(cursor.Y, s);
  return IsGridCell(Puzzle, x, y) && !IsBlack(x, y);
}

void TXwdGridForm::EndStaleSelection() {
  EndSelection();
  AfterEntryAdvance();
}

std::uint8_t TXwdGridForm::PresentKey(int x, int y) const {
  if (EditMode == emSolve) {
    const std::uint8_t entry = Puzzle.Entries(x, y);
    return entry == EmptySquare ? ' ' : entry;
  }
  const std::uint8_t letter = Puzzle.Solution(x, y);
  return letter == EmptySquare ? ' ' : letter == PlaceholderLetter ? '?' : letter;
}

void TXwdGridForm::EnterChar(std::uint8_t Key) {
  if (!CursorOnLetterSquare()) {
    EndStaleSelection();
    return;
  }
  const int s = Square();
  const TGridPoint cursor = UnpackCursor(CursorPos);
  TEntryCell cell{CellOf(cursor.X, s), CellOf(cursor.Y, s), 0, 0};
  cell.CornerX = CornerOf(cell.X, s);
  cell.CornerY = CornerOf(cell.Y, s);
  TColor colour = BlankColor;
  const bool solving = EditMode == emSolve;

  switch (Key) {
    case 8:
      StepBack(cell, Key);
      colour = HighlightColor;
      break;
    case 13: Key = PresentKey(cell.X, cell.Y); break;
    case '+':
      if (solving) {
        Key = Puzzle.Solution(cell.X, cell.Y);
        Cheated = 1;
      } else {
        Key = '?';
      }
      break;
    default: break;
  }

  if (solving)
    Puzzle.Entries(cell.X, cell.Y) = Key == ' ' ? EmptySquare : Key;
  else
    Puzzle.Solution(cell.X, cell.Y) = Key == ' ' ? EmptySquare : Key == '?' ? PlaceholderLetter : Key;

  DrawCell(cell.CornerX, cell.CornerY, colour);
  PuzzleModified = 1;

  const bool across = Direction == DirAcross;
  const int nextX = across ? cell.X + 1 : cell.X, nextY = across ? cell.Y : cell.Y + 1;
  if (IsGridCell(Puzzle, nextX, nextY) && !IsBlack(nextX, nextY))
    CursorPos = across ? MoveCursor(CursorPos, s, 0) : MoveCursor(CursorPos, 0, s);
  else
    AfterEntryAdvance();
}

void TXwdGridForm::StepBack(TEntryCell& cell, std::uint8_t& Key) {
  const int s = Square();
  const bool across = Direction == DirAcross;
  if (across && cell.X > 1 && !IsBlack(cell.X - 1, cell.Y)) {
    --cell.X;
    cell.CornerX -= s;
    CursorPos = MoveCursor(CursorPos, -s, 0);
  } else if (!across && cell.Y >= 2 && !IsBlack(cell.X, cell.Y - 1)) {
    --cell.Y;
    cell.CornerY -= s;
    CursorPos = MoveCursor(CursorPos, 0, -s);
  }
  // Written back unchanged: Backspace moves without erasing.
  Key = PresentKey(cell.X, cell.Y);
  // One square more, which the advance after the store takes back (in 16 bits also from
  // column or row 1).
  CursorPos = across ? MoveCursor(CursorPos, -s, 0) : MoveCursor(CursorPos, 0, -s);
}

void TXwdGridForm::AfterEntryAdvance() {
  Direction = 0;
  if (EditMode == emSolve) {
    CluesForm->SetItemIndex(-1);
    XwdMainForm->ClearClueStatus();
  }
}
