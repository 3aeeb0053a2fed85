#include "ledgerdb/StoredForms.h"

#include <gtest/gtest.h>

using namespace vo;

namespace {

struct DateCase {
  const char* text;
  const char* stored;  // null: the text must be refused
};

TEST(StoredFormsTest, DatesNormaliseFromEveryFormTheSystemWrites) {
  const DateCase kCases[] = {
      {"1/16/2009 23:59:59", "2009-01-16 23:59:59"},
      {"1/16/2009", "2009-01-16 00:00:00"},
      {"01/16/09 09:30", "2009-01-16 09:30:00"},
      {"12/31/99", "1999-12-31 00:00:00"},
      {"1/1/29", "2029-01-01 00:00:00"},
      {"1/1/30", "1930-01-01 00:00:00"},
      {"2009-01-16 09:30:00", "2009-01-16 09:30:00"},
      {"2009-01-16T09:30:00", "2009-01-16 09:30:00"},
      {"1-16-2009", "2009-01-16 00:00:00"},
      {"565484396832570112", "2009-01-16 23:59:59"},
      {"1/16/09 9:30 PM", "2009-01-16 21:30:00"},
      {"1/16/09 12:05 am", "2009-01-16 00:05:00"},
      {" 2/29/2008 ", "2008-02-29 00:00:00"},
      {"abc", nullptr},
      {"99", nullptr},
      {"0", nullptr},
      {"2/30/2009", nullptr},
      {"13/1/2009", nullptr},
      {"1/16/2009 24:00:00", nullptr},
      {"1/16/2009 9:30 XM", nullptr},
      {"1/16", nullptr},
      {" 09:30:00", nullptr},
      {"2009-01-16 09:30:00 junk", nullptr},
  };
  for (const DateCase& c : kCases) {
    std::string stored;
    StoredForm form = NormaliseDate(c.text, stored);
    if (c.stored) {
      EXPECT_EQ(form, StoredForm::kValue) << c.text;
      EXPECT_EQ(stored, c.stored) << c.text;
    } else {
      EXPECT_EQ(form, StoredForm::kInvalid) << c.text << " -> " << stored;
    }
  }
  std::string stored;
  EXPECT_EQ(NormaliseDate("", stored), StoredForm::kNull);
  EXPECT_EQ(NormaliseDate("  ", stored), StoredForm::kNull);
}

struct AmountCase {
  const char* text;
  int64_t millionths;
  bool valid;
};

TEST(StoredFormsTest, AmountsReadAsTheNumberTheyShow) {
  const AmountCase kCases[] = {
      {"1500", 1500000000, true},
      {"-12.5", -12500000, true},
      {"$1,250.50", 1250500000, true},
      {"(1,250.50)", -1250500000, true},
      {"($5)", -5000000, true},
      {"-$5.25", -5250000, true},
      {"$-5.25", -5250000, true},
      {"0.0000005", 1, true},
      {"-0.0000005", -1, true},
      {"0.0000004", 0, true},
      {"1.5e+06", 1500000000000, true},
      {"2.5E-3", 2500, true},
      {"12,345,678.9", 12345678900000, true},
      {".5", 500000, true},
      {"abc", 0, false},
      {"12abc", 0, false},
      {"1,23", 0, false},
      {"1234,567", 0, false},
      {"(-5)", 0, false},
      {"--5", 0, false},
      {"$", 0, false},
      {"(5", 0, false},
      {"99999999999999999999", 0, false},
  };
  for (const AmountCase& c : kCases) {
    int64_t millionths = 0;
    StoredForm form = ParseAmount(c.text, millionths);
    if (c.valid) {
      EXPECT_EQ(form, StoredForm::kValue) << c.text;
      EXPECT_EQ(millionths, c.millionths) << c.text;
    } else {
      EXPECT_EQ(form, StoredForm::kInvalid) << c.text << " -> " << millionths;
    }
  }
  int64_t millionths = 0;
  EXPECT_EQ(ParseAmount(" ", millionths), StoredForm::kNull);
}

TEST(StoredFormsTest, MillionthsReadBackAsPlainAmounts) {
  EXPECT_EQ(FormatMillionths(1500000000), "1500");
  EXPECT_EQ(FormatMillionths(-12500000), "-12.5");
  EXPECT_EQ(FormatMillionths(1), "0.000001");
  EXPECT_EQ(FormatMillionths(-1), "-0.000001");
  EXPECT_EQ(FormatMillionths(0), "0");
  EXPECT_EQ(FormatMillionths(INT64_MIN), "-9223372036854.775808");
}

TEST(StoredFormsTest, WholeNumbersForEnumerationColumns) {
  int64_t value = 0;
  EXPECT_EQ(ParseWholeNumber(" 17 ", value), StoredForm::kValue);
  EXPECT_EQ(value, 17);
  EXPECT_EQ(ParseWholeNumber("-1", value), StoredForm::kValue);
  EXPECT_EQ(value, -1);
  EXPECT_EQ(ParseWholeNumber("", value), StoredForm::kNull);
  EXPECT_EQ(ParseWholeNumber("Buy", value), StoredForm::kInvalid);
  EXPECT_EQ(ParseWholeNumber("1.5", value), StoredForm::kInvalid);
  EXPECT_EQ(ParseWholeNumber("-", value), StoredForm::kInvalid);
}

}  // namespace
