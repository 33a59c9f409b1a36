#pragma once
// The grid window's cursor: a client pixel point kept as two unsigned 16-bit halves (low x,
// high y) and moved by whole squares with 16-bit wrap-around, so that a step back from column
// or row 1 followed by a step forward returns exactly.

#include <cstdint>
#include <optional>

struct TXwdPuzzle;

struct TGridPoint {
  int X = 0, Y = 0;
  bool operator==(const TGridPoint&) const = default;
};

constexpr std::uint32_t PackCursor(int x, int y) {
  return static_cast<std::uint32_t>(static_cast<std::uint16_t>(x)) |
         static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16;
}
constexpr TGridPoint UnpackCursor(std::uint32_t cursor) {
  return {static_cast<int>(cursor & 0xFFFF), static_cast<int>(cursor >> 16)};
}
constexpr std::uint32_t MoveCursor(std::uint32_t cursor, int dx, int dy) {
  const TGridPoint p = UnpackCursor(cursor);
  return PackCursor(p.X + dx, p.Y + dy);
}

// Where an arrow key moves the cursor point `from` by (dx, dy) squares of `squareSize` (one of
// them ±1): to the next letter square that way, jumping over black squares, or back to `from`
// when only black squares lie that way. Nothing at the edge of the grid.
std::optional<TGridPoint> ArrowTarget(const TXwdPuzzle& puzzle, int squareSize, TGridPoint from, int dx, int dy);
