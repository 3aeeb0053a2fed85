#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "maintenance/MaintenanceTestSupport.h"
#include "support/Backends.h"
#include "support/TempDatabase.h"
#include "voservices/Maintenance.h"
#include "voservices/VoServices.h"

using namespace vo;

namespace {

constexpr int kBuy = 0;
constexpr int kSell = 2;
constexpr int kShortSell = 3;
constexpr int kBuyToCover = 4;

constexpr char kOriginalNote[] = "typed by the user";

struct Trade {
  int action;
  const char* time;
  const char* movedTo = nullptr;  // expected new trade time; null: left alone
  int day = 0;                    // days after the base day
  int movedDay = 0;
  const char* account = "7";
  const char* symbol = "IBM";
};

// Stores the trades in order; their ids.
std::vector<std::string> StoreTrades(const std::vector<Trade>& trades, const DateTime& base) {
  std::vector<std::string> ids;
  for (const Trade& trade : trades) {
    std::string time = Stored(Shifted(base, trade.day), trade.time);
    ids.push_back(StoreRow("trans_schema", "trans_table",
                           {{"trans_action", std::to_string(trade.action)}, {"trans_qty", "100"},
                            {"trans_dttrade", time}, {"trans_dtsettle", time},
                            {"trans_note_user", kOriginalNote}, {"acct_id", trade.account},
                            {"sym_name", trade.symbol}}));
  }
  return ids;
}

// Trade time, settlement time and note of each trade, in the order stored.
constexpr char kTimes[] =
    "SELECT trans_dttrade, trans_dtsettle, trans_note_user FROM trans_table ORDER BY trans_id";

std::string ExpectedTimes(const std::vector<Trade>& trades, const DateTime& base) {
  std::string text;
  for (const Trade& trade : trades) {
    std::string original = Stored(Shifted(base, trade.day), trade.time);
    if (!trade.movedTo) {
      text += original + "|" + original + "|" + kOriginalNote + "\n";
      continue;
    }
    std::string moved = Stored(Shifted(base, trade.movedDay), trade.movedTo);
    text += moved + "|" + moved + "|" + Display(Shifted(base, trade.day), trade.time) + "\n";
  }
  return text;
}

struct SmartTimeCase {
  const char* name;
  std::vector<Trade> trades;
};

class SmartTimeTest : public BackendTest {};
INSTANTIATE_TEST_SUITE_P(, SmartTimeTest, BothBackends(), BackendName);

TEST_P(SmartTimeTest, MovesBuysBeforeTheSaleOfTheirDay) {
  const SmartTimeCase cases[] = {
      {"buy in the second of the sale", {{kSell, "10:00:00"}, {kBuy, "10:00:00", "09:59:59"}}},
      {"sell, buy, buy",
       {{kSell, "10:00:00"}, {kBuy, "10:30:00", "09:59:59"}, {kBuy, "11:00:00", "09:59:59"}}},
      {"buy, sell, buy", {{kBuy, "09:00:00"}, {kSell, "10:00:00"}, {kBuy, "11:00:00", "09:59:59"}}},
      {"buy to cover, short sale",
       {{kBuyToCover, "10:00:00"}, {kShortSell, "10:30:00", "09:59:59"}}},
      {"short sale then buy to cover, buy then sell",
       {{kShortSell, "10:00:00"},
        {kBuyToCover, "10:30:00"},
        {.action = kBuy, .time = "09:00:00", .symbol = "AA"},
        {.action = kSell, .time = "09:30:00", .symbol = "AA"}}},
      {"sale at midnight",
       {{kSell, "00:00:00"},
        {.action = kBuy, .time = "08:00:00", .movedTo = "23:59:59", .movedDay = -1}}},
      {"next day, other account, other symbol",
       {{kSell, "10:00:00"},
        {.action = kBuy, .time = "09:00:00", .day = 1},
        {.action = kBuy, .time = "10:30:00", .account = "8"},
        {.action = kBuy, .time = "10:30:00", .symbol = "IBMX"}}},
  };
  const DateTime base = DayFromToday(-10);
  for (const SmartTimeCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDatabase database;
    ASSERT_TRUE(database.connected());
    std::vector<std::string> ids = StoreTrades(c.trades, base);
    // Each move as the run reports it: "id from -> to".
    std::string expectedMoves;
    for (size_t i = 0; i < c.trades.size(); ++i) {
      const Trade& trade = c.trades[i];
      if (!trade.movedTo) continue;
      expectedMoves += ids[i] + " " + Display(Shifted(base, trade.day), trade.time) + " -> " +
                       Display(Shifted(base, trade.movedDay), trade.movedTo) + "\n";
    }

    const VoServices::MaintenanceOutcome outcome = VoServices::ApplySmartTimeWithOutcome(ids);
    EXPECT_EQ(outcome.changed, !expectedMoves.empty());
    EXPECT_EQ(outcome.failureKind == VoServices::MaintenanceFailure::kNothingToChange, expectedMoves.empty());
    EXPECT_EQ(Rows(kTimes), ExpectedTimes(c.trades, base));
    std::string reported;
    for (const VoServices::SmartTimeMove& move : outcome.moves) {
      reported += move.id + " " + move.from + " -> " + move.to + "\n";
    }
    EXPECT_EQ(reported, expectedMoves);
  }
}

// Only the listed transactions take part; ids that are not plain numbers are
// left out of the select, so they cannot widen it.
TEST_P(SmartTimeTest, OnlyListedPlainIdsTakePart) {
  TempDatabase database;
  ASSERT_TRUE(database.connected());
  const DateTime base = DayFromToday(-3);
  const std::vector<Trade> trades = {
      {kSell, "10:00:00"},
      {kBuy, "10:00:00", "09:59:59"},
      {.action = kSell, .time = "14:00:00", .account = "9"},
      {.action = kBuy, .time = "14:30:00", .account = "9"},
  };
  std::vector<std::string> ids = StoreTrades(trades, base);
  const std::string before = Rows(kTimes);

  EXPECT_FALSE(VoServices::ApplySmartTime({}, nullptr));
  EXPECT_EQ(VoServices::ApplySmartTimeWithOutcome({}).failureKind, VoServices::MaintenanceFailure::kNothingAsked);
  EXPECT_FALSE(VoServices::ApplySmartTime({"998", "999"}, nullptr));
  EXPECT_EQ(VoServices::ApplySmartTimeWithOutcome({"998", "999"}).failure, "none of the ids names a transaction");
  EXPECT_FALSE(VoServices::ApplySmartTime({"x", ids[0] + " OR 1=1", " " + ids[1]}, nullptr));
  EXPECT_EQ(Rows(kTimes), before);

  EXPECT_TRUE(VoServices::ApplySmartTime({ids[0], ids[1], "0) OR (1=1"}, nullptr));
  EXPECT_EQ(Rows(kTimes), ExpectedTimes(trades, base));
}

}  // namespace
