#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/xbase/LibraryTest.h"
#include "xbase/core/ovutils.h"

namespace xbase {
namespace {

using TextTest = LibraryTest;

TEST_F(TextTest, TrimRemovesBlanksAndControlsOnly) {
  const std::string text = "\t \x01" "a b\xA0 \r\n";
  EXPECT_EQ(RTrimStr(text), "\t \x01" "a b\xA0");
  EXPECT_EQ(LTrimStr(text), "a b\xA0 \r\n");
  EXPECT_EQ(AllTrim(text), "a b\xA0");  // no-break space (0xA0) is above 32
  EXPECT_EQ(AllTrim(std::string("\0x\0", 3)), "x");
  EXPECT_EQ(AllTrim("   "), "");
}

TEST_F(TextTest, CaseOfEveryByteFollowsTheFixedTable) {
  std::map<int, int> upperOf;
  for (int c = 'a'; c <= 'z'; ++c) upperOf[c] = c - 32;
  for (int c = 0xE0; c <= 0xFE; ++c)
    if (c != 0xF7) upperOf[c] = c - 32;
  upperOf[0x9A] = 0x8A;
  upperOf[0x9C] = 0x8C;
  upperOf[0x9E] = 0x8E;
  upperOf[0xFF] = 0x9F;
  std::map<int, int> lowerOf;
  for (const auto& [lower, upper] : upperOf) lowerOf[upper] = lower;

  std::string all, expectedUpper;
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const int up = upperOf.count(b) ? upperOf[b] : b;
    const int low = lowerOf.count(b) ? lowerOf[b] : b;
    EXPECT_EQ(static_cast<unsigned char>(UpCaseChar(c)), up) << b;
    EXPECT_EQ(static_cast<unsigned char>(LowCaseChar(c)), low) << b;
    all += c;
    expectedUpper += static_cast<char>(up);
  }
  EXPECT_EQ(UpperStr(all), expectedUpper);
}

TEST_F(TextTest, FirstCharacterIsALetter) {
  struct Case {
    std::string text;
    bool alpha;
  };
  for (const auto& c : {Case{"a1", true}, Case{"Z", true}, Case{"\xE9t\xE9", true},
                        Case{"\xDF", true}, Case{"\xB5", true}, Case{"\xAA", true},
                        Case{"\x8A", true}, Case{"\x83", true}, Case{"\xFF", true},
                        Case{"1a", false}, Case{"", false}, Case{" a", false},
                        Case{"_", false}, Case{"\xD7", false}, Case{"\xF7", false},
                        Case{"\xB2", false}, Case{"\x80", false}}) {
    EXPECT_EQ(IsAlphaStr(c.text), c.alpha) << c.text;
  }
}

TEST_F(TextTest, OccursCountsWithoutOverlap) {
  struct Case {
    const char* sub;
    const char* text;
    int count;
  };
  for (const auto& c : {Case{"aa", "aaaa", 2}, Case{"aa", "aaaaa", 2}, Case{"a", "banana", 3},
                        Case{"ana", "banana", 1}, Case{"x", "banana", 0}, Case{"", "abc", 0},
                        Case{"a", "", 0}, Case{"abcd", "abc", 0}}) {
    EXPECT_EQ(Occurs(c.sub, c.text), c.count) << c.sub << " in " << c.text;
  }
}

TEST_F(TextTest, AtFindsOverlappingOccurrencesFromEitherEnd) {
  struct Case {
    int n;
    const char* sub;
    const char* text;
    int position;
  };
  for (const auto& c : {
           Case{2, "aa", "aaaa", 2},
           Case{3, "aa", "aaaa", 3},
           Case{4, "aa", "aaaa", 0},
           Case{-1, "aa", "aaaa", 3},
           Case{-3, "aa", "aaaa", 1},
           Case{-1, "ab", "xxabyyab", 7},
           Case{-2, "ab", "xxabyyab", 3},
           Case{1, "ab", "abab", 1},
           Case{3, "ab", "abab", 0},
           Case{-3, "ab", "abab", 0},
           Case{0, "ab", "abab", 0},
           Case{1, "", "abab", 0},
           Case{1, "ab", "", 0},
           Case{1, "abc", "ab", 0},
       }) {
    EXPECT_EQ(AT(c.n, c.sub, c.text), c.position) << c.n << " " << c.sub << " in " << c.text;
  }
}

TEST_F(TextTest, ReplicateAndIif) {
  EXPECT_EQ(Replicate('*', 3), "***");
  EXPECT_EQ(Replicate('*', 0), "");
  EXPECT_EQ(Replicate('*', -2), "");
  EXPECT_EQ(IifStr(true, "a", "b"), "a");
  EXPECT_EQ(IifStr(false, "a", "b"), "b");
}

// Number texts depend on the two separators.
class NumbersTest : public LibraryTest {
 protected:
  void Separators(char decimal, char thousands) {
    DecimalPoint = decimal;
    ThousandsSeparator = thousands;
  }
};

TEST_F(NumbersTest, ValInt) {
  struct Case {
    char decimal;
    const char* text;
    int value;
  };
  for (const auto& c : {
           Case{'.', "+1,234.56", 1234},
           Case{'.', "99999", 32767},
           Case{'.', "-99999", -32768},
           Case{'.', "99999999999999999999999", 32767},
           Case{'.', "32767", 32767},
           Case{'.', "-32768", -32768},
           Case{'.', "-5x", -5},
           Case{'.', "   42", 42},
           Case{'.', "$12", 12},
           Case{'.', "12 34", 12},
           Case{'.', "abc", 0},
           Case{'.', "", 0},
           Case{'.', "-", 0},
           Case{',', "1.234,5", 1234},
           Case{',', "+1.234.567", 32767},
       }) {
    Separators(c.decimal, c.decimal == '.' ? ',' : '.');
    EXPECT_EQ(ValInt(c.text), c.value) << c.decimal << " " << c.text;
  }
}

TEST_F(NumbersTest, NormalizeNumberText) {
  struct Case {
    char decimal;
    const char* text;
    const char* normalised;
  };
  for (const auto& c : {
           Case{'.', "-.5", "-0.5"},
           Case{'.', ".5", "0.5"},
           Case{'.', "$ 12", "12"},
           Case{'.', " + 12", "12"},
           Case{'.', "- -+5", "-5"},
           Case{'.', "1,234.50", "1234.50"},
           Case{'.', "12.", "12"},
           Case{'.', "12 34", "12"},
           Case{'.', "1-2", "1"},
           Case{'.', "12abc", "12"},
           Case{'.', "+++", ""},
           Case{'.', "- -", ""},
           Case{'.', "$", ""},
           Case{'.', "", ""},
           Case{',', "-1.234,9", "-1234.9"},
           Case{',', ",5", "0.5"},
           Case{',', "-,5", "-0.5"},
           Case{',', "1,2,3", "1.2"},
           Case{',', "$1.000", "1000"},
       }) {
    Separators(c.decimal, c.decimal == '.' ? ',' : '.');
    std::string text = c.text;
    NormalizeNumberText(text);
    EXPECT_EQ(text, c.normalised) << c.decimal << " " << c.text;
  }
}

TEST_F(NumbersTest, ValLong) {
  struct Case {
    char decimal;
    const char* text;
    long long value;
  };
  for (const auto& c : {
           Case{',', "-1.234,9", -1234},
           Case{'.', "  -12.9", -12},
           Case{'.', "1,234,567", 1234567},
           Case{'.', "99999999999", 2147483647},
           Case{'.', "-99999999999", -2147483648LL},
           Case{'.', "", 0},
           Case{'.', "-", 0},
           Case{'.', "abc", 0},
       }) {
    Separators(c.decimal, c.decimal == '.' ? ',' : '.');
    EXPECT_EQ(ValLong(c.text), c.value) << c.decimal << " " << c.text;
  }
}

TEST_F(NumbersTest, StrFloatAndStrInt) {
  struct Case {
    char decimal;
    double x;
    int width, decimals;
    const char* text;
  };
  for (const auto& c : {
           Case{'.', 3.14159, 8, 2, "    3.14"},
           Case{',', 3.14159, 8, 2, "    3,14"},
           Case{',', 12.0, 4, 0, "  12"},
           Case{'.', -1.26, 6, 1, "  -1.3"},
           Case{'.', 2.76, 0, 1, "2.8"},
           Case{'.', 123456.0, 3, 1, "123456.0"},
           Case{'.', 0.5, 1, 3, "0.500"},
       }) {
    Separators(c.decimal, c.decimal == '.' ? ',' : '.');
    EXPECT_EQ(StrFloat(c.x, c.width, c.decimals), c.text) << c.x;
  }
  EXPECT_EQ(StrInt(42, 5), "   42");
  EXPECT_EQ(StrInt(-7, 1), "-7");
  EXPECT_EQ(StrInt(12345, 2), "12345");
}

TEST_F(TextTest, RemoveWord) {
  struct Case {
    const char* word;
    const char* text;
    bool removed;
    const char* rest;
  };
  for (const auto& c : {
           Case{" EXCLUSIVE", "test EXCLUSIVE alias x ", true, "TEST ALIAS X"},
           Case{" EXCLUSIVE", "test exclusive", true, "TEST"},
           Case{" EXCLUSIVE", "a exclusive b Exclusive ", true, "A B"},
           Case{" EXCLUSIVE", "test EXCLUSIVE1 ", false, "TEST EXCLUSIVE1"},
           Case{" EXCLUSIVE", "a EXCLUSIVE_b", false, "A EXCLUSIVE_B"},
           Case{" EXCLUSIVE", "a EXCLUSIVE\\b", false, "A EXCLUSIVE\\B"},
           Case{" EXCLUSIVE", "a EXCLUSIVE/b", false, "A EXCLUSIVE/B"},
           Case{" EXCLUSIVE", "a EXCLUSIVE\xE9", false, "A EXCLUSIVE\xC9"},
           Case{" EXCLUSIVE", "aEXCLUSIVE", false, "AEXCLUSIVE"},
           Case{"", "  mixed Case  ", false, "mixed Case"},
       }) {
    std::string text = c.text;
    EXPECT_EQ(RemoveWord(c.word, text), c.removed) << c.text;
    EXPECT_EQ(text, c.rest) << c.text;
  }
}

}  // namespace
}  // namespace xbase
