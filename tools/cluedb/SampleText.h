#pragma once
// The text of tools/cluedb/sample-clues.txt as compiled into the program (UTF-8).

#include <string_view>

std::string_view SampleCluesText();
