#pragma once
// The puzzle page, the solver's copy as a newspaper prints it: a heavy rule and the quoted title
// at the top, the empty numbered grid at the top right, and the across and down clues flowing
// through five columns around and below the grid, continued on further pages when needed.

#include "app/output/PrintLayout.h"

void PrintPuzzlePage(platform::gui::TPrinter& printer, const TPrintLayout& layout);
