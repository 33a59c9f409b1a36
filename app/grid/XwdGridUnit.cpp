#include "app/grid/XwdGridUnit.h"

#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/SystemMetrics.h"

TXwdGridForm* XwdGridForm = nullptr;

TXwdGridForm::TXwdGridForm() { setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint); }

void TXwdGridForm::FormCreate() {
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
  FilledColor = XwdProcs->ReadColorSetting("FilledSqColor", "clBlack");
  BlankColor = XwdProcs->ReadColorSetting("BlankSqColor", "clWhite");
}

void TXwdGridForm::BuildLetterSet() {}

void TXwdGridForm::RestoreGridBounds() {
  SquareSize = XwdProcs->ReadSetting("ScreenSquare", DefaultSquareSize);
  const int side = Puzzle.GridSize * SquareSize + 9;
  const int height = platform::gui::GetSystemMetrics(platform::gui::SM_CYSMCAPTION) + side;
  TBounds bounds{2, 2, 0, 0};
  if (!ParseBounds(XwdProcs->ReadSetting("ScreenBoundsGrid", ""), bounds)) bounds = {2, 2, 0, 0};
  SetBounds(bounds.Left, bounds.Top, side, height);
}

void TXwdGridForm::HighlightWord(int, int, platform::gui::TColor Colour) {
  if (Colour == platform::gui::clWhite) Direction = 0;
}

void TXwdGridForm::ShowAnswers() {}
void TXwdGridForm::MarkWrongEntries() {}
void TXwdGridForm::CelebrateSolved() {}
