#include "values/NumberText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "values/DecimalText.h"
#include "values/Utf8Text.h"

using namespace vo;

namespace {

TEST(NumberTextTest, TextReadsWithoutDecorations) {
  EXPECT_EQ(TextToInt("$1,250"), 1250);
  EXPECT_EQ(TextToInt("12%"), 12);
  EXPECT_EQ(TextToInt(""), 0);
  EXPECT_EQ(TextToInt("  -42 shares"), -42);
  EXPECT_EQ(TextToInt("99,999,999,999,999,999,999"), INT_MAX);
  EXPECT_EQ(TextToInt("-99999999999999999999"), INT_MIN);
  EXPECT_DOUBLE_EQ(TextToDouble("$1,250.50"), 1250.5);
  EXPECT_DOUBLE_EQ(TextToDouble("(1,250.50)"), 0);
  EXPECT_DOUBLE_EQ(TextToDouble("-3.5%"), -3.5);
}

// Plain decimals are read by a shortcut; every text must give strtod's double
// to the last bit (a tax total is compared after rounding, so one ulp can
// decide whether a row is rewritten).
TEST(NumberTextTest, PlainDecimalsReadToTheBitAsStrtodReadsThem) {
  std::vector<std::string> texts = {"0", "-0", "0.1", "-0.3", "007.50", "5.", ".5", "-", "1e3", " 12", "12 ",
                                    "999999999999999", "9999999999999999", "0.000000000000001",
                                    "123456789.123456", "12345678.9012345", "9007199254740993"};
  uint64_t state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    std::string text = std::to_string(state >> (state % 50 + 14));
    const size_t point = (state >> 8) % (text.size() + 1);
    if (point < text.size()) text.insert(point == 0 ? 1 : point, ".");
    if (state & 1) text.insert(0, "-");
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    const double read = TextToDouble(text), expected = std::strtod(text.c_str(), nullptr);
    EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << text;
  }
}

TEST(NumberTextTest, RoundDecimalsRoundsHalfAwayFromZero) {
  struct Case {
    double x;
    int decimals;
    double rounded;
  };
  const Case cases[] = {
      {2.345, 2, 2.35},          {-2.345, 2, -2.35},         {2.344, 2, 2.34},
      {-2.5, 0, -3},             {0.1234565, 6, 0.123457},   {1.23456789, 9, 1.234568},
      {1.23456789, -1, 1.234568}, {1e15 + 0.5, 0, 1e15 + 1},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(RoundDecimals(c.x, c.decimals), c.rounded) << c.x << " to " << c.decimals;
  }
  EXPECT_TRUE(std::isnan(RoundDecimals(std::nan(""), 2)));
}

TEST(NumberTextTest, FormatNumberRoundsGroupsAndTrimsAndWritesNonFiniteValuesAsText) {
  struct Case {
    double x;
    bool separators;
    int decimals;
    bool trim;
    const char* text;
  };
  const Case cases[] = {
      {-1500, false, 6, true, "-1500"},          {1234.5, true, 2, false, "1,234.50"},
      {1234567.891, true, 2, false, "1,234,567.89"}, {-1000, true, 6, true, "-1,000"},
      {5, false, 2, false, "5.00"},              {5, false, 6, false, "5"},  // no millionths, no point
      {1.1, false, 6, false, "1.100000"},        {1.1, false, 6, true, "1.1"},
      {2.5, false, 0, true, "3"},                {0.125, false, 2, true, "0.13"},
      {0.004, false, 2, true, "0"},              {-0.004, false, 2, true, "0"},
      {-0.0000001, false, 6, true, "0"},         {0.0000005, false, 6, true, "0.000001"},
      {999.9999999, false, 6, true, "1000"},     {1.23456789, false, 9, true, "1.234568"},
      {-12345678901234.5, false, 2, false, "-12345678901234.50"},
      {1e15, true, 2, true, "1,000,000,000,000,000"},
      // Values that are no finite number are written as text.
      {std::numeric_limits<double>::quiet_NaN(), false, 6, true, "nan"},
      {std::numeric_limits<double>::infinity(), true, 2, false, "inf"},
      {-std::numeric_limits<double>::infinity(), false, 6, true, "-inf"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatNumber(c.x, c.separators, c.decimals, c.trim), c.text)
        << c.x << " separators " << c.separators << " decimals " << c.decimals << " trim " << c.trim;
  }
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::max(), false, 6, true).size(), 309u);
}

// Decoded prices and totals are written as a stream writes a double by
// default; every stored amount depends on that text.
TEST(NumberTextTest, DoubleTextIsTheDefaultStreamText) {
  const double values[] = {0.0,     -0.0,     1.0,          0.5,      -12.25,      123456.0,
                           1234567, 999999.5, 0.0001234565, 1e-5,     2.0 / 3.0,   -1e300,
                           5e-324,  1e21,     820.54 / 14,  99999.95, 1.0 / 1024.0};
  for (double value : values) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "%g", value);
    EXPECT_EQ(ToText(value), expected) << value;
  }
  EXPECT_EQ(ToText(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(ToText(std::numeric_limits<double>::quiet_NaN()), "nan");
}

TEST(Utf8TextTest, OnlyWellFormedSequencesAreText) {
  const std::pair<std::string, bool> texts[] = {
      {"", true},
      {"ASCII only", true},
      {"Soci\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\x88", true},  // 2, 3 and 4 bytes
      {"\xF4\x8F\xBF\xBF", true},                                     // U+10FFFF
      {"G\xC0\xAF" "E", false},                                       // overlong "/"
      {"Soci\xE9t\xE9", false},                                       // Latin-1
      {"\xED\xA0\x80", false},                                        // a surrogate
      {"\xF4\x90\x80\x80", false},                                    // past U+10FFFF
      {"\xE2\x82", false},                                            // cut short
      {"\x80", false},                                                // a stray continuation
  };
  for (const auto& [text, valid] : texts) EXPECT_EQ(vo::Utf8Text::IsValid(text), valid) << text;
}

// What is not UTF-8 is read byte by byte as Windows-1252; what is stays.
TEST(Utf8TextTest, RepairReadsStrayBytesAsWindows1252) {
  const std::pair<std::string, std::string> texts[] = {
      {"Soci\xE9t\xE9 G\xE9n\xE9rale", "Soci\xC3\xA9t\xC3\xA9 G\xC3\xA9n\xC3\xA9rale"},
      {"\x80 5 \x93q\x94 \x9F", "\xE2\x82\xAC 5 \xE2\x80\x9Cq\xE2\x80\x9D \xC5\xB8"},  // the 0x80-0x9F block
      {"\x81\xFF", "\xC2\x81\xC3\xBF"},                       // unassigned, and the last byte
      {"\xC3\xA9 and \xE9", "\xC3\xA9 and \xC3\xA9"},          // a line of both
      {"\xE2\x82", "\xC3\xA2\xE2\x80\x9A"},                    // a cut sequence
  };
  for (const auto& [text, repaired] : texts) {
    EXPECT_EQ(vo::Utf8Text::Repaired(text), repaired) << text;
    EXPECT_TRUE(vo::Utf8Text::IsValid(vo::Utf8Text::Repaired(text))) << text;
  }
}

}  // namespace
