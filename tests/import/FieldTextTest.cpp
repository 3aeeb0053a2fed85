#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "import/FieldText.h"
#include "support/ImportRun.h"

using namespace vo;

namespace {

std::string Joined(const std::vector<std::string>& columns) {
  std::string text;
  for (const std::string& column : columns) text += "[" + column + "]";
  return text;
}

TEST(SplitTest, QuotingRules) {
  struct Case {
    std::string line;
    std::string columns;
  };
  const Case kCases[] = {
      {"a,\"b,c\",d", "[a][b,c][d]"},
      {"\"say \"\"hi\"\"\",x", "[say \"hi\"][x]"},
      {"ab\"c,d", "[ab\"c][d]"},
      {"\"a\"b,c", "[ab][c]"},
      {"", "[]"},
      {"a,b,", "[a][b][]"},
      {"a,b\r,c", "[a][b]"},
      {"\"a\rb\",c\r\n", "[a\rb][c]"},
      {std::string("a,b\0c,d", 7), "[a][b]"},
      {",,", "[][][]"},
  };
  // One vector for all cases: columns left over from a longer line must go.
  std::vector<std::string> columns = {"left", "over", "from", "before", "x", "y"};
  for (const Case& c : kCases) {
    Split(columns, c.line, ',');
    EXPECT_EQ(Joined(columns), c.columns) << "line: " << c.line;
  }
}

TEST(CleanNumberTest, StripsDecorationAndSign) {
  struct Case {
    std::string in;
    std::string out;
    bool nonEmpty;
  };
  const Case kCases[] = {
      {"(1,234.50)", "1234.50", true},
      {" $ $ ", "", false},
      {"+12", "12", true},
      {"-100", "100", true},
      {"$1,000.00", "1000.00", true},
      {"12)", "12", true},
      {"", "", false},
      {"  7.5", "7.5", true},
      {"1-2", "1-2", true},
  };
  for (const Case& c : kCases) {
    std::string text = c.in;
    EXPECT_EQ(CleanNumber(text), c.nonEmpty) << c.in;
    EXPECT_EQ(text, c.out) << c.in;
  }
}

// ToInt, ToDouble and the word reader must read exactly what a formatted
// stream read takes from the same text, fast paths and all; where the stream
// reads nothing they throw the conversion error, which names the text.
TEST(ConversionTest, AgreesWithAStreamRead) {
  const char* kTexts[] = {"0",     "-0",        "+5",          " \t12x",      "2147483647",
                          "-2147483648", "2147483648", "-2147483649", "+-1",  "-",
                          "1.",    ".5",        "-.25e2",      "1e",          "3.14159265358979",
                          "0x1A",  "  -12.50)", "1,234.5",     "\v7 8",       "",
                          "inf",   "00012",     "9999999999999999999999",     "1.7976931348623157e309",
                          "12abc", " 2.5e3x",   "(1.5)",       "$3"};
  for (const char* text : kTexts) {
    const std::string quoted = "(\"" + std::string(text) + "\")";
    std::istringstream intStream(text);
    int32_t streamInt = 0;
    if (intStream >> streamInt) {
      EXPECT_EQ(ToInt(text), streamInt) << quoted;
    } else {
      EXPECT_EQ(ConversionError([&] { ToInt(text); }), "ToInt" + quoted);
    }
    std::istringstream doubleStream(text);
    double streamDouble = 0;
    if (doubleStream >> streamDouble) {
      EXPECT_EQ(ToDouble(text), streamDouble) << quoted;
    } else {
      EXPECT_EQ(ConversionError([&] { ToDouble(text); }), "ToDouble" + quoted);
    }
  }
  std::istringstream words("  1 IBM\tJAN-09 \n$25 ");
  size_t at = 0;
  const std::string text = words.str();
  for (std::string word; words >> word;) EXPECT_EQ(NextWord(text, at), word);
  EXPECT_EQ(NextWord(text, at), "");
}

}  // namespace
