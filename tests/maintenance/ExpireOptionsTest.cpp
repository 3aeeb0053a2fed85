#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "maintenance/MaintenanceTestSupport.h"
#include "support/Backends.h"
#include "support/TempDatabase.h"
#include "voservices/Maintenance.h"
#include "voservices/VoServices.h"

using namespace vo;

namespace {

// An option symbol with one opening transaction on it.
struct Opening {
  int action;
  int transType;
  int securityType;
  int daysHeld;  // from the trade to the expiration day
  const char* qty;
  const char* total;
  int expiresInDays = -3;  // negative: already expired
};

// A bought call that expired three days ago, one that expires in a month,
// and a closing sale of the call (no expiration action belongs to it).
constexpr Opening kCall{5, 1, 1, 92, "10", "1500"};
constexpr Opening kFutureCall{5, 1, 1, 92, "10", "1500", 30};
constexpr Opening kCallSale{6, 1, 1, 92, "10", "1500"};

struct OpenPosition {
  std::string id;
  std::string expiration;  // as stored on the symbol
};

// Stores the symbol and the opening transaction on it.
OpenPosition Open(const Opening& opening, const std::string& symbol) {
  DateTime expiryDay = DayFromToday(opening.expiresInDays);
  std::string expiration = Stored(expiryDay, "23:59:59");
  std::string traded = Stored(Shifted(expiryDay, -opening.daysHeld), "10:30:00");
  StoreRow("sym_schema", "sym_table",
           {{"sym_name", symbol}, {"sym_type", std::to_string(opening.securityType)},
            {"sym_exp_date", expiration}});
  std::string id = StoreRow(
      "trans_schema", "trans_table",
      {{"trans_action", std::to_string(opening.action)}, {"trans_pos", "1"},
       {"trans_type", std::to_string(opening.transType)}, {"trans_qty", opening.qty},
       {"trans_unitprice", "1.50"}, {"trans_commission", "9.99"}, {"trans_sec_fee", "0.02"},
       {"trans_dttrade", traded}, {"trans_dtsettle", traded}, {"trans_total", opening.total},
       {"trans_note_user", "opened"}, {"trans_note_id", "B-77"}, {"acct_id", "12"},
       {"sym_name", symbol}});
  return {id, expiration};
}

constexpr char kClosingRows[] =
    "SELECT trans_id, trans_action, trans_pos, trans_type, trans_qty, trans_unitprice, "
    "trans_commission, trans_sec_fee, trans_misc_fee, trans_fed_tax, trans_baseadj, trans_total, "
    "trans_dttrade, trans_dtsettle, trans_dtjrnl, trans_note_user, trans_note_id, acct_id, "
    "sym_name, trans_recon IS NULL, sym_dup IS NULL, trans_ref_id IS NULL, trans_change_date IS NOT NULL "
    "FROM trans_table WHERE trans_pos = 2";
constexpr char kGroupRows[] =
    "SELECT grp_type, grp_qty, grp_st_gl, grp_lt_gl, grp_vlt_gl, trans_id_open, trans_id_close, "
    "grp_open_qty, grp_locked FROM grp_table";
constexpr char kEventRows[] =
    "SELECT trans_id, event_type, event_date, event_qty, gen_trans_id FROM event_table";

struct ExpiryCase {
  const char* name;
  Opening opening;
  const char* expiring;
  int closeAction;
  const char* shortTerm;
  const char* longTerm;
  const char* veryLongTerm;
};

class ExpireOptionsTest : public BackendTest {};
INSTANTIATE_TEST_SUITE_P(, ExpireOptionsTest, BothBackends(), BackendName);

TEST_P(ExpireOptionsTest, WritesClosingTransactionGroupAndEvent) {
  const ExpiryCase cases[] = {
      {"bought call held three months", kCall, "10", 17, "-1500", "0", "0"},
      {"part of a bought call", kCall, "4", 17, "-600", "0", "0"},
      {"sold put, thirteen months", {11, 2, 2, 400, "10", "800"}, "10", 20, "0", "800", "0"},
      {"bought put held six years", {7, 1, 2, 2200, "2", "350.5"}, "2", 19, "0", "0", "-350.5"},
      {"third of a sold call", {9, 2, 1, 30, "3", "1000"}, "1", 18, "333.333333", "0", "0"},
      {"journalled in on a put symbol", {21, 1, 2, 92, "5", "500"}, "5", 19, "-500", "0", "0"},
      {"journalled in on a call symbol", {21, 1, 1, 92, "5", "500"}, "5", 17, "-500", "0", "0"},
  };
  for (const ExpiryCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDatabase database;
    ASSERT_TRUE(database.connected());
    OpenPosition open = Open(c.opening, "XYZ C50");
    ASSERT_FALSE(open.id.empty());

    ASSERT_TRUE(VoServices::ExpireOptions({{open.id, c.expiring}}, nullptr));

    std::string closeId = Rows("SELECT MAX(trans_id) FROM trans_table");
    closeId.pop_back();
    const std::string x = open.expiration, q = c.expiring;
    EXPECT_EQ(Rows(kClosingRows), closeId + "|" + std::to_string(c.closeAction) + "|2|" +
                                      std::to_string(c.opening.transType) + "|" + q +
                                      "|0.0|0.0|0.0|0.0|0.0|0.0|0|" + x + "|" + x + "|" + x +
                                      "||B-77|12|XYZ C50|1|1|1|1\n");
    EXPECT_EQ(Rows(kGroupRows), "3|" + q + "|" + c.shortTerm + "|" + c.longTerm + "|" +
                                    c.veryLongTerm + "|" + open.id + "|" + closeId + "|" +
                                    c.opening.qty + "|0\n");
    EXPECT_EQ(Rows(kEventRows), closeId + "|6|" + x + "|" + q + "|\n");
  }
}

// Nothing is written for what cannot be expired sensibly; the rest still is.
TEST_P(ExpireOptionsTest, SkipsWhatCannotExpireAndStoresTheRest) {
  TempDatabase database;
  ASSERT_TRUE(database.connected());
  Opening noQuantity = kCall;
  noQuantity.qty = "0";

  const std::string futureId = Open(kFutureCall, "F").id;
  const std::string sellId = Open(kCallSale, "S").id;
  const std::string emptyId = Open(noQuantity, "Z").id;
  const std::string paddedId = Open(kCall, "P").id;
  const std::string badQuantityId = Open(kCall, "Q").id;
  const std::string goodId = Open(kCall, "G").id;
  const std::string before = Rows("SELECT * FROM trans_table");

  // Keys end up inside the select's text: anything but a plain number is left out.
  std::map<std::string, std::string> unexpirable = {
      {futureId, "10"},      {sellId, "10"},        {emptyId, "10"},
      {"0" + paddedId, "10"}, {badQuantityId, "ten"}, {goodId + " OR 1=1", "10"},
      {"", "10"},            {"0) OR (1=1", "10"}};
  EXPECT_FALSE(VoServices::ExpireOptions({}, nullptr));
  EXPECT_EQ(VoServices::ExpireOptionsWithOutcome({}).failureKind, VoServices::MaintenanceFailure::kNothingAsked);
  EXPECT_FALSE(VoServices::ExpireOptions(unexpirable, nullptr));
  EXPECT_EQ(VoServices::ExpireOptionsWithOutcome(unexpirable).failureKind,
            VoServices::MaintenanceFailure::kNothingToChange);
  EXPECT_FALSE(VoServices::ExpireOptions({{badQuantityId, "-4"}}, nullptr));
  EXPECT_FALSE(VoServices::ExpireOptions({{badQuantityId, "0"}}, nullptr));
  EXPECT_EQ(Rows("SELECT * FROM trans_table"), before);
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM grp_table"), "0\n");
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM event_table"), "0\n");

  unexpirable[goodId] = "10";
  const VoServices::MaintenanceOutcome outcome = VoServices::ExpireOptionsWithOutcome(unexpirable);
  EXPECT_TRUE(outcome.changed);
  EXPECT_EQ(outcome.expiredIds, std::vector<std::string>{goodId});
  EXPECT_EQ(Rows("SELECT trans_id_open, grp_qty FROM grp_table"), goodId + "|10\n");
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM event_table"), "1\n");
}

// What would expire nothing is found before anything is written: ids of no
// option position, options not expired, quantities above what is still open
// after earlier expirations or a later closing trade.
TEST_P(ExpireOptionsTest, ChecksFindWhatWouldExpireNothing) {
  TempDatabase database;
  ASSERT_TRUE(database.connected());
  const std::string goodId = Open(kCall, "G").id;
  const std::string futureId = Open(kFutureCall, "F").id;
  const std::string saleId = Open(kCallSale, "S").id;
  const std::string soldId = Open(kCall, "C").id;
  StoreRow("trans_schema", "trans_table",
           {{"trans_action", "6"}, {"trans_pos", "2"}, {"trans_type", "1"}, {"trans_qty", "10"},
            {"trans_dttrade", Stored(DayFromToday(-5), "10:00:00")}, {"acct_id", "12"}, {"sym_name", "C"}});

  EXPECT_TRUE(VoServices::CheckExpirations({{goodId, "4"}}).empty());
  ASSERT_TRUE(VoServices::ExpireOptions({{goodId, "4"}}, nullptr));
  const std::pair<std::map<std::string, std::string>, std::string> cases[] = {
      {{{goodId, "7"}}, goodId + ": the quantity 7 is more than the 6 of G still open"},
      {{{futureId, "1"}}, futureId + ": the option F has not expired (it expires "},
      {{{saleId, "1"}}, saleId + ": transaction " + saleId + " (S) opens no option position"},
      {{{soldId, "1"}}, soldId + ": the position of transaction " + soldId + " (C) is expired or closed already"},
      {{{goodId, "ten"}}, goodId + ": the quantity 'ten' is not a positive number"},
      {{{"99999", "1"}}, "99999: there is no transaction 99999"},
      {{{"1 OR 1=1", "1"}}, "1 OR 1=1: not a transaction id"},
  };
  for (const auto& [asked, problem] : cases) {
    const std::vector<std::string> problems = VoServices::CheckExpirations(asked);
    ASSERT_EQ(problems.size(), 1u) << problem;
    EXPECT_TRUE(problems[0].starts_with(problem)) << problems[0];
  }
  ASSERT_TRUE(VoServices::ExpireOptions({{goodId, "6"}}, nullptr));
  EXPECT_EQ(VoServices::CheckExpirations({{goodId, "1"}}),
            std::vector<std::string>{goodId + ": the position of transaction " + goodId +
                                     " (G) is expired or closed already"});
}

}  // namespace
