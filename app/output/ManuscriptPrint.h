#pragma once
// The manuscript: the constructor's submission copy. Every clue with its number and its answer,
// double-spaced in Courier New 12, the across clues first, then the down clues, followed by the
// manuscript grid on a page of its own. It begins a print job.

#include "app/output/PrintLayout.h"

void PrintManuscript(platform::gui::TPrinter& printer, const TPrintLayout& layout);
