#include <gtest/gtest.h>

#include "import/ImportColumns.h"
#include "import/PensonTaxWorksheet.h"
#include "import/PensonTransaction.h"
#include "ImportedFixture.h"
#include "LogCapture.h"

namespace {

const std::string kShortHeader =
    "AccountTypeDescription,TradeDate,SettlementDate,ExecutionTime,TradeNumber,CUSIPSymbol,ISIN,"
    "ShortDescription,BuySellCode,Quantity,Price,PrincipalAmount,CommissionGrossCalculated,"
    "OtherCommission,NetAmount,CurrencyCode,Trailer,EntryDate";
const std::string kLongHeader =
    "AccountNumber,AccountTypeDescription,OfficeCode,RegisteredRepCode,TradeDate,ExecutionTime,"
    "SettlementDate,OriginalTradeNumber,TradeNumber,BuySellCode,Symbol,CUSIP,Quantity,Price,"
    "PrincipalAmount,CommissionGrossCalculated,OtherCommission,NetAmount,ExecutingBrokerBack,"
    "EntryDate,ProcessDate,Currencycode,Trailer";
const std::string kWorksheetHeader =
    "Quantity,Symbol,Date Acquired,Date Sold,Sales Price,Cost Basis,Gain or (loss),"
    "Security Type,Status";

// One map entry per line: key, then index=value of its non-empty fields.
template <class Map>
std::string Render(const Map& map) {
  std::string text;
  for (const auto& [key, fields] : map) {
    text += key + ":";
    for (const auto& [index, value] : fields) {
      if (!value.empty()) text += " " + std::to_string(index) + "=" + value;
    }
    text += "\n";
  }
  return text;
}

// A parser fed its header and lines, with what it decoded and logged.
template <class Parser>
struct Decoded {
  Decoded(const std::string& header, const std::vector<std::string>& lines) {
    EXPECT_TRUE(parser.MatchesHeader(header));
    for (const std::string& line : lines) parser.Parse(line);
    EXPECT_TRUE(parser.Decode(symbols, transactions));
  }
  LogCapture log;
  Parser parser{"7"};
  SymbolMap symbols;
  TransactionMap transactions;
};

TEST(PensonTransactionTest, LongLayoutIsRearrangedIntoTheShortOne) {
  Decoded<PensonTransaction> d(kLongHeader, {
      "A1,Margin,5PA,R7,1/15/2009,93000,1/21/2009,,T1,B,IBM - INTL BUSINESS MACH,459200101,100,"
      "84.25,\"8,425.00\",9.95,0.05,\"(8,435.00)\",X,1/15/2009,1/15/2009,USD,Buy",
      "A1,Margin,5PA,R7,1/16/2009,141505,1/22/2009,,T2,SS,,594918104,50,19.12,956,9.95,0,946,X,"
      "1/16/2009,1/16/2009,USD",
      "A1,Margin,5PA,R7,1/16/2009,,1/22/2009,,T3,S,GE,,50,19.12,956,9.95,0,946,X,1/16/2009,",
      "A1,Margin,5PA,R7,1/17/2009,5,1/22/2009,,T4,S,XYZ,369604103,1,1,1,0,0,1,X,1/17/2009,1/17/2009,"
      "USD,Last",
  });
  EXPECT_EQ(Render(d.transactions),
            "Rec #0 Buy T#T1: 1=0 2=1 3=1 4=100 5=84.25 6=9.95 7=1/15/2009 09:30:00 "
            "8=1/21/2009 09:30:00 10=0.05 13=8435.00 14=Buy T#T1 18=7 21=IBM\n"
            "Rec #1  T#T2: 1=0 2=0 3=0 4=50 5=19.12 6=9.95 7=1/16/2009 14:15:05 "
            "8=1/22/2009 14:15:05 10=0 13=946 14= T#T2 18=7 21=594918104\n"
            "Rec #2 Last T#T4: 1=2 2=2 3=1 4=1 5=1 6=0 7=1/17/2009 00:00:05 8=1/22/2009 00:00:05 "
            "10=0 13=1 14=Last T#T4 18=7 21=XYZ\n");
  EXPECT_EQ(d.symbols["IBM"][SymColumn::kSymDesc], "INTL BUSINESS MACH");
  EXPECT_EQ(d.symbols["IBM"][SymColumn::kSymCusId], "459200101");
  EXPECT_EQ(d.symbols["IBM"][SymColumn::kCurName], "USD");
  EXPECT_EQ(d.symbols["XYZ"][SymColumn::kSymDesc], "");
  EXPECT_NE(d.log.Text().find("Record 0003\tPensonTransaction::Parse - Unexpected number of "
                              "columns.\n"), std::string::npos) << d.log.Text();
}

TEST(PensonTransactionTest, KindByPrincipalRatioAndOptionDescription) {
  auto line = [](const std::string& symbol, const std::string& description,
                 const std::string& amounts) {
    return "Cash,1/16/2009,1/22/2009,141505,T9," + symbol + ",," + description + ",BTO," +
           amounts + ",1.25,0.04,300,USD,Tr,1/16/2009";
  };
  Decoded<PensonTransaction> d(kShortHeader, {
      line("STK", "STOCK", "2,1.50,3"),
      line("IBMP", "IBM JAN '10 @ 80 PUT", "2,1.50,300"),
      line("IBMC", "IBM CALL", "2,1.50,\"1,000\""),
      line("IBMX", "", "2,1.50,300"),
      line("ZERO", "", "0,1.50,300"),
      line("", "", "2,1.50,300"),
      "Cash,1/16/2009,too,few,columns",
  });
  EXPECT_EQ(d.symbols.size(), 4u);
  auto symbol = [&](const std::string& name) {
    SymbolFields& fields = d.symbols[name];
    return fields[SymColumn::kSymType] + "|" + fields[SymColumn::kSymExpDate] + "|" +
           fields[SymColumn::kSymStrike];
  };
  EXPECT_EQ(symbol("STK"), "0||");
  EXPECT_EQ(symbol("IBMP"), "2|1/15/2010 23:59:59|80");
  EXPECT_EQ(symbol("IBMC"), "1|1/17/3000 23:59:59|1");
  EXPECT_EQ(symbol("IBMX"), "1|1/17/3000 23:59:59|1");
  EXPECT_EQ(d.transactions["Rec #1 Tr T#T9"][TransColumn::kTransAction], "7");
  EXPECT_EQ(d.log.Messages("Warning"),
            "Unknown ExpireDate - ShortDescription=IBM CALL\n"
            "CALL vs PUT unspecified - VO assuming CALL.\n"
            "Unknown ExpireDate - ShortDescription Missing\n");
  EXPECT_EQ(d.log.Messages("Error"),
            "PensonTransaction::Parse - Unexpected number of columns.\n"
            "Discarding record - Price/Quantity = 0.\n"
            "Discarding record - Unknown symbol/CUSIP.\n");
}

TEST(PensonTransactionTest, BuySellCodesGiveActionPositionAndType) {
  const std::pair<const char*, const char*> kCases[] = {
      {"B", "0 1 1"},   {"BTO", "0 1 1"}, {"S", "2 2 1"},  {"STC", "2 2 1"},
      {"STO", "3 1 2"}, {"BTC", "4 2 2"}, {"SS", "0 0 0"}, {"b", "0 0 0"},
  };
  for (const auto& [code, expected] : kCases) {
    Decoded<PensonTransaction> d(kShortHeader,
                                 {"Cash,1/16/2009,1/22/2009,1,T,X,,," + std::string(code) +
                                  ",1,1,1,0,0,1,USD,,"});
    TransactionFields& fields = d.transactions.begin()->second;
    EXPECT_EQ(fields[TransColumn::kTransAction] + " " + fields[TransColumn::kTransPos] + " " +
                  fields[TransColumn::kTransType], expected) << code;
  }
}

TEST(PensonTaxWorksheetTest, ShortLotsAndOptionSymbols) {
  Decoded<PensonTaxWorksheet> d(kWorksheetHeader, {
      "200,MSFT,3/1/2008,2/1/2008,\"$5,600.00\",\"$5,000.00\",$600.00,Stock,Closed",
      "2,IBMAE,2/4/2008,3/10/2008,$500.00,$300.00,$200.00,Option,Closed",
      "1,IBMME,1/10/2008,1/14/2008,$40.00,$90.00,($50.00),Option,Closed",
      "1,ABCDZE,1/10/2008,1/14/2008,$40.00,$90.00,($50.00),Option,Closed",
  });
  EXPECT_EQ(Render(d.transactions),
            "Closing Rec #0: 1=4 2=2 3=2 4=200 5=25 7=3/1/2008 8=3/1/2008 13=5000 18=7 21=MSFT\n"
            "Closing Rec #1: 1=6 2=2 3=1 4=2 5=2.5 7=3/10/2008 8=3/10/2008 13=5 18=7 21=IBMAE\n"
            "Closing Rec #2: 1=8 2=2 3=1 4=1 5=0.4 7=1/14/2008 8=1/14/2008 13=0.4 18=7 21=IBMME\n"
            "Closing Rec #3: 1=0 2=2 3=1 4=1 5=40 7=1/14/2008 8=1/14/2008 13=40 18=7 21=ABCDZE\n"
            "Opening Rec #0: 1=3 2=1 3=2 4=200 5=28 7=2/1/2008 8=2/1/2008 13=5600 18=7 21=MSFT\n"
            "Opening Rec #1: 1=5 2=1 3=1 4=2 5=1.5 7=2/4/2008 8=2/4/2008 13=3 18=7 21=IBMAE\n"
            "Opening Rec #2: 1=7 2=1 3=1 4=1 5=0.9 7=1/10/2008 8=1/10/2008 13=0.9 18=7 21=IBMME\n"
            "Opening Rec #3: 1=0 2=1 3=1 4=1 5=90 7=1/10/2008 8=1/10/2008 13=90 18=7 21=ABCDZE\n");
  EXPECT_EQ(Render(d.symbols),
            "ABCDZE: 0=ABCDZE 1=ABCDZE 3=14 15=1 16=1 18=0 21=1 24=USD\n"
            "IBMAE: 0=IBMAE 1=IBMAE 3=1 4=1/16/2009 23:59:59 5=25 6=100 7=!STOCK! 13=0 15=1 16=1 "
            "18=0 21=1 24=USD\n"
            "IBMME: 0=IBMME 1=IBMME 3=2 4=1/18/2008 23:59:59 5=25 6=100 7=!STOCK! 13=0 15=1 16=1 "
            "18=0 21=1 24=USD\n"
            "MSFT: 0=MSFT 1=MSFT 3=0 6=1 15=1 16=1 18=0 21=1 24=USD\n");
}

// The strike is read from the code letter's range nearest the opening price;
// the expiration is the month code's next third Friday after the acquisition.
TEST(PensonTaxWorksheetTest, StrikeCodesAndExpirationYear) {
  struct Case {
    std::string symbol, acquired, cost, expiration, strike;
  };
  const Case kCases[] = {
      {"IBMAE", "1/10/2008", "300", "1/18/2008 23:59:59", "25"},
      {"IBMAE", "1/20/2008", "300", "1/16/2009 23:59:59", "25"},
      {"IBMLU", "3/3/2008", "2500", "12/19/2008 23:59:59", "37.5"},
      {"IBMXE", "3/3/2008", "100000", "12/19/2008 23:59:59", "525"},
      {"IBMXT", "3/3/2008", "14900", "12/19/2008 23:59:59", "100"},
      {"IBMXT", "3/3/2008", "15000", "12/19/2008 23:59:59", "200"},
      {"IBMA5", "3/3/2008", "100", "1/16/2009 23:59:59", ""},
  };
  for (const Case& c : kCases) {
    Decoded<PensonTaxWorksheet> d(kWorksheetHeader, {"1," + c.symbol + "," + c.acquired +
                                                         ",12/1/2008,1," + c.cost + ",,,"});
    SymbolFields& fields = d.symbols[c.symbol];
    EXPECT_EQ(fields[SymColumn::kSymExpDate] + "|" + fields[SymColumn::kSymStrike],
              c.expiration + "|" + c.strike) << c.symbol << " " << c.acquired << " " << c.cost;
  }
}

TEST(PensonTaxWorksheetTest, DiscardsLotsWithoutSymbolDatesOrAmounts) {
  Decoded<PensonTaxWorksheet> d(kWorksheetHeader, {
      "5,,n/a,1/9/2008,$50.00,$40.00,,Stock,",
      "100,GE,n/a,5/1/2008,$3600.00,$3300.00,,Stock,",
      "100,GE,1/2/2008,,$3600.00,$3300.00,,Stock,",
      "100,GE,1/2/2008,5/1/2008,?,$3300.00,?,Stock,",
      "100,GE,1/2/2008,5/1/2008,$3600.00,?,?,Stock,",
      "0,GE,1/2/2008,5/1/2008,$3600.00,$3300.00,,Stock,",
  });
  EXPECT_TRUE(d.transactions.empty());
  EXPECT_TRUE(d.symbols.empty());
  std::string text = d.log.Text();
  EXPECT_NE(text.find("Record 0001\tDiscarding record - Missing Symbol\n"), std::string::npos);
  EXPECT_EQ(d.log.Messages("Error"),
            "Discarding record - Missing Symbol\n"
            "Discarding record - Missing Date Acquired/Sold\n"
            "Discarding record - Missing Date Acquired/Sold\n"
            "Discarding record - Missing 'Sales Price' or 'Cost Basis'\n"
            "Discarding record - Missing 'Sales Price' or 'Cost Basis'\n"
            "Discarding record - Quantity = 0\n");
}

const char kPensonColumns[] =
    "trans_action, trans_pos, trans_type, trans_qty, sym_name, trans_dttrade, trans_dtsettle, "
    "trans_unitprice, trans_total, trans_commission, trans_sec_fee, trans_note_user, acct_id";

TEST(PensonImportTest, LongLayoutExport) {
  ImportedFixture imported("penson/export-b.csv", kPensonColumns);
  EXPECT_TRUE(imported.succeeded) << imported.log;
  EXPECT_EQ(imported.rows,
            "0|1|1|100|IBM|2009-01-15 09:30:00|2009-01-21 09:30:00|84.25|8434.95|9.95|0.00|"
            "Opening buy T#T1001|7|\n"
            "9|1|2|2|IBM100115C00090000|2009-01-16 14:15:05|2009-01-22 14:15:05|3.10|607.46|12.50|"
            "0.04|Covered call T#T1002|7|\n"
            "0|0|0|50|594918104|2009-01-20 10:00:00|2009-01-23 10:00:00|19.12|946.03|9.95|0.02|"
            " T#T1003|7|\n");
  EXPECT_TRUE(imported.Logged("Error\tRecord 0004\tDiscarding record - Unknown symbol/CUSIP."));
  EXPECT_TRUE(imported.Logged(
                     "Error\t\tFailed to parse line 6: 5PA10001,Margin,5PA,R07,01/21/2009,100600,"
                     "01/26/2009,T1005,S,XYZ,,10,5.00,50.00,9.95,0.01,40.04,01/21/2009,01/21/2009,"
                     "USD,Short line"));
  EXPECT_TRUE(imported.Logged("4 records parsed."));
  EXPECT_TRUE(imported.Logged("3 unique symbols and 3 unique transactions decoded."));
  EXPECT_TRUE(imported.Logged("3 of 3 transactions inserted into DB."));
}

TEST(PensonImportTest, TaxWorksheet) {
  ImportedFixture imported("penson/taxworksheet.csv", kPensonColumns);
  EXPECT_TRUE(imported.succeeded) << imported.log;
  EXPECT_EQ(imported.rows,
            "2|2|1|100|IBM|2008-06-20 00:00:00|2008-06-20 00:00:00|129.5|12950|||||7|\n"
            "4|2|2|200|MSFT|2008-03-01 00:00:00|2008-03-01 00:00:00|25|5000|||||7|\n"
            "6|2|1|2|IBMAE|2008-03-10 00:00:00|2008-03-10 00:00:00|2.5|5|||||7|\n"
            "0|1|1|100|IBM|2008-01-15 00:00:00|2008-01-15 00:00:00|98.5|9850|||||7|\n"
            "3|1|2|200|MSFT|2008-02-01 00:00:00|2008-02-01 00:00:00|28|5600|||||7|\n"
            "5|1|1|2|IBMAE|2008-02-04 00:00:00|2008-02-04 00:00:00|1.5|3|||||7|\n");
  EXPECT_TRUE(imported.Logged("Error\tRecord 0004\tDiscarding record - Missing Symbol"));
  EXPECT_TRUE(imported.Logged("Error\tRecord 0005\tDiscarding record - Missing Date Acquired/Sold"));
  EXPECT_TRUE(imported.Logged(
                     "Error\tRecord 0006\tDiscarding record - Missing 'Sales Price' or 'Cost Basis'"));
  EXPECT_TRUE(imported.Logged("3 unique symbols and 6 unique transactions decoded."));
  EXPECT_TRUE(imported.Logged("6 of 6 transactions inserted into DB."));
}

}  // namespace
