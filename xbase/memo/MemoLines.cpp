#include "xbase/memo/MemoLines.h"

#include <algorithm>

namespace xbase {

std::string MemoLineTable::StoredText() const {
  std::string text;
  for (const MemoLine& line : Lines) {
    text += line.Text;
    if (line.End == LineEndHard) text += "\r\n";
    if (line.End == LineEndSoft) text += "\x8D\n";
  }
  return text + Pending;
}

void SplitMemoLines(std::string_view stored, std::size_t maxLines, MemoLineTable& table) {
  table.Clear();
  stored = stored.substr(0, stored.find('\x03'));
  const std::size_t limit = maxLines == 0 ? MaxMemoLines : std::min(maxLines, MaxMemoLines);
  constexpr std::size_t kWidth = MemoLineWidth - 1;
  std::size_t at = 0;
  while (at < stored.size() && table.Lines.size() < limit) {
    MemoLine& line = table.Lines.emplace_back();
    // A line ends at CR or 0x8D within its first kWidth + 1 characters.
    const std::string_view ahead = stored.substr(at, kWidth + 1);
    const std::size_t end = static_cast<std::size_t>(
        std::find_if(ahead.begin(), ahead.end(), [](char c) { return c == '\r' || c == '\x8D'; }) -
        ahead.begin());
    if (end < ahead.size()) {
      line.Text.assign(ahead.substr(0, end));
      line.End = ahead[end] == '\r' ? LineEndHard : LineEndSoft;
      at += end + 1;
      if (at < stored.size() && stored[at] == '\n') ++at;
    } else if (ahead.size() <= kWidth) {
      line.Text.assign(ahead);  // the text ends
      at += ahead.size();
    } else {
      // Broken after the last blank, the rest going on to the next line; no character is
      // lost, so that the text reads back whole.
      const std::size_t blank = ahead.rfind(' ');
      const std::size_t keep = blank != std::string_view::npos ? blank + 1 : kWidth;
      line.Text.assign(ahead.substr(0, keep));
      at += keep;
    }
  }
}

}  // namespace xbase
