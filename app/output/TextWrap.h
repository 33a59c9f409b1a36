#pragma once
// The word wrap of printed clue lines. Characters are peeled off the end of the text until the
// rest of the line fits and the peeled part begins with a blank; when that leaves no more than
// `keep` characters, the line is filled up to `hyphenReserve` pixels short of the width
// instead and broken with a hyphen. The blank at a break is dropped, and whatever is still too
// wide is wrapped the same way.

#include <string>
#include <vector>

#include "platform/gui/Canvas.h"

// The pieces of `text` (Windows-1252), first to last; the last is what remained after the last
// break. A width of 0 or less leaves the text whole.
std::vector<std::string> WrapText(const platform::gui::Canvas& canvas, const std::string& text, int width,
                                  std::size_t keep, int hyphenReserve);
