#pragma once
// Typographic quotes for printed and exported clues: each double quote becomes an opening and a
// closing quote in turn (Windows-1252 147 and 148), each apostrophe a right single quote (146).

#include <string>

std::string SmartQuotes(std::string text);
