#include "app/output/TextWrap.h"

#include "platform/gui/AnsiText.h"

std::vector<std::string> WrapText(const platform::gui::Canvas& canvas, const std::string& text, int width,
                                  std::size_t keep, int hyphenReserve) {
  if (width <= 0) return {text};
  const auto widthOf = [&](const std::string& s) { return canvas.TextWidth(platform::gui::FromAnsi(s)); };
  std::vector<std::string> pieces;
  std::string rest = text;
  do {
    std::string line = std::move(rest);
    rest.clear();
    while (!line.empty()) {
      rest.insert(rest.begin(), line.back());
      line.pop_back();
      if ((rest.front() == ' ' && widthOf(line) < width) || line.size() <= keep) break;
    }
    if (line.size() <= keep) {
      // Every line takes at least one character, so that the wrap ends whatever the metrics.
      while (!rest.empty() && (line.empty() || widthOf(line) <= width - hyphenReserve)) {
        line += rest.front();
        rest.erase(0, 1);
      }
      line += '-';
      rest.insert(rest.begin(), ' ');
    }
    rest.erase(0, 1);
    pieces.push_back(std::move(line));
  } while (widthOf(rest) > width);
  pieces.push_back(std::move(rest));
  return pieces;
}
