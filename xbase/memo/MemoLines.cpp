#include "xbase/memo/MemoLines.h"

#include <algorithm>

namespace xbase {
namespace {

// Where the line starting at `at` of a stored text ends, and how.
struct LineSpan {
  std::size_t Length = 0;  // characters of the line
  std::size_t Next = 0;    // where the next line starts
  std::uint8_t End = LineEndNone;
};

LineSpan NextLine(std::string_view stored, std::size_t at) {
  constexpr std::size_t kWidth = MemoLineWidth - 1;
  // A line ends at CR or 0x8D within its first kWidth + 1 characters.
  const std::string_view ahead = stored.substr(at, kWidth + 1);
  const std::size_t end = static_cast<std::size_t>(
      std::find_if(ahead.begin(), ahead.end(), [](char c) { return c == '\r' || c == '\x8D'; }) -
      ahead.begin());
  if (end < ahead.size()) {
    std::size_t next = at + end + 1;
    if (next < stored.size() && stored[next] == '\n') ++next;
    return {end, next, ahead[end] == '\r' ? LineEndHard : LineEndSoft};
  }
  if (ahead.size() <= kWidth) return {ahead.size(), at + ahead.size(), LineEndNone};  // the text ends
  // Broken after the last blank, the rest going on to the next line; no character is lost,
  // so that the text reads back whole.
  const std::size_t blank = ahead.rfind(' ');
  const std::size_t keep = blank != std::string_view::npos ? blank + 1 : kWidth;
  return {keep, at + keep, LineEndNone};
}

std::string_view TextOfMemo(std::string_view stored) { return stored.substr(0, stored.find('\x03')); }

}  // namespace

std::string MemoLineTable::StoredText() const {
  std::size_t length = Pending.size();
  for (const MemoLine& line : Lines) length += line.Text.size() + 2;
  std::string text;
  text.reserve(length);
  for (const MemoLine& line : Lines) {
    text += line.Text;
    if (line.End == LineEndHard) text += "\r\n";
    if (line.End == LineEndSoft) text += "\x8D\n";
  }
  text += Pending;
  return text;
}

void SplitMemoLines(std::string_view stored, std::size_t maxLines, MemoLineTable& table) {
  table.Clear();
  stored = TextOfMemo(stored);
  const std::size_t limit = maxLines == 0 ? MaxMemoLines : std::min(maxLines, MaxMemoLines);
  std::size_t at = 0;
  while (at < stored.size() && table.Lines.size() < limit) {
    const LineSpan span = NextLine(stored, at);
    table.Lines.push_back({std::string(stored.substr(at, span.Length)), span.End});
    at = span.Next;
  }
  table.Cut = at < stored.size();
}

bool FitsMemoLines(std::string_view stored) {
  stored = TextOfMemo(stored);
  std::size_t at = 0;
  for (std::size_t lines = 0; at < stored.size() && lines < MaxMemoLines; ++lines)
    at = NextLine(stored, at).Next;
  return at >= stored.size();
}

}  // namespace xbase
