#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "xbase/core/NumberText.h"

namespace xbase {
namespace {

// What LeadingNumber means, read the slow way: an optional '+' dropped, then from_chars.
double SlowLeadingNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  return ec == std::errc() && std::isfinite(value) ? value : 0;
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
      {"1.2.3", 1.2},   {"12a", 12},        {" 5", 0},         {"1e3", 1},
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
  const std::string_view alphabet = "0123456789000.-+ x";
  std::uniform_int_distribution<std::size_t> length(0, 19), pick(0, alphabet.size() - 1);
  for (int k = 0; k < 200000; ++k) {
    std::string text(length(random), ' ');
    for (char& c : text) c = alphabet[pick(random)];
    ASSERT_TRUE(SameDouble(LeadingNumber(text), SlowLeadingNumber(text))) << "'" << text << "'";
  }
}

}  // namespace
}  // namespace xbase
