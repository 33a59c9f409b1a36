#include "platform/gui/FileFilter.h"

#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"

namespace {

using namespace platform::gui;

TEST(FileFilter, PairsBecomeQtNameFilters) {
  struct Case { const char* filter; QStringList expected; };
  const Case cases[] = {
      {"Quillmere Crossword Puzzle |*.xwd", {"Quillmere Crossword Puzzle (*.xwd)"}},
      {"Encapsulated PostScript|*.eps|Light Encapsulated PostScript|*.eps",
       {"Encapsulated PostScript (*.eps)", "Light Encapsulated PostScript (*.eps)"}},
      {"Programs (*.EXE)|*.EXE", {"Programs (*.EXE)"}},
      {"Pictures|*.png;*.bmp", {"Pictures (*.png *.bmp)"}},
      {"Pictures (*.png;*.bmp)|*.png;*.bmp", {"Pictures (*.png *.bmp)"}},
      {"|*.txt", {"(*.txt)"}},
      {"Anything|", {"Anything (*)"}},
      {"Trailing|*.a|Dangling", {"Trailing (*.a)"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ToQtNameFilters(c.filter), c.expected) << c.filter;
}

TEST(FileFilter, DefaultExtensionOnlyWhenTheNameHasNone) {
  struct Case { const char* name; const char* ext; const char* expected; };
  const Case cases[] = {
      {"/tmp/puzzle", "xwd", "/tmp/puzzle.xwd"},
      {"/tmp/puzzle.xwd", "xwd", "/tmp/puzzle.xwd"},
      {"/tmp/puzzle.txt", "xwd", "/tmp/puzzle.txt"},
      {"/tmp/my.folder/puzzle", "xwd", "/tmp/my.folder/puzzle.xwd"},
      {"/tmp/puzzle", "", "/tmp/puzzle"},
      {"", "xwd", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(WithDefaultExt(c.name, c.ext), c.expected) << c.name;
}

}  // namespace
