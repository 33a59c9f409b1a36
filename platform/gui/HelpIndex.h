#pragma once
// The help index file: the contents list and the keyword index of the help pages.
//
//   # a comment
//   [Contents]
//   Constructing a puzzle|constructing.html
//   [Keywords]
//   Autoclue|clues.html#autoclue
//
// A line is "text|page", the page a file of the help folder with an optional anchor. Blank
// lines, comments and lines that do not fit are skipped.

#include <QString>
#include <vector>

namespace platform::gui {

struct HelpEntry {
  QString Text;
  QString Page;
  bool operator==(const HelpEntry&) const = default;
};

struct HelpIndex {
  std::vector<HelpEntry> Contents;  // in file order
  std::vector<HelpEntry> Keywords;  // in alphabetical order, ignoring case
};

HelpIndex ParseHelpIndex(const QString& text);

}  // namespace platform::gui
