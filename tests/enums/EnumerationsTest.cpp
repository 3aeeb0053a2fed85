// The enumerations registered while the library loads, as the application and
// the rest of the library find them.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/EnumLookup.h"
#include "ledgerdb/HEnum.h"

using namespace vo;

namespace {

const HEnum& Registered(const std::string& name) {
  const HEnum* e = HEnum::GetEnum(name);
  if (!e) throw std::runtime_error("not registered: " + name);
  return *e;
}

std::vector<int32_t> ValuesInOrder(const std::string& name) {
  std::vector<int32_t> values;
  for (const auto& [value, friendly] : Registered(name)) values.push_back(value);
  return values;
}

std::vector<int32_t> Range(int32_t from, int32_t to) {
  std::vector<int32_t> values;
  for (int32_t v = from; v <= to; ++v) values.push_back(v);
  return values;
}

TEST(EnumerationsTest, AllFortyEightAreRegisteredWithTheirMemberCounts) {
  struct Expected {
    const char* name;
    size_t members;
  };
  static const Expected kExpected[] = {
      {"SyncType", 6},          {"HeldType", 4},           {"PeriodType", 9},
      {"CurrencyType", 1},      {"ReportMethod", 3},       {"CorpEventType", 7},
      {"TransType", 4},         {"TransAction", 57},       {"TransPos", 4},
      {"SecurityTypeGroup", 12}, {"SecurityType", 15},     {"ReconStatus", 2},
      {"TransActionRecon1099", 7}, {"SyncMethod", 2},      {"ModeType", 12},
      {"RangeType", 2},         {"RangeTypeChart", 1},     {"PeriodValue", 5},
      {"Year", 13},             {"TransViewType", 24},     {"GroupsViewType", 15},
      {"PerfViewType", 16},     {"ReportsViewType", 7},    {"DivPayType", 4},
      {"EventType", 7},         {"UngroupedView", 2},      {"GroupedView", 3},
      {"OfxVersion", 3},        {"ClientPref", 39},        {"GroupType", 8},
      {"UserType", 2},          {"GroupLockStatus", 2},    {"SortType", 2},
      {"TransListCol", 19},     {"PerfListCol", 10},       {"GroupListCol", 12},
      {"FieldSeparator", 5},    {"InvestorTypes", 3},      {"PosState", 3},
      {"DialogType", 6},        {"DateAcquiredPref", 2},   {"TransSearchFields", 4},
      {"DFProviderTypes", 8},   {"VO_FILE_EXT", 6},        {"FractMgmtType", 3},
      {"GroupMethod", 4},       {"TransLockStatus", 3},    {"SymExpCol", 20},
  };
  ASSERT_EQ(std::size(kExpected), 48u);
  for (const Expected& expected : kExpected) {
    SCOPED_TRACE(expected.name);
    const HEnum* e = HEnum::GetEnum(expected.name);
    ASSERT_NE(e, nullptr);
    // Distinct member names and distinct values: no member was lost to a typo.
    EXPECT_EQ(e->GetValues().size(), expected.members);
    EXPECT_EQ(ValuesInOrder(expected.name).size(), expected.members);
    for (const auto& [name, value] : e->GetValues()) {
      EXPECT_NE(e->GetFriendlyString(value), "") << name;
    }
  }
  EXPECT_EQ(HEnum::GetEnum("Transaction"), nullptr);
}

TEST(EnumerationsTest, SharedFriendlyStringsFindTheLaterMember) {
  struct Case {
    const char* enumName;
    const char* text;
    int32_t value;
  };
  static const Case kCases[] = {
      {"TransAction", "Buy", 0},
      {"TransAction", "Buy to Cover", 4},
      {"TransAction", "Buy Call - Exercised", 53},
      {"TransAction", "Sell Put to Open - Assigned", 56},
      {"PeriodType", "1/1 - 3/31", 5},
      {"SecurityType", "Call Option (Equity)", 1},
      {"SecurityType", "FOREX (Foreign Currency Contract)", 10},
      {"TransAction", "sell", HEnum::kNoValue},
      {"TransAction", "Sell ", HEnum::kNoValue},
      {"TransAction", "", HEnum::kNoValue},
      {"NoSuchEnumeration", "Sell", HEnum::kNoValue},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(ValueOfFriendlyString(c.enumName, c.text), c.value) << c.enumName << " / " << c.text;
  }

  // Each member keeps its own text by value.
  const HEnum& actions = Registered("TransAction");
  EXPECT_EQ(actions.GetFriendlyString(13), "Buy Call - Exercised");
  EXPECT_EQ(Registered("PeriodType").GetFriendlyString(1), "1/1 - 3/31");
}

TEST(EnumerationsTest, IterationIsInAscendingValueOrderKeepingGaps) {
  const HEnum& securityTypes = Registered("SecurityType");
  EXPECT_EQ(ValuesInOrder("SecurityType"), Range(0, 14));
  EXPECT_EQ(securityTypes.begin()->second, "Stock");
  EXPECT_EQ(std::prev(securityTypes.end())->second, "Undefined");

  std::vector<int32_t> transListCol = Range(0, 10);
  for (int32_t v : Range(12, 19)) transListCol.push_back(v);
  EXPECT_EQ(ValuesInOrder("TransListCol"), transListCol);
  EXPECT_EQ(Registered("TransListCol").GetFriendlyString(12), "Commission");
  EXPECT_EQ(Registered("TransListCol").GetFriendlyString(11), "");  // a gap has no text

  std::vector<int32_t> clientPref = Range(0, 26);
  for (int32_t v : {28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 42}) clientPref.push_back(v);
  EXPECT_EQ(ValuesInOrder("ClientPref"), clientPref);

  EXPECT_EQ(ValuesInOrder("RangeTypeChart"), std::vector<int32_t>{2});

  std::vector<int32_t> bits;
  for (int bit = 20; bit <= 25; ++bit) bits.push_back(int32_t{1} << bit);
  EXPECT_EQ(ValuesInOrder("VO_FILE_EXT"), bits);
}

TEST(EnumerationsTest, MemberNamesGiveTheirValues) {
  struct Case {
    const char* enumName;
    const char* member;
    int32_t value;
  };
  static const Case kCases[] = {
      {"TransAction", "TransActionIgnore", 52},
      {"TransAction", "NotAMember", 0},
      {"TransAction", "transactionignore", 0},  // names compare byte for byte
      {"TransAction", "SecurityTypeCall", 0},  // member of another enumeration
      {"Year", "YearAll", 0},
      {"Year", "Year2006", 12},
      {"VO_FILE_EXT", "EXT_VOQIF", 0x100000},
      {"ClientPref", "ClientPrefWashOptions", 42},
      {"GroupType", "GroupTypeVOManagedOption", 3},
      {"SymExpCol", "SymExportColUnderDesc", 9},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(Registered(c.enumName).GetValue(c.member), c.value) << c.enumName << " / " << c.member;
  }
}

TEST(EnumerationsTest, TextsKeepAmpersandsBlanksAndTab) {
  std::string separators;
  for (const auto& [value, text] : Registered("FieldSeparator")) separators += std::to_string(value) + ":" + text + "|";
  EXPECT_EQ(separators, "0:Comma - '|1:Space -  |2:Tab -\t|3:Single Quote - ' |4:Double Quote - \" |");
  EXPECT_EQ(Registered("FieldSeparator").GetByFriendlyString("Space - "), HEnum::kNoValue);

  EXPECT_EQ(ValueOfFriendlyString("RangeType", "Year && Tax Period"), 1);
  EXPECT_EQ(ValueOfFriendlyString("RangeType", "Year & Tax Period"), HEnum::kNoValue);
  EXPECT_EQ(Registered("ClientPref").GetFriendlyString(9), "exports_precsion");
}

}  // namespace
