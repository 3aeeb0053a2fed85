#include "import/formats/TradeMonsterData.h"

#include <gtest/gtest.h>

#include "db/TableColumns.h"
#include "support/Backends.h"
#include "support/Decoded.h"
#include "support/Rows.h"
#include "support/TempDatabase.h"

using namespace vo;

namespace {

const std::string kHeader =
    "TransactionID, Date, Time,Type,Description,Strike,Type,Side,Quantity,Symbol,Price per unit,"
    "Underlier Symbol,Fee,Commission,Amount,Security Type, Expiration Date,Security Description,"
    "Open or Close,Deliverables,Market Statistics, Trade Journal notes";

TEST(TradeMonsterTest, HeaderMayCarryMoreColumns) {
  TradeMonsterData parser("7");
  EXPECT_FALSE(parser.MatchesHeader("Account Number: 5TM00001,Account Name: Test Trader"));
  EXPECT_FALSE(parser.MatchesHeader(kHeader.substr(0, kHeader.rfind(','))));
  EXPECT_FALSE(parser.MatchesHeader("TransactionID,Date" + kHeader.substr(19)));
  Decoded<TradeMonsterData> d(kHeader + ",Currency",
                              {"1,02-Feb-09,10:00:00,Trade,Bought,0,,BUY,1,IBM,1,IBM,0,0,1,Equity,,,,,,,USD"});
  EXPECT_EQ(d.transactions.size(), 1u);
}

// A blank strike is read, and refused, only on an activity that is kept.
TEST(TradeMonsterTest, StrikeIsReadOnlyOnAcceptedActivities) {
  EXPECT_EQ(ConversionError([] {
              Decoded<TradeMonsterData>(kHeader, {"1,02-Feb-09,10:00:00,Fee,Wire fee,,,,,,,,0,0,25.00,Cash",
                                                  "2,02-Feb-09,10:00:00,Trade,Bought,,,BUY,1,IBM,1,IBM,0,0,1,Equity"});
            }),
            "ToDouble(\"\")");
}

class TradeMonsterImportTest : public BackendTest {};
INSTANTIATE_TEST_SUITE_P(, TradeMonsterImportTest, BothBackends(), BackendName);

// Every activity type's rule, one line each; kept activities are stored in
// the byte order of their keys ("Rec #10" before "Rec #2").
TEST_P(TradeMonsterImportTest, ActivitiesAfterAccountLines) {
  TempDatabase database;
  ImportRun imported = RunImport(VO_TEST_DATA_DIR "/trademonster/activity.csv");
  EXPECT_TRUE(imported.imported) << imported.log;
  EXPECT_EQ(Rows(
                "SELECT trans_trade_num, trans_action, trans_pos, trans_type, trans_qty, sym_name, "
                "trans_dttrade, trans_unitprice, trans_total, trans_jrnl_in, trans_dtjrnl "
                "FROM trans_table ORDER BY trans_id"),
            "9001|0|1|1|100|IBM|2009-01-05 09:31:12|84.25|8429.95||\n"
            "9002|9|1|2|2|IBM090116C00090000|2009-01-06 10:02:45|1.55|304.71||\n"
            "9011|48|2|1|5|XYZ|2009-01-16 08:00:00||0||\n"
            "9012|0|0|0|100|ABC|2009-01-19 08:00:00||0|1|2009-01-19 08:00:00\n"
            "9013|48|2|1|100|ABC|2009-01-20 08:00:00||0||\n"
            "9016|5|1|1|1|IBM090220C00022500|2009-01-22 10:05:00|2.00|201.25||\n"
            "9019|2|2|1|100|IBM|2009-01-27 10:00:00|30.00|3000||\n"
            "9003|34|0|0|N/A|$CASH$|2009-01-07 08:00:00|N/A|50|1|2009-01-07 08:00:00\n"
            "9004|36|0|0|N/A|$CASH$|2009-01-08 17:00:00|N/A|0.12||\n"
            "9005|0|1|1|25|GE|2009-01-09 09:00:00|12.50|312.5|1|2009-01-09 09:00:00\n"
            "9008|0|1|1|25|GE|2009-01-13 08:00:00|0.31|7.75|1|2009-01-13 08:00:00\n"
            "9009|34|0|0|N/A|$CASH$|2009-01-14 08:00:00|N/A|100||\n"
            "9010|27|0|0|5|XYZ|2009-01-15 08:00:00||0||\n");
  EXPECT_EQ(Rows("SELECT sym_name, sym_type, sym_exp_date, sym_strike, sym_under "
                            "FROM sym_table ORDER BY sym_name"),
            "$CASH$|11|||\nABC|0|||\nGE|0|||GE\nIBM|0|||IBM\n"
            "IBM090116C00090000|1|2009-01-16 00:00:00|90|IBM\n"
            "IBM090116P00080000|2|2009-01-16 00:00:00|80|IBM\n"
            "IBM090220C00022500|1|2009-02-20 00:00:00|22.5|IBM\n"
            "IBM090220C00030000|1|2009-02-20 00:00:00|30|IBM\n"
            "IBM090220C00080000|2|2009-02-20 00:00:00|80|IBM\n"
            "XYZ|0|||\n");
  EXPECT_EQ(Rows("SELECT trans_note_user FROM trans_table "
                            "WHERE trans_trade_num = '9001'"),
            "Bought 100 IBM Bid 84.20 first lot\n");

  EXPECT_EQ(imported.Lines("Error"),
            "Discarded Trade - 9006,10-Jan-09,09:00:00,Fee,Wire fee,0,,,,,,,0.00,0.00,25.00,Cash,,,,,,\n"
            "Discarded Trade - 9007,12-Jan-09,16:00:00,Exercise,Exercised 1 IBM Jan 80 Put,80.00,PUT,"
            "BUY,1,IBM090116P00080000,0.00,IBM,0.00,0.00,0.00,Option,16-Jan-09,IBM Jan 09 80.00 Put,"
            "CLOSE,,,\n"
            "Discarded Trade - 9014,21-Jan-09,08:00:00,Transfer,Cash out,0,,SELL,,,,,0.00,0.00,500.00,"
            "Cash,,,,,,\n"
            "Discarded Trade - 9015,22-Jan-09,10:00:00,Trade,Bought put,80.00,PUT,BUY,1,"
            "IBM090220C00080000,2.00,IBM,0.00,0.00,200.00,Option,20-Feb-09,IBM Feb 09 80 Put,OPEN,,,\n"
            "Discarded Trade - 9017,23-Jan-09,10:00:00,Trade,Warrant,0,,BUY,1,ODD,1,,0.00,0.00,1.00,"
            "Warrant,,,,,,\n"
            "Discarded Trade - 9018,26-Jan-09,10:00:00,Assignment,Assigned,30.00,CALL,SELL,1,"
            "IBM090220C00030000,0,IBM,0.00,0.00,0.00,Option,20-Feb-09,,,,,\n");
  EXPECT_EQ(imported.Lines("Info", "Total "),
            "Total Stocks in Source file= 10\nTotal Puts in Source file= 0\nTotal Calls in Source file= 2\n");
}

}  // namespace
