// The main window's part of the window layout: placing it from its stored bounds, Auto Arrange,
// and computing and storing the bounds of an arrangement.

#include "app/clues/XwdAutoUnit.h"
#include "app/grid/XwdClueUnit.h"
#include "app/grid/XwdGridUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/puzzle/WindowSettings.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/SystemMetrics.h"

using namespace platform::gui;

void TXwdMainForm::AutoArrange1Click() {
  RestoreMainBounds();
  if (XwdGridForm->Visible()) XwdGridForm->RestoreGridBounds();
  if (CluesForm->Visible()) CluesForm->RestoreCluesBounds();
  if (AutoclueForm->Visible()) AutoclueForm->RestoreAutoclueBounds();
}

void TXwdMainForm::RestoreMainBounds() {
  // By default at the top right corner, at its smallest.
  const QSize least = MinimumBounds();
  RestoreBoundsSetting(*this, "ScreenBoundsMain",
                       {GetSystemMetrics(SM_CXSCREEN) - least.width() - 4, 2, least.width(), least.height()});
}

void TXwdMainForm::FormFramed() {
  // The windows placed before the frame was known are placed again: the default places depend
  // on the main window's outer size.
  if (puzzleShown_)
    AutoArrange1Click();
  else
    TForm::FormFramed();
}

void TXwdMainForm::SaveScreenLayout(char Code) {
  const int w = MinimumBounds().width(), h = MinimumBounds().height();
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  const int r = sw - w - 4;
  const int g = GetSystemMetrics(SM_CYSMCAPTION) + MaxGridSize * DefaultSquareSize + 9;
  XwdProcs->WriteSetting("ScreenSquare", Code == 'c' ? SquareSize : DefaultSquareSize);
  struct Layout {
    TBounds main, grid, clues;
  };
  Layout layout;
  switch (Code) {
    case 1: layout = {{r, 2, w, h}, {2, 2, r, g}, {r, h + 4, w, sh - h - 6}}; break;
    case 2: layout = {{r, sh - h - 4, w, h}, {2, 2, r, g}, {r, 2, w, sh - h - 6}}; break;
    case 3: layout = {{2, sh - h - 4, w, h}, {w + 4, 2, r, g}, {2, 2, w, sh - h - 6}}; break;
    case 4: layout = {{2, 2, w, h}, {w + 4, 2, r, g}, {2, h + 4, w, sh - h - 6}}; break;
    case 'c': {
      auto bounds = [](const TForm* f) { return TBounds{f->Left(), f->Top(), f->Width(), f->Height()}; };
      auto write = [](const char* name, const TBounds& b) {
        XwdProcs->WriteBoundsSetting(name, b.Left, b.Top, b.Width, b.Height);
      };
      write("ScreenBoundsMain", bounds(this));
      write("ScreenBoundsGrid", bounds(XwdGridForm));
      if (CluesForm->Visible()) write("ScreenBoundsClues", bounds(CluesForm));
      if (AutoclueForm->Visible()) write("ScreenBoundsAutoclue", bounds(AutoclueForm));
      return;
    }
    default:
      return;
  }
  XwdProcs->WriteBoundsSetting("ScreenBoundsMain", layout.main.Left, layout.main.Top, layout.main.Width,
                               layout.main.Height);
  XwdProcs->WriteBoundsSetting("ScreenBoundsGrid", layout.grid.Left, layout.grid.Top, layout.grid.Width,
                               layout.grid.Height);
  XwdProcs->WriteBoundsSetting("ScreenBoundsClues", layout.clues.Left, layout.clues.Top, layout.clues.Width,
                               layout.clues.Height);
  XwdProcs->WriteSetting("ScreenBoundsAutoclue", "");
}
