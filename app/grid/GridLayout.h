#pragma once
// The arithmetic of the grid window: squares of SquareSize pixels from the client area's
// corner, cell (x, y) from 1 at pixel ((x - 1)·S, (y - 1)·S); the window's outer size from the
// grid size and the square size; the letter size scaled with the squares.

struct TXwdPuzzle;

// Squares never get smaller than this, whatever the window width or a stored size says.
constexpr int MinSquareSize = 4;

int UsableSquareSize(int size);
// The square size for an outer window width: width div N, at least MinSquareSize.
int SquareSizeForWidth(int width, int gridSize);
// The outer size that fits N squares: N·S + 9 wide, a small caption higher.
int GridWindowWidth(int gridSize, int squareSize);
int GridWindowHeight(int gridSize, int squareSize, int smallCaptionHeight);
// "FontSize" scaled by SquareSize / DefaultSquareSize, rounded half to even, at least 1; a
// default square size below 1 counts as 1.
int ScaledFontSize(int fontSize, int squareSize, int defaultSquareSize);

// The cell of a pixel coordinate (pixel div S + 1); 0 for a pixel left of or above the grid.
int CellOf(int pixel, int squareSize);
// The pixel coordinate of a cell's corner.
int CornerOf(int cell, int squareSize);
// N, and never more than the record holds.
int GridSide(const TXwdPuzzle& puzzle);
// Whether (x, y) is a cell of the puzzle's N by N grid.
bool IsGridCell(const TXwdPuzzle& puzzle, int x, int y);
