#include "platform/os/CodePage850.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "platform/os/CodePage1252.h"

namespace platform::os {
namespace {

// The UTF-8 text of one byte in a code page by the C library's converter; "" without one.
std::string IconvToUtf8(const char* codePage, std::uint8_t byte) {
  iconv_t cd = iconv_open("UTF-8", codePage);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  char in = static_cast<char>(byte);
  char out[8] = {};
  char* inPtr = &in;
  char* outPtr = out;
  std::size_t inLeft = 1, outLeft = sizeof out;
  const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  return ok ? std::string(out, outPtr) : std::string();
}

std::string Utf8Of(char32_t cp) {
  std::string out;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

TEST(CodePage850, EveryByteAgreesWithTheSystemConverter) {
  if (IconvToUtf8("IBM850", 0x41).empty()) GTEST_SKIP() << "no IBM850 converter";
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<std::uint8_t>(b);
    EXPECT_EQ(Utf8Of(Oem850ToUnicode(byte)), IconvToUtf8("IBM850", byte)) << b;
    EXPECT_EQ(UnicodeToOem850(Oem850ToUnicode(byte)), byte) << b;
  }
}

TEST(CodePage850, TranslationBetweenThePages) {
  struct Case {
    std::uint8_t ansi;
    std::uint8_t oem;
  };
  for (const auto& c : {Case{'A', 'A'}, Case{0xE9, 0x82}, Case{0xE4, 0x84}, Case{0xFB, 0x96},
                        Case{0xC7, 0x80}, Case{0xDF, 0xE1}, Case{0x83, 0x9F}, Case{0xA0, 0xFF}}) {
    EXPECT_EQ(AnsiToOem(c.ansi), c.oem) << int(c.ansi);
    EXPECT_EQ(OemToAnsi(c.oem), c.ansi) << int(c.oem);
  }
  EXPECT_EQ(AnsiToOem(0x80), '?') << "no euro sign in the OEM page";
  EXPECT_EQ(OemToAnsi(0xC9), '?') << "no box drawing in the ANSI page";
  EXPECT_EQ(AnsiToOem("caf\xE9 \x80"), "caf\x82 ?");
  EXPECT_EQ(OemToAnsi("caf\x82"), "caf\xE9");
}

TEST(CodePage850, EveryCommonCharacterRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    const auto ansi = static_cast<std::uint8_t>(b);
    if (!UnicodeToOem850(AnsiToUnicode(ansi))) continue;
    EXPECT_EQ(OemToAnsi(AnsiToOem(ansi)), ansi) << b;
  }
}

}  // namespace
}  // namespace platform::os
