#pragma once
// The header of manuscript and grid pages: the title in bold at the left margin and "Page n"
// 63 character widths from the printable area's left edge; on a first page, optionally, the
// puzzle's grid size, black squares and word count at the right.

#include "app/output/PrintLayout.h"

// Draws with the canvas font in force (Courier New 12) and sets Y to the first line of the
// page's body.
void PrintPageHeader(platform::gui::TPrinter& printer, const TPrintLayout& layout, bool PrintSpecs, bool FirstPage,
                     int& Y);
