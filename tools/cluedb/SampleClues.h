#pragma once
// The sample clue database: the answers, clues and notes of sample-clues.txt, written as a clue
// table that the clue database window reads: CLUES.DBF (dBase III with memo, version 0x83) with
// ENTRY C(30), MORE L, CLUE1 to CLUE10 C(60) and NOTE M, its memo file CLUES.DBT, and its index
// on ENTRY, CLUES.NDX.

#include <string>
#include <string_view>
#include <vector>

struct TSampleEntry {
  std::string Word;                // the answer
  std::vector<std::string> Clues;  // Windows-1252
  std::string Note;                // Windows-1252; "" for none
};

// The entries of a sample text in their order. An answer stands at the start of a line, its
// clues follow indented by two blanks, "  Note: " starts its note; "#" lines and blank lines are
// skipped. Throws std::invalid_argument, naming the line, for anything else.
std::vector<TSampleEntry> ParseSampleText(std::string_view text);

// Writes the sample's files into the folder, which is made when missing. Throws
// std::runtime_error when the folder holds a CLUES.DBF already (in any case); a table error
// raises as the library does.
void WriteSample(const std::string& folder);
