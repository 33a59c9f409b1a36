#pragma once
// A page holding the puzzle grid alone, large and centred, in one of three kinds: 1 the
// manuscript grid (clue numbers and answers), 2 the numbered grid (the empty puzzle), 3 the
// solution grid (answers only, large and bold).

#include "app/output/PrintLayout.h"

void PrintGridPage(platform::gui::TPrinter& printer, const TPrintLayout& layout, int Kind);
