#include "import/TradeMonsterData.h"

#include <gtest/gtest.h>

#include "import/ImportColumns.h"
#include "ImportedFixture.h"
#include "LogCapture.h"

namespace {

const std::string kHeader =
    "TransactionID, Date, Time,Type,Description,Strike,Type,Side,Quantity,Symbol,Price per unit,"
    "Underlier Symbol,Fee,Commission,Amount,Security Type, Expiration Date,Security Description,"
    "Open or Close,Deliverables,Market Statistics, Trade Journal notes";

class TradeMonsterTest : public testing::Test {
 protected:
  void Decode(const std::vector<std::string>& lines) {
    ASSERT_TRUE(parser_.MatchesHeader(kHeader));
    for (const std::string& line : lines) ASSERT_TRUE(parser_.Parse(line));
    ASSERT_TRUE(parser_.Decode(symbols_, transactions_));
  }

  LogCapture log_;
  TradeMonsterData parser_{"7"};
  SymbolMap symbols_;
  TransactionMap transactions_;
};

TEST_F(TradeMonsterTest, HeaderMayCarryMoreColumns) {
  EXPECT_FALSE(parser_.MatchesHeader("Account Number: 5TM00001,Account Name: Test Trader"));
  EXPECT_FALSE(parser_.MatchesHeader(kHeader.substr(0, kHeader.rfind(','))));
  EXPECT_FALSE(parser_.MatchesHeader("TransactionID,Date" + kHeader.substr(19)));
  ASSERT_TRUE(parser_.MatchesHeader(kHeader + ",Currency"));
  ASSERT_TRUE(parser_.Parse("1,02-Feb-09,10:00:00,Fee,Wire fee,0,,,,,,,0,0,25.00,Cash,,,,,,,USD"));
  ASSERT_TRUE(parser_.Decode(symbols_, transactions_));
  EXPECT_EQ(log_.Messages("Error"),
            "Discarded Trade - 1,02-Feb-09,10:00:00,Fee,Wire fee,0,,,,,,,0,0,25.00,Cash,,,,,,,USD\n");
}

TEST_F(TradeMonsterTest, ActivityTypesDecideWhatIsKept) {
  Decode({
      "1,02-Feb-09,10:00:00,Dividend,IBM dividend,0,,BUY,10,IBM,5.00,IBM,0,0,50.00,Equity,,IBM,OPEN",
      "2,03-Feb-09,10:00:00,Receipt,Cash received,0,,,,,,,0,0,100.00,Cash",
      "3,04-Feb-09,10:00:00,Stock Dividend,Spinoff,0,,,5,XYZ,,,0,0,0,Equity",
      "4,05-Feb-09,10:00:00,Reversal,Reverse,0,,,5,XYZ,,,0,0,0,Equity",
      "5,06-Feb-09,10:00:00,Delivery,Shares in,0,,,100,ABC,,,0,0,0,Equity",
      "6,07-Feb-09,10:00:00,Transfer,Shares out,0,,SELL,100,ABC,,,0,0,0,Equity",
      "7,08-Feb-09,10:00:00,Transfer,Cash out,0,,SELL,,,,,0,0,500,Cash",
      "8,09-Feb-09,10:00:00,Trade,Bought put,80.00,PUT,BUY,1,IBM090220C00080000,2.00,IBM,0,0,200,"
      "Option,20-Feb-09,IBM Feb 09 80 Put,OPEN",
      "9,10-Feb-09,10:00:00,Trade,Bought call,22.50,CALL,BUY,1,IBM090220C00022500,2.00,IBM,0,0,200,"
      "Option,20-Feb-09,IBM Feb 09 22.5 Call,OPEN",
      "10,11-Feb-09,10:00:00,Trade,Odd,0,,BUY,1,ODD,1,,0,0,1,Warrant",
      "11,12-Feb-09,10:00:00,Assignment,Assigned,30.00,CALL,SELL,1,IBM090220C00030000,0,IBM,0,0,0,"
      "Option,20-Feb-09",
      "12,13-Feb-09,10:00:00,Exercise,Called away,0,,SELL,100,IBM,30.00,IBM,0,0,3000,Equity,,,CLOSE",
  });
  std::string kept;
  for (auto& [key, fields] : transactions_) {
    using namespace TransColumn;
    kept += key + ": " + fields[kTransAction] + " " + fields[kTransPos] + " " + fields[kTransType] +
            " " + fields[kTransQty] + " " + fields[kSymName] + " " + fields[kTransUnitPrice] +
            " journal " + fields[kTransJrnlIn] + " " + fields[kTransDtJrnl] + "\n";
  }
  EXPECT_EQ(kept,
            "Rec #0: 0 1 1 10 IBM 5.00 journal 1 2/02/2009 10:00:00\n"
            "Rec #1: 34 0 0 N/A $CASH$ N/A journal  \n"
            "Rec #11: 2 2 1 100 IBM 30.00 journal  \n"
            "Rec #2: 27 0 0 5 XYZ  journal  \n"
            "Rec #3: 48 2 1 5 XYZ  journal  \n"
            "Rec #4: 0 0 0 100 ABC  journal 1 2/06/2009 10:00:00\n"
            "Rec #5: 48 2 1 100 ABC  journal  \n"
            "Rec #8: 5 1 1 1 IBM090220C00022500 2.00 journal  \n");

  std::string decoded;
  for (auto& [name, fields] : symbols_) {
    using namespace SymColumn;
    decoded += name + ": " + fields[kSymType] + " " + fields[kSymExpDate] + " " +
               fields[kSymStrike] + " " + fields[kSymUnder] + "\n";
  }
  EXPECT_EQ(decoded,
            "$CASH$: 11   \n"
            "ABC: 0   \n"
            "IBM: 0   IBM\n"
            "IBM090220C00022500: 1 2/20/2009 22.5 IBM\n"
            "IBM090220C00030000: 1 2/20/2009 30 IBM\n"
            "IBM090220C00080000: 2 2/20/2009 80 IBM\n"
            "XYZ: 0   \n");

  EXPECT_EQ(log_.Messages("Error"),
            "Discarded Trade - 7,08-Feb-09,10:00:00,Transfer,Cash out,0,,SELL,,,,,0,0,500,Cash,,,,,,\n"
            "Discarded Trade - 8,09-Feb-09,10:00:00,Trade,Bought put,80.00,PUT,BUY,1,"
            "IBM090220C00080000,2.00,IBM,0,0,200,Option,20-Feb-09,IBM Feb 09 80 Put,OPEN,,,\n"
            "Discarded Trade - 10,11-Feb-09,10:00:00,Trade,Odd,0,,BUY,1,ODD,1,,0,0,1,Warrant,,,,,,\n"
            "Discarded Trade - 11,12-Feb-09,10:00:00,Assignment,Assigned,30.00,CALL,SELL,1,"
            "IBM090220C00030000,0,IBM,0,0,0,Option,20-Feb-09,,,,,\n");
  EXPECT_EQ(log_.Messages("Info"),
            "Total Stocks in Source file= 6\nTotal Puts in Source file= 0\n"
            "Total Calls in Source file= 1\n");
}

TEST_F(TradeMonsterTest, StrikeIsReadOnlyOnAcceptedActivities) {
  ASSERT_TRUE(parser_.MatchesHeader(kHeader));
  ASSERT_TRUE(parser_.Parse("1,02-Feb-09,10:00:00,Fee,Wire fee,,,,,,,,0,0,25.00,Cash"));
  ASSERT_TRUE(parser_.Parse("2,02-Feb-09,10:00:00,Trade,Bought,,,BUY,1,IBM,1,IBM,0,0,1,Equity"));
  try {
    parser_.Decode(symbols_, transactions_);
    ADD_FAILURE() << "expected the conversion error";
  } catch (const std::string& error) {
    EXPECT_EQ(error, "ToDouble(\"\")");
  }
}

TEST(TradeMonsterImportTest, ActivityAfterAccountLines) {
  ImportedFixture imported("trademonster/activity.csv",
                           "trans_action, trans_pos, trans_type, trans_qty, sym_name, "
                           "trans_dttrade, trans_unitprice, trans_total, trans_commission, "
                           "trans_sec_fee, trans_note_user, trans_trade_num, trans_jrnl_in, "
                           "trans_dtjrnl, acct_id");
  EXPECT_TRUE(imported.succeeded) << imported.log;
  EXPECT_EQ(imported.rows,
            "0|1|1|100|IBM|2009-01-05 09:31:12|84.25|8429.95|4.95|0.00|"
            "Bought 100 IBM Bid 84.20 first lot|9001|||7|\n"
            "9|1|2|2|IBM090116C00090000|2009-01-06 10:02:45|1.55|304.71|5.25|0.04|"
            "Sold 2 IBM Jan 90 Call  covered|9002|||7|\n"
            "34|0|0|N/A|$CASH$|2009-01-15 08:00:00|N/A|50.00|0.00|0.00|IBM cash dividend  |9003|1|"
            "2009-01-15 08:00:00|7|\n"
            "36|0|0|N/A|$CASH$|2009-01-30 17:00:00|N/A|0.12|0.00|0.00|Credit interest  |9004|||7|\n"
            "0|1|1|25|GE|2009-01-20 09:00:00|12.50|312.50|0.00|0.00|Shares received  |9005|1|"
            "2009-01-20 09:00:00|7|\n");
  EXPECT_TRUE(imported.Logged("Info\t\tHeader: TransactionID, Date, Time,Type,Descripti..."));
  EXPECT_TRUE(imported.Logged(
      "Error\t\tDiscarded Trade - 9006,21-Jan-09,09:00:00,Fee,Wire fee,0,,,,,,,0.00,0.00,25.00,"
      "Cash,,,,,,"));
  EXPECT_TRUE(imported.Logged(
      "Error\t\tDiscarded Trade - 9007,16-Jan-09,16:00:00,Exercise,Exercised 1 IBM Jan 80 Put,"
      "80.00,PUT,BUY,1,IBM090116P00080000,0.00,IBM,0.00,0.00,0.00,Option,16-Jan-09,"
      "IBM Jan 09 80.00 Put,CLOSE,,,"));
  EXPECT_TRUE(imported.Logged("Info\t\tTotal Stocks in Source file= 4"));
  EXPECT_TRUE(imported.Logged("Info\t\tTotal Calls in Source file= 1"));
  EXPECT_TRUE(imported.Logged("5 unique symbols and 5 unique transactions decoded."));
  EXPECT_TRUE(imported.Logged("5 of 5 transactions inserted into DB."));
}

}  // namespace
