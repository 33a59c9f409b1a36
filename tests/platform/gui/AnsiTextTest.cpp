#include "platform/gui/AnsiText.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::gui;

TEST(AnsiText, EveryByteCrossesTheQtBoundaryAndBack) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const QString text = FromAnsi(all);
  ASSERT_EQ(text.size(), 256);
  EXPECT_EQ(text[0x80], QChar(0x20AC));
  EXPECT_EQ(text[0xD7], QChar(0x00D7));
  EXPECT_EQ(ToAnsi(text), all);
}

TEST(AnsiText, CharactersWithoutAByte) {
  EXPECT_EQ(ToAnsi(QString::fromUtf8("a\xE4\xB8\xAD" "b")), "a?b");
  EXPECT_EQ(ToAnsi(QString::fromUtf8("a\xE4\xB8\xAD" "b"), 0), "ab");
}

}  // namespace
