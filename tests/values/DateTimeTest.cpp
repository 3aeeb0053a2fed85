#include "values/DateTime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

using namespace vo;

namespace {

void VerifyParse(const std::string& text, const std::string& display) {
  EXPECT_EQ(DateTime(text).ToDisplayText(), display) << "text: \"" << text << "\"";
}

void VerifyLoose(const std::string& text, const std::string& display) {
  EXPECT_EQ(DateTime(DateTime::ParseLoose(text)).ToDisplayText(), display) << "text: \"" << text << "\"";
}

DateTime FromClock(std::time_t seconds) {
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[64];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
  return DateTime(std::string(text));
}

TEST(DateTimeTest, ParseTextReadsEveryForm) {
  VerifyParse("1/16/2009 23:59:59", "01/16/2009 23:59:59");
  VerifyParse("1/16/2009", "01/16/2009 00:00:00");
  VerifyParse("2009-01-16 09:30:00", "01/16/2009 09:30:00");
  VerifyParse("  565484396832570112xyz", "01/16/2009 23:59:59");
  VerifyParse("12/31/2008 7:05", "12/31/2008 07:05:00");       // missing items stay 0
  VerifyParse("1/16/x 10:00:00", "01/16/0000 00:00:00");       // reading stops at the mismatch
  VerifyParse("300/16/2009", "44/16/2009 00:00:00");           // cut to the field width
  for (const char* text : {"", "99", "0", "-", "today", "/"}) EXPECT_TRUE(DateTime(text).IsZero()) << text;
}

TEST(DateTimeTest, PackedFormOrdersAndIdentifiesDays) {
  EXPECT_EQ(DateTime(565484396832570112ull).ToDisplayText(), "01/16/2009 23:59:59");
  EXPECT_EQ(DateTime("1/16/2009 23:59:59").ToPackedText(), "565484396832570112");
  EXPECT_EQ(DateTime().ToPackedText(), "0");
  uint64_t morning = DateTime("2009-01-16 00:00:01").packed();
  uint64_t evening = DateTime("1/16/2009 23:59:59").packed();
  uint64_t nextDay = DateTime("1/17/2009").packed();
  EXPECT_LT(morning, evening);
  EXPECT_LT(evening, nextDay);
  EXPECT_LT(DateTime("12/31/2008 23:59:59").packed(), DateTime("1/1/2009").packed());
  EXPECT_EQ(morning >> 32, evening >> 32);
  EXPECT_NE(evening >> 32, nextDay >> 32);
}

TEST(DateTimeTest, ParseLooseReadsBrokerForms) {
  VerifyLoose("1/16/09 9:30 PM", "01/16/2009 21:30:00");
  VerifyLoose("1/16/2009 09:30:15 pm", "01/16/2009 21:30:15");
  VerifyLoose("1/16/2009 12:15 AM", "01/16/2009 12:15:00");  // 12 AM stays 12
  VerifyLoose("12/31/99", "12/31/1999 00:00:00");
  VerifyLoose("12/31/30", "12/31/1930 00:00:00");
  VerifyLoose("12/31/29", "12/31/2029 00:00:00");
  VerifyLoose("1-16-2009", "01/16/2009 00:00:00");
  VerifyLoose("3/7", "03/00/0000 00:00:00");  // month only
  EXPECT_EQ(DateTime::ParseLoose(""), 0u);
  EXPECT_EQ(DateTime::ParseLoose("565484396832570112"), 565484396832570112ull);
}

TEST(DateTimeTest, AddCarriesAndSubtractBorrows) {
  struct Case {
    const char* start;
    bool subtract;
    int amounts[6];  // years, months, days, hours, minutes, seconds
    const char* result;
  };
  const Case cases[] = {
      {"12/31/2008 23:59:59", false, {0, 0, 0, 0, 0, 1}, "01/01/2009 00:00:00"},
      {"2/28/2008", false, {0, 0, 1, 0, 0, 0}, "02/29/2008 00:00:00"},
      {"2/28/2009", false, {0, 0, 1, 0, 0, 0}, "03/01/2009 00:00:00"},
      {"1/31/2009", false, {0, 1, 0, 0, 0, 0}, "03/03/2009 00:00:00"},
      {"11/15/2009", false, {1, 3, 0, 0, 0, 0}, "02/15/2011 00:00:00"},
      {"1/16/2009 22:00:00", false, {0, 0, 0, 0, 0, 3600 * 50 + 61}, "01/19/2009 00:01:01"},
      {"3/1/2009", false, {0, 0, 2000000, 0, 0, 0}, "12/23/7484 00:00:00"},
      {"1/1/2009", true, {0, 0, 0, 0, 0, 1}, "12/31/2008 23:59:59"},
      {"3/1/2008", true, {0, 0, 0, 0, 0, 1}, "02/29/2008 23:59:59"},
      {"3/1/2009", true, {0, 0, 0, 0, 0, 1}, "02/28/2009 23:59:59"},
      {"1/15/2009 10:00:00", true, {1, 2, 20, 11, 0, 0}, "10/25/2007 23:00:00"},
      {"3/31/2009", true, {0, 1, 0, 0, 0, 0}, "03/03/2009 00:00:00"},
      {"1/16/2009", true, {0, 0, 700000, 0, 0, 0}, "07/04/0092 00:00:00"},
  };
  for (const Case& c : cases) {
    DateTime value(c.start);
    const int* a = c.amounts;
    c.subtract ? value.Subtract(a[0], a[1], a[2], a[3], a[4], a[5]) : value.Add(a[0], a[1], a[2], a[3], a[4], a[5]);
    EXPECT_EQ(value.ToDisplayText(), c.result) << c.start << (c.subtract ? " minus" : " plus") << " case";
  }
}

TEST(DateTimeTest, ToLocalAppliesBaseBias) {
  for (auto [bias, local] : {std::pair{300, "01/15/2009 22:00:00"}, {-330, "01/16/2009 08:30:00"},
                             {0, "01/16/2009 03:00:00"}, {-1440, "01/17/2009 03:00:00"}}) {
    DateTime value("2009-01-16 03:00:00");
    value.ToLocal(bias);
    EXPECT_EQ(value.ToDisplayText(), local) << "bias " << bias;
  }
  setenv("TZ", "EST5", 1);
  DateTime value("2009-01-16 03:00:00");
  value.ToLocal();
  EXPECT_EQ(value.ToDisplayText(), "01/15/2009 22:00:00");
}

TEST(DateTimeTest, CurrentTimeFollowsTheClock) {
  setenv("TZ", "EST5", 1);
  std::time_t before = std::time(nullptr);
  DateTime utc = DateTime::UtcNow();
  DateTime local = DateTime::Now();
  std::time_t after = std::time(nullptr);
  EXPECT_GE(utc.packed(), FromClock(before).packed());
  EXPECT_LE(utc.packed(), FromClock(after).packed());
  EXPECT_GE(local.packed(), FromClock(before - 5 * 3600).packed());
  EXPECT_LE(local.packed(), FromClock(after - 5 * 3600).packed());
}

TEST(DateTimeTest, DaysInMonthAndHeldTerm) {
  EXPECT_EQ(DateTime::DaysInMonth(2, 1900), 28);
  EXPECT_EQ(DateTime::DaysInMonth(2, 2000), 29);
  EXPECT_EQ(DateTime::DaysInMonth(2, 2008), 29);
  EXPECT_EQ(DateTime::DaysInMonth(11, 2009), 30);
  EXPECT_EQ(DateTime::DaysInMonth(13, 2009), 31);

  EXPECT_EQ(DateTime::HeldTerm("3/15/2008", "3/15/2009"), 1);
  EXPECT_EQ(DateTime::HeldTerm("3/15/2008", "3/16/2009"), 2);
  EXPECT_EQ(DateTime::HeldTerm("3/15/2008 10:00:00", "3/16/2009 09:00:00"), 1);
  EXPECT_EQ(DateTime::HeldTerm("3/15/2008", "3/15/2013"), 2);
  EXPECT_EQ(DateTime::HeldTerm("3/15/2008", "3/16/2013"), 3);
  EXPECT_EQ(DateTime::HeldTerm("3/16/2013", "3/15/2008"), 1);
}

}  // namespace
