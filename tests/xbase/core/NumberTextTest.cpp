#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "tests/xbase/ExactNumberText.h"
#include "xbase/core/NumberText.h"

namespace xbase {
namespace {

// What LeadingNumber means, read the slow way: an optional '+' dropped, then from_chars.
double SlowLeadingNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  return ec == std::errc() && std::isfinite(value) ? value : 0;
}

std::string Formatted(double value, int decimals) {
  char text[600];
  return std::string(text, NumberText(value, decimals, text));
}

bool SameDouble(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(NumberTextTest, LeadingNumbers) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"", 0},          {"-", 0},           {".", 0},          {"-.", 0},
      {"12", 12},       {"-12", -12},       {"+12", 12},       {"++12", 0},
      {"12.50", 12.5},  {"-.5", -0.5},      {"5.", 5},         {".25", 0.25},
      {"1.2.3", 1.2},   {"12a", 12},        {" 5", 0},         {"1e3", 1000},
      {"1.5E2", 150},   {"-2.5e-1", -0.25}, {"1E+2x", 100},    {"1E", 1},
      {"1e+", 1},       {"1E-400", 0},      {"1E400", 0},      {"inf", 0},
      {"999999999999999", 999999999999999.0},  // the most digits read the quick way
      {"1234567890.12345", 1234567890.12345},  // one more
      {"0.1", 0.1},     {"-0", -0.0},
  };
  for (const Case& c : cases) {
    const double value = LeadingNumber(c.text);
    EXPECT_TRUE(SameDouble(value, c.value)) << c.text << " gives " << value;
  }
}

TEST(NumberTextTest, QuickReadingRoundsAsFromChars) {
  std::mt19937 random(3);
  const std::string_view alphabet = "0123456789000.-+ xeE";
  std::uniform_int_distribution<std::size_t> length(0, 19), pick(0, alphabet.size() - 1);
  for (int k = 0; k < 200000; ++k) {
    std::string text(length(random), ' ');
    for (char& c : text) c = alphabet[pick(random)];
    ASSERT_TRUE(SameDouble(LeadingNumber(text), SlowLeadingNumber(text))) << "'" << text << "'";
  }
}

TEST(NumberTextTest, NumberTexts) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {2.5, 0, "3"},          {-2.5, 0, "-3"},        {0.125, 2, "0.13"},   {-0.125, 2, "-0.13"},
      {12.5, 0, "13"},        {0.25, 1, "0.3"},       {9.5, 0, "10"},       {-99.5, 0, "-100"},
      {0.5, 0, "1"},          {1.005, 2, "1.00"},     {2.675, 2, "2.67"},   {0.15, 1, "0.1"},
      {-0.4, 0, "0"},         {-0.001, 2, "0.00"},    {-0.0, 1, "0.0"},     {123.456, 2, "123.46"},
      {7, 3, "7.000"},        {0x1p51 + 0.5, 0, "2251799813685249"},     {1e300, 0, ""},
      {0x1p-30, 29, "0.00000000093132257461547851563"},  // half-way at 29 decimals
  };
  for (const Case& c : cases)
    EXPECT_EQ(Formatted(c.value, c.decimals), c.text) << c.value << "/" << c.decimals;
}

TEST(NumberTextTest, NumberTextsRoundAsTheirExactDigitsSay) {
  std::mt19937 random(5);
  std::uniform_int_distribution<int> decimals(0, 8), exponent(-40, 60), sign(0, 1);
  std::uniform_int_distribution<std::int64_t> units(-2000000, 2000000);
  for (int k = 0; k < 100000; ++k) {
    const int d = decimals(random);
    double value = 0;
    switch (k % 3) {
      case 0: value = static_cast<double>(units(random)) / 8; break;             // halves, quarters, eighths
      case 1: value = static_cast<double>(units(random)) / std::pow(10.0, d + 1); break;
      default: value = std::ldexp(sign(random) ? -1.0 : 1.0, exponent(random)) * (1 + k % 7); break;
    }
    ASSERT_EQ(Formatted(value, d), ExactNumberText(value, d)) << value << "/" << d;
  }
}

}  // namespace
}  // namespace xbase
