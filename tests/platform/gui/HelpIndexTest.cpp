#include "platform/gui/HelpIndex.h"

#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"

namespace {

using namespace platform::gui;

TEST(HelpIndex, ContentsInFileOrderKeywordsSorted) {
  const HelpIndex index = ParseHelpIndex(
      "# comment\n"
      "[Contents]\n"
      "Start here|contents.html\n"
      "  Solving | solving.html \n"
      "\n"
      "[Keywords]\n"
      "zebra|z.html\n"
      "Autoclue|clues.html#autoclue\n"
      "apple|a.html\n"
      "no bar here\n"
      "|empty.html\n"
      "empty page|\n"
      "[Other]\n"
      "ignored|x.html\n");
  EXPECT_EQ(index.Contents, (std::vector<HelpEntry>{{"Start here", "contents.html"}, {"Solving", "solving.html"}}));
  EXPECT_EQ(index.Keywords, (std::vector<HelpEntry>{
                                {"apple", "a.html"}, {"Autoclue", "clues.html#autoclue"}, {"zebra", "z.html"}}));
}

TEST(HelpIndex, LinesBeforeAnySectionAreSkipped) {
  const HelpIndex index = ParseHelpIndex("Lost|lost.html\r\n[contents]\r\nFound|found.html\r\n");
  EXPECT_EQ(index.Contents, (std::vector<HelpEntry>{{"Found", "found.html"}}));
  EXPECT_TRUE(index.Keywords.empty());
}

}  // namespace
