#pragma once
// A shown grid window over a small fixture grid, with a fixed square size, for the grid
// window's tests.

#include <QImage>
#include <string>

#include "AppTest.h"
#include "app/grid/XwdGridUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "platform/gui/Colors.h"

// Grids of letter squares only.
inline const std::string kEmpty5(5 * 5, '.');
inline const std::string kEmpty15(15 * 15, '.');

class GridWindow : public AppTest {
 protected:
  // Fills the record from `rows` (see SetGrid), sets the mode and shows the grid window with
  // squares of `square` pixels.
  void Open(const std::string& rows, std::uint8_t mode, int square = 10) {
    SetGrid(rows);
    EditMode = mode;
    XwdProcs->WriteSetting("ScreenSquare", square);
    XwdGridForm->SetCaption("fixture.xwd");
    XwdGridForm->Show();
  }

  static QRgb Pixel(int x, int y) { return XwdGridForm->BackBuffer().pixel(x, y); }
  // The pixel in the middle of a cell's square.
  static QRgb Centre(int x, int y) { return Pixel((x - 1) * SquareSize + SquareSize / 2, (y - 1) * SquareSize + SquareSize / 2); }
  // A pixel inside a cell's square next to its corner, clear of a centred letter.
  static QRgb NearCorner(int x, int y) { return Pixel((x - 1) * SquareSize + 2, (y - 1) * SquareSize + 2); }
  static QRgb Rgb(platform::gui::TColor color) { return platform::gui::ToQColor(color).rgb(); }

  // A click at the middle of a cell.
  static void Click(int x, int y, bool right = false) {
    XwdGridForm->SelectWordAt((x - 1) * SquareSize + SquareSize / 2, (y - 1) * SquareSize + SquareSize / 2, right);
  }
  // The cell the cursor stands on.
  static std::pair<int, int> CursorCell() {
    const std::uint32_t c = XwdGridForm->CursorPos;
    return {static_cast<int>(c & 0xFFFF) / SquareSize + 1, static_cast<int>(c >> 16) / SquareSize + 1};
  }
  static void Type(char c) {
    std::uint8_t key = static_cast<std::uint8_t>(c);
    XwdGridForm->FormKeyPress(key);
  }
  static void KeyDown(std::uint16_t key) { XwdGridForm->FormKeyDown(key, 0); }
};
