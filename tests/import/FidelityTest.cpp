// The two Fidelity layouts: imported end to end into a fresh database, and
// the rules of their decoding that are easiest to get wrong.
#include <gtest/gtest.h>

#include "db/EnumValues.h"
#include "db/TableColumns.h"
#include "import/formats/FidelitySymbol.h"
#include "import/formats/FidelityTradeV2.h"
#include "support/Backends.h"
#include "support/Decoded.h"
#include "support/LayoutImport.h"
#include "support/TempDatabase.h"

using namespace vo;

namespace {

const std::string kData = VO_TEST_DATA_DIR "/fidelity/";

class FidelityTest : public BackendTest {};
INSTANTIATE_TEST_SUITE_P(, FidelityTest, BothBackends(), BackendName);

// A short line is refused and a line without the account name is taken;
// sells keep their quantity's magnitude and option symbols lose their
// leading "-". Only "CLOSED" marks a closing buy, so the closing buy of the
// call is stored as an opening one; the call traded in November expires in
// January of the next year. The reinvestment is no trade but adds its symbol.
TEST_P(FidelityTest, Version1ImportsBuysAndSells) {
  TempDatabase database;
  ImportRun run = RunImport(kData + "v1.csv");
  EXPECT_TRUE(run.imported) << run.log;

  EXPECT_EQ(StoredTrades(),
            "Buy|1|1|100|IBM|2008-11-14 00:00:00|2008-11-14 00:00:00|80.25|7.95|0.00|8032.95\n"
            "Sell Call to Open|1|2|1|IBMAR|2008-11-17 00:00:00|2008-11-17 00:00:00|3.10|7.95|0.00|302.05\n"
            "Buy Call|1|1|1|IBMAR|2008-12-01 00:00:00|2008-12-01 00:00:00|1.05|7.95|0.00|113\n"
            "Sell|2|1|100|IBM|2008-12-18 00:00:00|2008-12-18 00:00:00|84.00|7.95|0.00|8392.05\n");
  EXPECT_EQ(StoredSymbols(),
            "IBM|0||||1|USD|INTL BUSINESS MACHS\n"
            "IBMAR|1|!STOCK!|2009-01-16 23:59:59|90|100|USD|CALL (IBM) INTL BUSINESS MACHS JAN 90 "
            "(100 SHS)\n"
            "SPY|0||||1|USD|SPDR TRUST UNIT SER 1\n");

  EXPECT_EQ(run.Lines("Error"),
            "Record 0007 FidelityTradeV1::Parse - Unexpected number of columns.\n"
            "Failed to parse line 8: 12/19/2008,YOU BOUGHT,MSFT,100,19.00\n"
            "Record 0004 Discarding record - Security Description blank or Quantity = 0.\n"
            "Record 0005 Discarding record - only specific trade types accepted.\n"
            "Record 0007 Discarding record - Security Description blank or Quantity = 0.\n");
}

// Cash activity moves to "$CASH$", a dividend keeps its stock's symbol, both
// with quantity and price 0; an unknown action is logged twice; a line
// without settlement date is taken; the totals count discarded records too.
TEST_P(FidelityTest, Version2ImportsEveryKnownActivity) {
  TempDatabase database;
  ImportRun run = RunImport(kData + "v2.csv");
  EXPECT_TRUE(run.imported) << run.log;

  EXPECT_EQ(StoredTrades(),
            "Buy|1|1|100|MSFT|2008-11-10 00:00:00|2008-11-13 00:00:00|20.10|7.95|0.00|2017.95\n"
            "Sell Call to Open|1|2|1|MSFTAX|2008-11-12 00:00:00|2008-11-13 00:00:00|0.85|7.95|0.03|77.02\n"
            "Income Dividend|0|0|0|MSFT|2008-11-20 00:00:00|2008-11-20 00:00:00|0|||13\n"
            "Interest (Margin)|0|0|0|$CASH$|2008-11-28 00:00:00|2008-11-28 00:00:00|0|||4.12\n"
            "Sell|2|1|100|MSFT|2008-12-05 00:00:00||19.05|7.95|0.02|1897.03\n");
  EXPECT_EQ(StoredSymbols(),
            "$CASH$|11||||0|USD|\n"
            "MSFT|0||||1|USD|MICROSOFT CORP\n"
            "MSFTAX|1|!STOCK!|2009-01-16 23:59:59|22.5|100|USD|CALL (MSFT) MICROSOFT CORP JAN 22.5 "
            "(100 SHS)\n");

  EXPECT_EQ(run.Lines("Error"),
            "Record 0005 Discarding record - only specific action types accepted.\n"
            "Record 0005 REINVESTMENT\n");
  EXPECT_EQ(run.Lines("Info", "Total "),
            "Total Stock Transactions in Source File= 4\n"
            "Total Call Transactions in Source File= 1\n"
            "Total Put Transactions in Source File= 0\n");
}

// The activity is the first table entry, in key order, whose words all occur
// in the Action; trades then take their action from the Action's words and
// the Security Type.
TEST_P(FidelityTest, Version2ActionsFromActivityAndTradeWords) {
  struct Case {
    const char* action;
    const char* securityType;
    const char* expected;  // action/position/type symbol quantity price
  };
  const Case kCases[] = {
      {"YOU BOUGHT OPENING TRANSACTION", "Call", "5/1/1 XYZ 10 5.00"},
      {"YOU BOUGHT CLOSING TRANSACTION", "Put", "12/2/2 XYZ 10 5.00"},
      {"YOU BOUGHT CLOSING TRANSACTION", "Stock", "4/2/2 XYZ 10 5.00"},
      {"YOU BOUGHT ASSIGNMENT PUTS", "Stock", "0/1/1 XYZ 10 5.00"},
      {"YOU BOUGHT ASSIGNMENT PUTS", "Put", "-1/-1/-1 XYZ 10 5.00"},
      {"YOU SOLD OPENING TRANSACTION", "Stock", "3/1/2 XYZ 10 5.00"},
      {"YOU SOLD OPENING TRANSACTION", "Put", "11/1/2 XYZ 10 5.00"},
      // Taken by "YOU SOLD", not by "YOU SOLD EX-DIV" (a plain sale).
      {"YOU SOLD EX-DIV CLOSING TRANSACTION", "Call", "6/2/1 XYZ 10 5.00"},
      {"YOU SOLD ASSIGNMENT CALLS", "Call", "-1/-1/-1 XYZ 10 5.00"},
      {"FOREIGN DIVIDEND RECEIVED", "Stock", "27/0/0 XYZ 10 5.00"},
      {"NAME CHANGED N/C TO XYZ NEW", "Stock", "22/2/1 XYZ 10 5.00"},
      {"MERGER MER FROM XYZ", "Stock", "21/1/1 XYZ 10 5.00"},
      {"REDEMPTION FROM CORE ACCOUNT", "Cash", "2/2/1 XYZ 10 5.00"},
      {"Electronic Funds Transfer Received", "Cash", "34/0/0 $CASH$ 10 5.00"},
      {"TRANSFERRED TO VS X12-345678-1", "Cash", "38/0/0 $CASH$ 10 5.00"},
  };
  std::vector<std::string> lines;
  for (const Case& c : kCases) {
    lines.push_back(std::string("12/01/2008,") + c.action + ",XYZ,XYZ CORP," + c.securityType +
                    ",10,5.00,,,,50.00,12/04/2008");
  }
  lines.push_back("12/01/2008,SHORT-TERM CAP GAIN,XYZ,XYZ CORP,Stock,,,,,,1.00,");
  Decoded<FidelityTradeV2> d(
      "Trade Date,Action,Symbol,Security Description,Security Type,Quantity,Price ($),Commission ($),"
      "Fees ($),Accrued Interest ($),Amount ($),Settlement Date",
      lines);

  using namespace TransColumn;
  ASSERT_EQ(d.transactions.size(), std::size(kCases));  // the last record is discarded
  for (size_t i = 0; i < std::size(kCases); ++i) {
    TransactionFields t = d.transactions.at("Rec #" + std::to_string(i));
    EXPECT_EQ(t[kTransAction] + "/" + t[kTransPos] + "/" + t[kTransType] + " " + t[kSymName] + " " +
                  t[kTransQty] + " " + t[kTransUnitPrice],
              kCases[i].expected)
        << kCases[i].action << " on " << kCases[i].securityType;
  }
  EXPECT_EQ(d.log.Lines("Error"),
            "Record 0016 Discarding record - only specific action types accepted.\n"
            "Record 0016 SHORT-TERM CAP GAIN\n");
}

// The expiration month is the last month name of the description and the
// strike the word after the first; the year is the trade's, or the next
// one when the trade's month is past the expiration month.
TEST_P(FidelityTest, OptionExpirationFromDescriptionAndTradeDate) {
  struct Case {
    const char* tradeDate;
    const char* description;
    const char* expected;  // expiration|strike
  };
  const Case kCases[] = {
      {"01/05/2009", "CALL (IBM) INTL BUSINESS MACHS JAN 90 (100 SHS)", "1/16/2009 23:59:59|90"},
      {"12/31/08", "PUT (XYZ) XYZ CORP DEC 7.5 (100 SHS)", "12/19/2008 23:59:59|7.5"},
      {"03/02/2009", "CALL (ABC) ABC MAY 40 JUN", "6/19/2009 23:59:59|40"},
      {"03/02/2009", "CALL (XYZ) XYZ CORP", "|1"},
  };
  for (const Case& c : kCases) {
    SymbolFields fields = FidelitySymbol(kSecurityTypeCall, "XYZAB", c.description, c.tradeDate);
    EXPECT_EQ(fields[SymColumn::kSymExpDate] + "|" + fields[SymColumn::kSymStrike], c.expected)
        << c.tradeDate << " " << c.description;
  }
}

}  // namespace
