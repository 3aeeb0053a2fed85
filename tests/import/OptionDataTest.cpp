#include <gtest/gtest.h>

#include <chrono>

#include "db/TableColumns.h"
#include "import/OptionData.h"
#include "import/OptionDates.h"
#include "import/SymbolDefaults.h"
#include "support/ImportRun.h"

using namespace vo;

namespace {

std::string Render(const OptionData& data) {
  return std::to_string(data.securityType) + "|" + data.symbol + "|" + data.underlying + "|" +
         data.expiration + "|" + data.strike;
}

std::string Render(const SymbolFields& fields) {
  std::string text;
  for (const auto& [index, value] : fields) text += std::to_string(index) + "=" + value + " ";
  return text;
}

TEST(ParseSecurityTypeTest, BothWordings) {
  struct Case {
    std::string text;
    OptionWords words;
    int32_t type;
  };
  const Case kCases[] = {
      {"IBM Jan 09 50 Call", OptionWords::kBlankBounded, kSecurityTypeStock},
      {"1 IBM Jan 09 50 Call ", OptionWords::kBlankBounded, kSecurityTypeCall},
      {"1 IBM Jan 09 50 Call", OptionWords::kBlankBounded, kSecurityTypeUndefined},
      {"1 IBM Jan 09 50 Call", OptionWords::kAnywhere, kSecurityTypeCall},
      {"1 IBM Jan 09 50 Call ", OptionWords::kAnywhere, kSecurityTypeCall},
      {"2 X CALL PUTS", OptionWords::kAnywhere, kSecurityTypePut},
      {"2 X CALL PUTS", OptionWords::kBlankBounded, kSecurityTypeCall},
      {"2 X PUTS CALL ", OptionWords::kBlankBounded, kSecurityTypePut},
      {"3 x put call", OptionWords::kAnywhere, kSecurityTypeUndefined},
  };
  LogCapture log;
  for (const Case& c : kCases) {
    EXPECT_EQ(ParseSecurityType(c.text, c.words), c.type) << "[" << c.text << "]";
  }
  EXPECT_EQ(log.Lines("Error"),
            "ParseSecurityType - Unknown Option Type1 IBM Jan 09 50 Call\n"
            "ParseSecurityType - Unknown Option Type3 x put call\n");
}

TEST(OptionDatesTest, ThirdFridayOfEveryMonthMatchesTheCalendar) {
  using namespace std::chrono;
  for (int y = 1995; y <= 2040; ++y) {
    for (unsigned m = 1; m <= 12; ++m) {
      year_month_day ymd{sys_days{year{y} / month{m} / Friday[3]}};
      ASSERT_EQ(ThirdFriday(y, static_cast<int32_t>(m)), static_cast<int32_t>(unsigned{ymd.day()}))
          << y << "-" << m;
    }
  }
}

TEST(OptionDatesTest, ExpirationText) {
  EXPECT_EQ(OptionExpirationDate(9, 1, 0), "1/16/2009 23:59:59");
  EXPECT_EQ(OptionExpirationDate(2009, 1, 17), "1/17/2009 23:59:59");
  EXPECT_EQ(OptionExpirationDate(2009, 0, 5), "0/5/2009 23:59:59");
  EXPECT_EQ(ExpirationFromParts("09", "JAN", ""), "1/16/2009 23:59:59");
  EXPECT_EQ(MonthNumber("Dec"), 12);
  EXPECT_EQ(MonthNumber("dec"), 0);
  EXPECT_EQ(MonthNumber("JANUARY"), 0);
}

TEST(OptionDataTest, FromSymbolOrDescription) {
  struct Case {
    std::string symbol, description;
    OptionWords words;
    std::string rendered;
  };
  const Case kCases[] = {
      {"IBM Jan 17 '09 $50 CALL", "", OptionWords::kAnywhere,
       "1|IBM090117C00050000|IBM|1/17/2009 23:59:59|50"},
      {"IBMAJ", "1 IBM JAN-09 $50 Call", OptionWords::kAnywhere,
       "1|IBMAJ|IBM|1/16/2009 23:59:59|50"},
      {"IBMAJ", "1 IBM Jan 17 '09 $50 Call ", OptionWords::kBlankBounded,
       "1|IBMAJ|IBM|1/17/2009 23:59:59|50"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(Render(OptionData(c.symbol, c.description, c.words)), c.rendered) << c.symbol;
  }
  // Symbols are built with a two-digit year and day and an eight-digit strike in thousandths.
  EXPECT_EQ(OptionSymbol("X", "12/5/2010 23:59:59", kSecurityTypePut, "7.125"), "X101205P00007125");
}

// OCC-style symbols, padded or as a broker writes them, give the same option;
// texts that only look alike are no option.
TEST(OptionDataTest, OccSymbols) {
  struct Case {
    const char* text;
    const char* rendered;  // "" when the text is no option symbol
  };
  const Case kCases[] = {
      {"SPY   221118C00400000", "1|SPY221118C00400000|SPY|11/18/2022 23:59:59|400"},
      {" -SPY221118C400", "1|SPY221118C00400000|SPY|11/18/2022 23:59:59|400"},
      {"-QQQ221118P260.50", "2|QQQ221118P00260500|QQQ|11/18/2022 23:59:59|260.5"},
      {"BRKB250117C00022500", "1|BRKB250117C00022500|BRKB|1/17/2025 23:59:59|22.5"},
      {"AAPL", ""},
      {"912828ZP8", ""},
      {"SPY221318C400", ""},
      {"221118C400", ""},
  };
  for (const Case& c : kCases) {
    OptionData data;
    EXPECT_EQ(ReadOccSymbol(c.text, data) ? Render(data) : "", c.rendered) << c.text;
  }
  EXPECT_EQ(OptionKindOfWord(" calls "), kSecurityTypeCall);
  EXPECT_EQ(OptionKindOfWord("p"), kSecurityTypePut);
  EXPECT_EQ(OptionKindOfWord("STOCK"), kSecurityTypeStock);
}

TEST(OptionDataTest, ShortTextsAreLoggedAndAMissingYearThrows) {
  LogCapture log;
  OptionData shortDescription("X", "1 CALL JAN-09", OptionWords::kAnywhere);
  EXPECT_EQ(Render(shortDescription), "1|X|CALL|1/16/2009 23:59:59|");
  EXPECT_EQ(log.Lines("Error"),
            "Error extracting option data from Description: 1 CALL JAN-09\n");
  EXPECT_EQ(ConversionError([] { OptionData("IBM Call", "", OptionWords::kAnywhere); }),
            "ToInt(\"\")");
  EXPECT_NE(log.Text().find("Error extracting option data from Symbol: IBM Call"),
            std::string::npos);
}

TEST(SymbolDefaultsTest, FieldsByType) {
  struct Case {
    int32_t type;
    std::string rendered;
  };
  const std::string common = "15=1 16=1 18=0 21=1 24=USD ";
  const Case kCases[] = {
      {kSecurityTypeCall, "3=1 6=100 7=!STOCK! 13=0 " + common},
      {kSecurityTypePutIndexOption, "3=4 7=!INDEX! " + common},
      {kSecurityTypeBond, "3=7 6=0 " + common},
      {kSecurityTypeETF, "3=5 " + common},
  };
  for (const Case& c : kCases) {
    SymbolFields fields;
    SymbolDefaults(c.type, fields);
    EXPECT_EQ(Render(fields), c.rendered) << c.type;
  }
  SymbolFields withUnderlying = {{SymColumn::kSymUnder, "IBM"}};
  SymbolDefaults(kSecurityTypePut, withUnderlying);
  EXPECT_EQ(withUnderlying[SymColumn::kSymUnder], "IBM");
}

}  // namespace
