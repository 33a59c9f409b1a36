#include "platform/os/CodePage1252.h"

#include <gtest/gtest.h>

namespace platform::os {
namespace {

TEST(CodePage1252, EveryByteRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    const auto cp = AnsiToUnicode(static_cast<std::uint8_t>(b));
    const auto back = UnicodeToAnsi(cp);
    ASSERT_TRUE(back.has_value()) << b;
    EXPECT_EQ(*back, b);
  }
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(CodePage1252, HighBlockDiffersFromLatin1) {
  struct Case { std::uint8_t byte; char32_t cp; };
  for (const auto& c : {Case{0x80, 0x20AC}, Case{0x8A, 0x0160}, Case{0x8C, 0x0152},
                        Case{0x9F, 0x0178}, Case{0x81, 0x0081}, Case{0xD7, 0x00D7},
                        Case{0xDB, 0x00DB}}) {
    EXPECT_EQ(AnsiToUnicode(c.byte), c.cp) << int(c.byte);
  }
}

TEST(CodePage1252, UnmappableCharacters) {
  EXPECT_FALSE(UnicodeToAnsi(0x0100).has_value());
  EXPECT_FALSE(UnicodeToAnsi(0x4E2D).has_value());
  EXPECT_EQ(Utf8ToAnsi("a\xE4\xB8\xAD" "b"), "a?b");
  EXPECT_EQ(Utf8ToAnsi("a\xE4\xB8\xAD" "b", 0), "ab");
  EXPECT_EQ(Utf8ToAnsi("\xC3\xA9\xE2\x82\xAC"), "\xE9\x80");  // é €
  EXPECT_EQ(Utf8ToAnsi("x\xFFy"), "x?y");                     // malformed UTF-8
}

TEST(CodePage1252, CaseMaps) {
  struct Case { std::uint8_t lower, upper; };
  for (const auto& c : {Case{'a', 'A'}, Case{'z', 'Z'}, Case{0xE9, 0xC9}, Case{0xFE, 0xDE},
                        Case{0x9A, 0x8A}, Case{0x9C, 0x8C}, Case{0x9E, 0x8E}, Case{0xFF, 0x9F}}) {
    EXPECT_EQ(AnsiUpper(c.lower), c.upper) << int(c.lower);
    EXPECT_EQ(AnsiLower(c.upper), c.lower) << int(c.upper);
  }
  // Characters without a case partner stay as they are.
  for (int ch : {0xDF, 0xF7, 0xD7, 0x31, 0}) {
    EXPECT_EQ(AnsiUpper(static_cast<std::uint8_t>(ch)), ch) << ch;
    EXPECT_EQ(AnsiLower(static_cast<std::uint8_t>(ch)), ch) << ch;
  }
  EXPECT_EQ(AnsiUpper(std::string_view("caf\xE9")), "CAF\xC9");
}

}  // namespace
}  // namespace platform::os
