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
    MemoLine line;
    while (at < stored.size()) {
      const char c = stored[at++];
      if (c == '\r' || c == '\x8D') {
        line.End = c == '\r' ? LineEndHard : LineEndSoft;
        if (at < stored.size() && stored[at] == '\n') ++at;
        break;
      }
      line.Text += c;
      if (line.Text.size() > kWidth) {
        // Broken after the last blank, the rest going on to the next line; no character is
        // lost, so that the text reads back whole.
        const std::size_t blank = line.Text.rfind(' ');
        const std::size_t keep = blank != std::string::npos ? blank + 1 : kWidth;
        at -= line.Text.size() - keep;
        line.Text.resize(keep);
        break;
      }
    }
    table.Lines.push_back(std::move(line));
  }
}

}  // namespace xbase
