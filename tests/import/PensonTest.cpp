#include <gtest/gtest.h>

#include "db/TableColumns.h"
#include "import/formats/PensonTaxWorksheet.h"
#include "import/formats/PensonTransaction.h"
#include "support/Backends.h"
#include "support/Decoded.h"
#include "support/ImportRun.h"
#include "support/Rows.h"
#include "support/TempDatabase.h"

using namespace vo;

namespace {

// Type, expiration and strike of a decoded symbol.
template <class Parser>
std::string Option(Decoded<Parser>& decoded, const std::string& name) {
  SymbolFields fields = decoded.symbols.at(name);
  return fields[SymColumn::kSymType] + "|" + fields[SymColumn::kSymExpDate] + "|" + fields[SymColumn::kSymStrike];
}

TEST(PensonTransactionTest, KindsAndSidesOfTheShortLayout) {
  const std::string kHeader =
      "AccountTypeDescription,TradeDate,SettlementDate,ExecutionTime,TradeNumber,CUSIPSymbol,ISIN,"
      "ShortDescription,BuySellCode,Quantity,Price,PrincipalAmount,CommissionGrossCalculated,"
      "OtherCommission,NetAmount,CurrencyCode,Trailer,EntryDate";
  auto line = [](const std::string& symbol, const std::string& description,
                 const std::string& code, const std::string& amounts) {
    return "Cash,1/16/2009,1/22/2009,141505,T9," + symbol + ",," + description + "," + code + "," +
           amounts + ",1.25,0.04,300,USD,,1/16/2009";
  };
  Decoded<PensonTransaction> d(kHeader, {
      line("IBMP", "IBM JAN '10 @ 80 PUT", "BTO", "2,1.50,300"),
      line("IBMC", "IBM CALL", "STC", "2,1.50,\"1,000\""),
      line("IBMX", "", "STO", "2,1.50,300"),
      line("STK", "STOCK", "BTC", "2,1.50,3"),
      line("STK", "STOCK", "SS", "2,1.50,3"),
      line("ZERO", "", "B", "0,1.50,300"),
  });
  std::string sides;
  d.transactions.ForEach([&sides](std::string_view key, const TransactionFields& fields) {
    using namespace TransColumn;
    sides += std::string(key) + ": " + fields.at(kTransAction) + " " + fields.at(kTransPos) + " " +
             fields.at(kTransType) + "\n";
  });
  EXPECT_EQ(sides,
            "Rec #0  T#T9: 7 1 1\nRec #1  T#T9: 6 2 1\nRec #2  T#T9: 9 1 2\n"
            "Rec #3  T#T9: 4 2 2\nRec #4  T#T9: 0 0 0\n");
  EXPECT_EQ(Option(d, "STK"), "0||");
  EXPECT_EQ(Option(d, "IBMP"), "2|1/15/2010 23:59:59|80");
  EXPECT_EQ(Option(d, "IBMC"), "1|1/17/3000 23:59:59|1");
  EXPECT_EQ(Option(d, "IBMX"), "1|1/17/3000 23:59:59|1");
  EXPECT_EQ(d.log.Lines("Warning"),
            "Record 0002 Unknown ExpireDate - ShortDescription=IBM CALL\n"
            "Record 0003 CALL vs PUT unspecified - VO assuming CALL.\n"
            "Record 0003 Unknown ExpireDate - ShortDescription Missing\n");
  EXPECT_EQ(d.log.Lines("Error"), "Record 0006 Discarding record - Price/Quantity = 0.\n");
}

// The strike comes from the code letter's range nearest the opening price;
// the expiration is the month code's first third Friday after the acquisition.
TEST(PensonTaxWorksheetTest, OptionSymbolsGiveExpirationAndStrike) {
  struct Case {
    std::string symbol, lot, expected;  // lot: acquired, sold, sales price, cost basis
  };
  const Case kCases[] = {
      {"IBMAE", "1/20/2008,12/1/2008,1,300", "1|1/16/2009 23:59:59|25"},  // past this year's
      {"IBMLU", "3/3/2008,12/1/2008,1,2500", "1|12/19/2008 23:59:59|37.5"},
      {"IBMXE", "3/3/2008,12/1/2008,1,100000", "2|12/19/2008 23:59:59|525"},
      {"IBMXT", "3/3/2008,12/1/2008,1,14900", "2|12/19/2008 23:59:59|100"},
      {"IBMXT", "3/3/2008,12/1/2008,1,15000", "2|12/19/2008 23:59:59|200"},
      {"IBMXT", "3/3/2008,2/1/2008,15000,1", "2|12/19/2008 23:59:59|200"},
      {"IBMA5", "3/3/2008,12/1/2008,1,100", "1|1/16/2009 23:59:59|"},
  };
  for (const Case& c : kCases) {
    Decoded<PensonTaxWorksheet> d(
        "Quantity,Symbol,Date Acquired,Date Sold,Sales Price,Cost Basis,Gain or (loss),"
        "Security Type,Status",
        {"1," + c.symbol + "," + c.lot + ",,,"});
    EXPECT_EQ(Option(d, c.symbol), c.expected) << c.symbol << "," << c.lot;
  }
}

class PensonImportTest : public BackendTest {};
INSTANTIATE_TEST_SUITE_P(, PensonImportTest, BothBackends(), BackendName);

TEST_P(PensonImportTest, LongLayoutExport) {
  TempDatabase database;
  ImportRun imported = RunImport(VO_TEST_DATA_DIR "/penson/export-b.csv");
  EXPECT_TRUE(imported.imported) << imported.log;
  EXPECT_EQ(Rows(
                "SELECT trans_action, trans_pos, trans_type, trans_qty, sym_name, trans_dttrade, "
                "trans_dtsettle, trans_unitprice, trans_total, trans_commission, trans_sec_fee, "
                "trans_note_user, acct_id FROM trans_table ORDER BY trans_id"),
            "0|1|1|100|IBM|2009-01-15 09:30:00|2009-01-21 09:30:00|84.25|8434.95|9.95|0.00|"
            "Opening buy T#T1001|7\n"
            "9|1|2|2|IBM100115C00090000|2009-01-16 14:15:05|2009-01-22 14:15:05|3.10|607.46|12.50|"
            "0.04|Covered call T#T1002|7\n"
            "0|0|0|50|594918104|2009-01-20 10:00:00|2009-01-23 10:00:00|19.12|946.03|9.95|0.02|"
            " T#T1003|7\n"
            "2|2|1|10|GE|2009-01-26 00:00:05|2009-01-29 00:00:05|12.10|111.04|9.95|0.01|"
            "Closing sale T#T1006|7\n");
  EXPECT_EQ(Rows("SELECT sym_name, sym_type, sym_cusid, sym_desc, sym_exp_date, "
                            "sym_strike, cur_name FROM sym_table ORDER BY sym_name"),
            "594918104|0|594918104||||USD\n"
            "GE|0|369604103||||USD\n"
            "IBM|0|459200101|INTL BUSINESS MACH|||USD\n"
            "IBM100115C00090000|1||IBM JAN '10 @ 90 CALL|2010-01-15 23:59:59|90|USD\n");
  EXPECT_EQ(imported.Lines("Error"),
            "Record 0005 PensonTransaction::Parse - Unexpected number of columns.\n"
            "Failed to parse line 6: 5PA10001,Margin,5PA,R07,01/21/2009,100600,01/26/2009,T1005,S,"
            "XYZ,,10,5.00,50.00,9.95,0.01,40.04,01/21/2009,01/21/2009,USD,Short line\n"
            "Record 0004 Discarding record - Unknown symbol/CUSIP.\n");
}

TEST_P(PensonImportTest, TaxWorksheetLotsBecomeTwoTrades) {
  TempDatabase database;
  ImportRun imported = RunImport(VO_TEST_DATA_DIR "/penson/taxworksheet.csv");
  EXPECT_TRUE(imported.imported) << imported.log;
  EXPECT_EQ(Rows(
                "SELECT trans_action, trans_pos, trans_type, trans_qty, sym_name, trans_dttrade, "
                "trans_dtsettle, trans_unitprice, trans_total, acct_id FROM trans_table "
                "ORDER BY trans_id"),
            "2|2|1|100|IBM|2008-06-20 00:00:00|2008-06-20 00:00:00|129.5|12950|7\n"
            "4|2|2|200|MSFT|2008-03-01 00:00:00|2008-03-01 00:00:00|25|5000|7\n"
            "6|2|1|2|IBMAE|2008-03-10 00:00:00|2008-03-10 00:00:00|2.5|5|7\n"
            "8|2|1|1|IBMME|2008-01-14 00:00:00|2008-01-14 00:00:00|0.4|0.4|7\n"
            "0|2|1|1|ABCDZE|2008-01-14 00:00:00|2008-01-14 00:00:00|40|40|7\n"
            "0|1|1|100|IBM|2008-01-15 00:00:00|2008-01-15 00:00:00|98.5|9850|7\n"
            "3|1|2|200|MSFT|2008-02-01 00:00:00|2008-02-01 00:00:00|28|5600|7\n"
            "5|1|1|2|IBMAE|2008-02-04 00:00:00|2008-02-04 00:00:00|1.5|3|7\n"
            "7|1|1|1|IBMME|2008-01-10 00:00:00|2008-01-10 00:00:00|0.9|0.9|7\n"
            "0|1|1|1|ABCDZE|2008-01-10 00:00:00|2008-01-10 00:00:00|90|90|7\n");
  EXPECT_EQ(Rows("SELECT sym_name, sym_type, sym_exp_date, sym_strike FROM sym_table "
                            "ORDER BY sym_name"),
            "ABCDZE|14||\nIBM|0||\nIBMAE|1|2009-01-16 23:59:59|25\n"
            "IBMME|2|2008-01-18 23:59:59|25\nMSFT|0||\n");
  EXPECT_EQ(imported.Lines("Error"),
            "Record 0006 Discarding record - Missing Symbol\n"
            "Record 0007 Discarding record - Missing Date Acquired/Sold\n"
            "Record 0008 Discarding record - Missing Date Acquired/Sold\n"
            "Record 0009 Discarding record - Missing 'Sales Price' or 'Cost Basis'\n"
            "Record 0010 Discarding record - Quantity = 0\n");
}

}  // namespace
