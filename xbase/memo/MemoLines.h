#pragma once
// A memo's text as lines, the form in which the text driver reads and writes memos, and the
// rules that turn stored text into lines and lines back into stored text.
//
// Reading: CR ends a line (a hard return), 0x8D a soft return; an LF right after either is
// dropped. A line that reaches 254 characters is broken after its last blank, the characters
// after it going on to the next line, or without a blank after 253 characters. The byte 0x03
// ends the text. At most MaxMemoLines lines are kept; a table that could not take the whole
// text says so (Cut), so that nobody writes the part back as if it were the whole.
// Writing: each line followed by its end (CR LF, 0x8D LF, or nothing after a broken line),
// then the unfinished last line, so that a text read and written back keeps its characters.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xbase {

inline constexpr std::size_t MaxMemoLines = 1024;
inline constexpr std::size_t MemoLineWidth = 254;  // a line breaks when it would reach this width

inline constexpr std::uint8_t LineEndHard = 13;
inline constexpr std::uint8_t LineEndSoft = 0x8D;
inline constexpr std::uint8_t LineEndNone = 0;  // broken at the width, or the text ended

struct MemoLine {
  std::string Text;
  std::uint8_t End = LineEndNone;
};

struct MemoLineTable {
  std::vector<MemoLine> Lines;
  std::string Pending;  // the unfinished last line of a text being written
  bool Cut = false;     // the text went on beyond the lines read

  void Clear() {
    Lines.clear();
    Pending.clear();
    Cut = false;
  }
  bool Empty() const { return Lines.empty() && Pending.empty(); }

  // The stored form of the text.
  std::string StoredText() const;
};

// Replaces the table's lines by those of a memo's stored text; at most maxLines (0: no limit
// but MaxMemoLines), Cut telling whether more followed.
void SplitMemoLines(std::string_view stored, std::size_t maxLines, MemoLineTable& table);

// Whether a stored text reads back as at most MaxMemoLines lines, that is whole.
bool FitsMemoLines(std::string_view stored);

}  // namespace xbase
