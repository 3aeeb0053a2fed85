// The built-in layouts, each by what its sample stores and logs: Schwab's and
// those of the brokers it took over (TD Ameritrade, thinkorswim); Fidelity's
// account history in every layout since 2020 (the same made-up activity in
// each), Active Trader Pro's history and the realized gain/loss report; and
// E*Trade's 2025 transaction download.
#include <gtest/gtest.h>

#include "support/Backends.h"
#include "support/LayoutImport.h"
#include "voservices/Layouts.h"

namespace {

class SchwabLayoutsTest : public BackendTest {};
INSTANTIATE_TEST_SUITE_P(, SchwabLayoutsTest, BothBackends(), BackendName);

// Newest first under a title line, the total line a footer. A date posted
// later is traded "as of" the earlier one. "Expired" says no more than the
// quantity: the position the file opened decides (a short put, a long call).
// Reinvested dividends, interest, fees and money moved in and out.
TEST_P(SchwabLayoutsTest, Transactions) {
  ExpectSampleImport(
      "schwab-transactions.csv", "Schwab transactions (layout schwab-transactions)",
      {.parsed =
           "Format Name: Schwab transactions (layout schwab-transactions)\n"
           "Skipped the footer: 1 line from line 22.\n"
           "19 records parsed.\n",
       .trades =
           "Sell Put to Open - Expired|2|2|2|XYZ251219P00045000|2025-12-19 00:00:00|2025-12-19 00:00:00|0||"
               "|\n"
           "Buy Call - Expired|2|1|1|QRS251219C00030000|2025-12-19 00:00:00|2025-12-19 00:00:00|0|||\n"
           "Cash|0|0|0|$CASH$|2025-12-17 00:00:00|2025-12-17 00:00:00|0|||-500\n"
           "Investment Expense|0|0|0|LMNO|2025-12-16 00:00:00|2025-12-16 00:00:00|0|||0.4\n"
           "Income Dividend|0|0|0|XYZ|2025-12-15 00:00:00|2025-12-15 00:00:00|0|||18.4\n"
           "Interest (Margin)|0|0|0|$CASH$|2025-12-15 00:00:00|2025-12-15 00:00:00|0|||3.12\n"
           "Income Interest|0|0|0|$CASH$|2025-12-12 00:00:00|2025-12-12 00:00:00|0|||0.87\n"
           "Buy - Reinvest|1|1|0.8123|DEFX|2025-12-05 00:00:00|2025-12-05 00:00:00|30.90|||25.1\n"
           "Income Dividend|0|0|0|DEFX|2025-12-05 00:00:00|2025-12-05 00:00:00|0|||25.1\n"
           "Buy to Cover|2|2|50|ABCD|2025-12-03 00:00:00|2025-12-03 00:00:00|11.50|||575\n"
           "Short Sell|1|2|50|ABCD|2025-12-01 00:00:00|2025-12-01 00:00:00|12.00|0.02||599.98\n"
           "Sell|2|1|150|XYZ|2025-11-24 00:00:00|2025-11-24 00:00:00|43.10|0.05||6464.95\n"
           "Buy|1|1|100|XYZ|2025-11-21 00:00:00|2025-11-21 00:00:00|40.00|||4000\n"
           "Sell Put to Open - Assigned|2|2|1|XYZ251121P00040000|2025-11-21 00:00:00|2025-11-21 00:00:00|0|"
               "||\n"
           "Sell Put to Open|1|2|2|XYZ251219P00045000|2025-11-10 00:00:00|2025-11-10 00:00:00|1.25|1.32||"
               "248.68\n"
           "Buy Call|1|1|1|QRS251219C00030000|2025-11-06 00:00:00|2025-11-06 00:00:00|1.10|0.66||110.66\n"
           "Sell Put to Open|1|2|1|XYZ251121P00040000|2025-11-05 00:00:00|2025-11-05 00:00:00|0.95|0.66||"
               "94.34\n"
           "Buy|1|1|100|XYZ|2025-11-04 00:00:00|2025-11-04 00:00:00|41.20|||4120\n"
           "Cash|0|0|0|$CASH$|2025-11-03 00:00:00|2025-11-03 00:00:00|0|||5000\n",
       .symbols =
           "$CASH$|11||||0|USD|\n"
           "ABCD|0||||1|USD|ABCD HOLDINGS\n"
           "DEFX|0||||1|USD|DEF GROWTH FUND\n"
           "LMNO|0||||1|USD|LMNO PLC ADR\n"
           "QRS251219C00030000|1|QRS|2025-12-19 23:59:59|30|100|USD|CALL QRS INC $30 EXP 12/19/25\n"
           "XYZ|0||||1|USD|XYZ CORP\n"
           "XYZ251121P00040000|2|XYZ|2025-11-21 23:59:59|40|100|USD|PUT XYZ CORP $40 EXP 11/21/25\n"
           "XYZ251219P00045000|2|XYZ|2025-12-19 23:59:59|45|100|USD|PUT XYZ CORP $45 EXP 12/19/25\n"});
}

// Oldest first. "Bought" and "Sold" of an option open or close by the
// position the file holds: a call sold and then expired is a short one; a
// put bought and sold, a long one; a call sold and bought back, a short one.
TEST_P(SchwabLayoutsTest, TdAmeritradeTransactions) {
  ExpectSampleImport(
      "tdameritrade-transactions.csv", "TD Ameritrade transactions (layout tdameritrade-transactions)",
      {.parsed =
           "Format Name: TD Ameritrade transactions (layout tdameritrade-transactions)\n"
           "3 option trades met no position earlier in the file: taken to open one.\n"
           "Skipped the footer: 1 line from line 16.\n"
           "14 records parsed.\n",
       .trades =
           "Cash|0|0|0|$CASH$|2021-01-04 00:00:00|2021-01-04 00:00:00|0|||2500\n"
           "Buy|1|1|30|XYZ|2021-01-05 00:00:00|2021-01-05 00:00:00|27.71|||831.3\n"
           "Sell Call to Open|1|2|1|XYZ210115C00030000|2021-01-06 00:00:00|2021-01-06 00:00:00|0.85|0.65|"
               "0.02|84.33\n"
           "Buy Put|1|1|2|QRS210219P00012500|2021-01-08 00:00:00|2021-01-08 00:00:00|0.40|1.30||81.3\n"
           "Sell Call to Open - Expired|2|2|1|XYZ210115C00030000|2021-01-15 00:00:00|2021-01-15 00:00:00|0|"
               "||0\n"
           "Income Dividend|0|0|0|XYZ|2021-01-15 00:00:00|2021-01-15 00:00:00|0|||6.3\n"
           "Income Interest|0|0|0|$CASH$|2021-01-29 00:00:00|2021-01-29 00:00:00|0|||0.12\n"
           "Interest (Margin)|0|0|0|$CASH$|2021-02-01 00:00:00|2021-02-01 00:00:00|0|||1.85\n"
           "Sell Put|2|1|2|QRS210219P00012500|2021-02-10 00:00:00|2021-02-10 00:00:00|0.65|1.30|0.02|"
               "128.68\n"
           "Sell|2|1|30|XYZ|2021-02-12 00:00:00|2021-02-12 00:00:00|29.10||0.02|872.98\n"
           "Sell Call to Open|1|2|1|LMN210319C00050000|2021-02-16 00:00:00|2021-02-16 00:00:00|1.10|0.65|"
               "0.02|109.33\n"
           "Buy Call to Close|2|2|1|LMN210319C00050000|2021-03-01 00:00:00|2021-03-01 00:00:00|0.30|0.65||"
               "30.65\n"
           "Investment Expense|0|0|0|QRS|2021-03-02 00:00:00|2021-03-02 00:00:00|0|||0.25\n"
           "Cash|0|0|0|$CASH$|2021-03-03 00:00:00|2021-03-03 00:00:00|0|||-500\n",
       .symbols =
           "$CASH$|11||||0|USD|\n"
           "LMN210319C00050000|1|LMN|2021-03-19 23:59:59|50|100|USD|LMN Mar 19 2021 50.0 Call\n"
           "QRS|0||||1|USD|QRS\n"
           "QRS210219P00012500|2|QRS|2021-02-19 23:59:59|12.5|100|USD|QRS Feb 19 2021 12.5 Put\n"
           "XYZ|0||||1|USD|XYZ\n"
           "XYZ210115C00030000|1|XYZ|2021-01-15 23:59:59|30|100|USD|XYZ Jan 15 2021 30.0 Call\n"});
}

// A file of sections, its trade history past line 60: trades with their
// open or close and a spread's second leg at its first leg's time; the
// dividends, interest, fees and money moved of the cash balance, whose trade
// and option removal lines, balance and total are left out.
TEST_P(SchwabLayoutsTest, ThinkorswimStatement) {
  ExpectSampleImport(
      "thinkorswim-statement.csv", "thinkorswim account statement (layout thinkorswim-statement)",
      {.parsed =
           "Format Name: thinkorswim account statement (layout thinkorswim-statement)\n"
           "Left out 8 rows the layout skips.\n"
           "Skipped sections: Futures Statements (1 line), Forex Statements (1 line), "
               "Account Order History (37 lines), Equities (3 lines), Options (2 lines), "
               "Profits and Losses (3 lines), Account Summary (3 lines).\n"
           "13 records parsed.\n",
       .trades =
           "Income Dividend|0|0|0|XYZ|2025-12-15 01:00:00|2025-12-15 01:00:00|0|||18.4\n"
           "Investment Expense|0|0|0|LMNO|2025-12-16 01:00:00|2025-12-16 01:00:00|0|||0.4\n"
           "Income Interest|0|0|0|$CASH$|2025-12-17 01:00:00|2025-12-17 01:00:00|0|||0.87\n"
           "Interest (Margin)|0|0|0|$CASH$|2025-12-18 01:00:00|2025-12-18 01:00:00|0|||3.12\n"
           "Cash|0|0|0|$CASH$|2025-12-22 08:12:30|2025-12-22 08:12:30|0|||5000\n"
           "Cash|0|0|0|$CASH$|2025-12-29 08:13:02|2025-12-29 08:13:02|0|||-750\n"
           "Buy|1|1|100|XYZ|2025-12-01 09:31:05|2025-12-01 09:31:05|41.20|||4120\n"
           "Sell Put to Open|1|2|2|XYZ251219P00045000|2025-12-02 10:02:11|2025-12-02 10:02:11|1.25|||250\n"
           "Sell Call to Open|1|2|1|SPY251205C00600000|2025-12-03 13:15:40|2025-12-03 13:15:40|2.10|||210\n"
           "Buy Call|1|1|1|SPY251205C00605000|2025-12-03 13:15:40|2025-12-03 13:15:40|1.05|||105\n"
           "Buy Call to Close|2|2|1|SPY251205C00600000|2025-12-04 14:20:00|2025-12-04 14:20:00|0.80|||80\n"
           "Sell Call|2|1|1|SPY251205C00605000|2025-12-04 14:20:00|2025-12-04 14:20:00|0.45|||45\n"
           "Sell|2|1|50|XYZ|2025-12-10 11:00:00|2025-12-10 11:00:00|43.10|||2155\n",
       .symbols =
           "$CASH$|11||||0|USD|\n"
           "LMNO|0||||1|USD|\n"
           "SPY251205C00600000|1|SPY|2025-12-05 23:59:59|600|100|USD|SPY 5 DEC 25 600 CALL\n"
           "SPY251205C00605000|1|SPY|2025-12-05 23:59:59|605|100|USD|SPY 5 DEC 25 605 CALL\n"
           "XYZ|0||||1|USD|\n"
           "XYZ251219P00045000|2|XYZ|2025-12-19 23:59:59|45|100|USD|XYZ 19 DEC 25 45 PUT\n"});
}

// Each layout needs the columns (or the title) that make its files its own:
// files that lack them only are not taken.
TEST_P(SchwabLayoutsTest, FilesWithoutTheirDistinctiveColumnsAreNotTaken) {
  const char* const kFiles[] = {
      "\"Date\",\"Action\",\"Symbol\",\"Description\",\"Quantity\",\"Price\",\"Amount\"\n"
      "\"12/16/2025\",\"Buy\",\"XYZ\",\"XYZ CORP\",\"10\",\"$40.00\",\"-$400.00\"\n",
      "DATE,TRANSACTION ID,DESCRIPTION,QUANTITY,SYMBOL,PRICE,COMMISSION,AMOUNT\n"
      "01/05/2021,1,Bought 30 XYZ @ 27.71,30,XYZ,27.71,,-831.30\n",
      "Statement for 123456789\nAccount Trade History\n"
      ",Exec Time,Spread,Side,Qty,Pos Effect,Symbol,Exp,Strike,Type,Price,Net Price,Order Type\n"
      ",12/1/25 09:31:05,STOCK,BUY,+100,TO OPEN,XYZ,,,STOCK,41.20,41.20,LMT\n",
      "\"Date / Time\",\"Type\",\"Description\",\"Amount\"\n"
      "\"06/03/2025\",\"Bought\",\"100 AAPL @ $190.12\",\"-19,012.00\"\n",
  };
  TempDir dir;
  for (const char* file : kFiles) {
    EXPECT_EQ(VoServices::IdentifyFile(dir.Write("generic.csv", file), {}).format, "") << file;
  }
}

// The activity every history sample holds, newest first as Fidelity writes
// it: an assigned put with the shares it bought, a call sold to open that
// expired, a call bought and sold, stock, income and money moved both ways.
const char kHistoryTrades[] =
    "Buy|1|1|100|QQQ|2022-12-19 00:00:00|2022-12-20 00:00:00|260|||26000\n"
    "Sell Put to Open - Assigned|2|2|1|QQQ221216P00260000|2022-12-19 00:00:00|2022-12-19 00:00:00|0|||0\n"
    "Sell Call to Open - Expired|2|2|2|SPY221118C00400000|2022-11-21 00:00:00|2022-11-21 00:00:00|0|||0\n"
    "Sell Put to Open|1|2|1|QQQ221216P00260000|2022-11-01 00:00:00|2022-11-02 00:00:00|5.1|0.65|0.03|509.32\n"
    "Sell Call|2|1|1|SPY221021C00377000|2022-10-20 00:00:00|2022-10-21 00:00:00|3.4|0.65|0.02|339.33\n"
    "Buy Call|1|1|1|SPY221021C00377000|2022-10-03 00:00:00|2022-10-04 00:00:00|2.15|0.65|0.01|215.66\n"
    "Sell Call to Open|1|2|2|SPY221118C00400000|2022-09-26 00:00:00|2022-09-27 00:00:00|1.2|1.30|0.04|238.66\n"
    "Sell|2|1|10|AAPL|2022-09-15 00:00:00|2022-09-19 00:00:00|155.31||0.02|1553.08\n"
    "Buy|1|1|30|AAPL|2022-09-01 00:00:00|2022-09-06 00:00:00|157.22|||4716.6\n"
    "Interest (Margin)|0|0|0.000|$CASH$|2022-08-31 00:00:00|2022-08-31 00:00:00|0|||3.21\n"
    "Buy - Reinvest|1|1|0.027|AAPL|2022-08-12 00:00:00|2022-08-12 00:00:00|170.37|||4.6\n"
    "Income Dividend|0|0|0.000|AAPL|2022-08-12 00:00:00|2022-08-12 00:00:00|0|||4.6\n"
    "Income Interest|0|0|0.000|$CASH$|2022-07-29 00:00:00|2022-07-29 00:00:00|0|||0.83\n"
    "Cash|0|0|0.000|$CASH$|2022-07-20 00:00:00|2022-07-20 00:00:00|0|||-500\n"
    "Investment Expense|0|0|0.000|$CASH$|2022-07-18 00:00:00|2022-07-18 00:00:00|0|||2\n"
    "Cash|0|0|0.000|$CASH$|2022-07-11 00:00:00|2022-07-11 00:00:00|0|||250\n"
    "Cash|0|0|0.000|$CASH$|2022-07-05 00:00:00|2022-07-05 00:00:00|0|||40000\n";

const char kHistorySymbols[] =
    "$CASH$|11||||0|USD|\n"
    "AAPL|0||||1|USD|APPLE INC\n"
    "QQQ|0||||1|USD|INVESCO QQQ TR UNIT SER 1\n"
    "QQQ221216P00260000|2|QQQ|2022-12-16 23:59:59|260|100|USD|PUT (QQQ) INVESCO QQQ TR DEC 16 22 $260 (100 SHS)\n"
    "SPY221021C00377000|1|SPY|2022-10-21 23:59:59|377|100|USD|CALL (SPY) SPDR S&P500 ETF OCT 21 22 $377 (100 SHS)\n"
    "SPY221118C00400000|1|SPY|2022-11-18 23:59:59|400|100|USD|CALL (SPY) SPDR S&P500 ETF NOV 18 22 $400 (100 SHS)\n";

const char kHistoryFormat[] = "Fidelity account history (layout fidelity-history)";

class FidelityLayoutsTest : public BackendTest {};
INSTANTIATE_TEST_SUITE_P(, FidelityLayoutsTest, BothBackends(), BackendName);

// Each layout of the account history: columns renamed, reordered, added;
// preambles of blank lines, a byte-order mark and "Brokerage"; the footer.
TEST_P(FidelityLayoutsTest, EveryHistoryLayoutSince2020StoresTheSameActivity) {
  struct Case {
    const char* sample;
    const char* parsed;  // the Info lines between the format name and the record count
  };
  const Case kCases[] = {
      {"fidelity-history-2020.csv", "Skipped the footer: 3 lines from line 24.\n"},
      {"fidelity-history-2021-all-accounts.csv",
       "Broker accounts in the file: Individual - TOD\nSkipped the footer: 3 lines from line 22.\n"},
      {"fidelity-history-2023.csv", "Skipped the footer: 3 lines from line 22.\n"},
      {"fidelity-history-2024.csv", "Skipped the footer: 3 lines from line 22.\n"},
      {"fidelity-history-2024-all-accounts.csv",
       "Broker accounts in the file: X55512345\nSkipped the footer: 3 lines from line 21.\n"},
      {"fidelity-history-2025.csv",
       "Broker accounts in the file: X55512345\nSkipped the footer: 3 lines from line 21.\n"},
  };
  for (const Case& c : kCases) {
    ExpectSampleImport(c.sample, kHistoryFormat,
                       {.parsed = std::string("Format Name: ") + kHistoryFormat + "\n" + c.parsed +
                                  "17 records parsed.\n",
                        .trades = kHistoryTrades,
                        .symbols = kHistorySymbols});
  }
}

// The preamble and the header quoted name by name; the action in a column
// of its own, the option in the security description.
TEST_P(FidelityLayoutsTest, ActiveTraderProHistory) {
  ExpectSampleImport(
      "fidelity-active-trader.csv", "Fidelity Active Trader Pro history (layout fidelity-active-trader)",
      {.parsed = "Format Name: Fidelity Active Trader Pro history (layout fidelity-active-trader)\n"
                 "10 records parsed.\n",
       .trades =
           "Buy|1|1|100|QQQ|2022-12-19 00:00:00|2022-12-20 00:00:00|260.00|||26000\n"
           "Sell Put to Open - Assigned|2|2|1|QQQ221216P00260000|2022-12-19 00:00:00|2022-12-19 00:00:00|"
               "0|||0\n"
           "Sell Call to Open - Expired|2|2|2|SPY221118C00400000|2022-11-21 00:00:00|2022-11-21 00:00:00|"
               "0|||0\n"
           "Sell Put to Open|1|2|1|QQQ221216P00260000|2022-11-01 00:00:00|2022-11-02 00:00:00|5.10|0.65|"
               "0.03|509.32\n"
           "Sell Call to Open|1|2|2|SPY221118C00400000|2022-09-26 00:00:00|2022-09-27 00:00:00|1.20|1.30|"
               "0.04|238.66\n"
           "Sell|2|1|10|AAPL|2022-09-15 00:00:00|2022-09-19 00:00:00|155.31||0.02|1553.08\n"
           "Buy|1|1|30|AAPL|2022-09-01 00:00:00|2022-09-06 00:00:00|157.22|||4716.6\n"
           "Buy - Reinvest|1|1|0.027|AAPL|2022-08-12 00:00:00|2022-08-12 00:00:00|170.37|||4.6\n"
           "Income Dividend|0|0|0|AAPL|2022-08-12 00:00:00|2022-08-12 00:00:00|0|||4.6\n"
           "Cash|0|0|0|$CASH$|2022-07-20 00:00:00|2022-07-20 00:00:00|0|||-500\n",
       .symbols =
           "$CASH$|11||||0|USD|\n"
           "AAPL|0||||1|USD|APPLE INC\n"
           "QQQ|0||||1|USD|INVESCO QQQ TR UNIT SER 1\n"
           "QQQ221216P00260000|2|QQQ|2022-12-16 23:59:59|260|100|USD|"
               "PUT (QQQ) INVESCO QQQ TR DEC 16 22 $260 (100 SHS)\n"
           "SPY221118C00400000|1|SPY|2022-11-18 23:59:59|400|100|USD|"
               "CALL (SPY) SPDR S&P500 ETF NOV 18 22 $400 (100 SHS)\n"});
}

// Two trades a lot, priced per share (per contract share of an option); a lot
// acquired after it was sold is a short sale; the total line and the footer
// are passed over.
TEST_P(FidelityLayoutsTest, RealizedGainLossLots) {
  ExpectSampleImport(
      "fidelity-realized.csv", "Fidelity realized gain/loss (layout fidelity-realized)",
      {.parsed = "Format Name: Fidelity realized gain/loss (layout fidelity-realized)\n"
                 "Left out 1 row the layout skips.\n"
                 "Skipped the footer: 2 lines from line 9.\n"
                 "5 records parsed.\n",
       .trades =
           "Buy|1|1|10|AAPL|2022-09-01 00:00:00|2022-09-01 00:00:00|157.22|||1572.2\n"
           "Sell|2|1|10|AAPL|2022-09-15 00:00:00|2022-09-15 00:00:00|155.308|||1553.08\n"
           "Buy|1|1|5|MSFT|2020-03-02 00:00:00|2020-03-02 00:00:00|162.58|||812.9\n"
           "Sell|2|1|5|MSFT|2022-11-14 00:00:00|2022-11-14 00:00:00|241.69|||1208.45\n"
           "Buy Call|1|1|1|SPY221021C00377000|2022-10-03 00:00:00|2022-10-03 00:00:00|2.1566|||215.66\n"
           "Sell Call|2|1|1|SPY221021C00377000|2022-10-20 00:00:00|2022-10-20 00:00:00|3.3933|||339.33\n"
           "Sell Call to Open|1|2|2|SPY221118C00400000|2022-09-26 00:00:00|2022-09-26 00:00:00|1.1933|||"
               "238.66\n"
           "Buy Call to Close|2|2|2|SPY221118C00400000|2022-11-18 00:00:00|2022-11-18 00:00:00|0|||0\n"
           "Short Sell|1|2|3|TSLA|2022-11-10 00:00:00|2022-11-10 00:00:00|195|||585\n"
           "Buy to Cover|2|2|3|TSLA|2022-12-01 00:00:00|2022-12-01 00:00:00|194.1|||582.3\n",
       .symbols =
           "AAPL|0||||1|USD|APPLE INC\n"
           "MSFT|0||||1|USD|MICROSOFT CORP\n"
           "SPY221021C00377000|1|SPY|2022-10-21 23:59:59|377|100|USD|"
               "CALL (SPY) SPDR S&P500 ETF OCT 21 22 $377 (100 SHS)\n"
           "SPY221118C00400000|1|SPY|2022-11-18 23:59:59|400|100|USD|"
               "CALL (SPY) SPDR S&P500 ETF NOV 18 22 $400 (100 SHS)\n"
           "TSLA|0||||1|USD|TESLA INC\n"});
}

class EtradeLayoutsTest : public BackendTest {};
INSTANTIATE_TEST_SUITE_P(, EtradeLayoutsTest, BothBackends(), BackendName);

// The trade is read from the description, an option's parts too. "Sold
// Short" of a put opens it and its expiry ends the short position; a call
// "Bought" and then "Sold" is a long one. The account is named in the log.
// The description tells the trade: a new stock gets none from it, an option
// its contract.
TEST_P(EtradeLayoutsTest, Transactions) {
  ExpectSampleImport(
      "etrade-transactions.csv", "E*Trade transactions (layout etrade-transactions)",
      {.parsed =
           "Format Name: E*Trade transactions (layout etrade-transactions)\n"
           "1 option trade met no position earlier in the file: taken to open one.\n"
           "Broker accounts in the file: XXXX-4821\n"
           "14 records parsed.\n",
       .trades =
           "Cash|0|0|0|$CASH$|2025-07-07 09:12:40|2025-07-07 09:12:40|0|||-2000\n"
           "Sell Put to Open - Expired|2|2|15|NVTS250703P00006500|2025-07-03 16:00:00|2025-07-03 16:00:00|"
               "0|||0\n"
           "Investment Expense|0|0|0|$CASH$|2025-07-01 08:00:00|2025-07-01 08:00:00|0|||25\n"
           "Buy - Reinvest|1|1|0.4123|DEFX|2025-06-30 08:00:00|2025-06-30 08:00:00|30.10|||12.41\n"
           "Income Interest|0|0|0|$CASH$|2025-06-30 08:00:00|2025-06-30 08:00:00|0|||1.42\n"
           "Buy to Cover|2|2|200|GHI|2025-06-27 11:02:15|2025-06-27 11:02:15|4.80|||960\n"
           "Short Sell|1|2|200|GHI|2025-06-25 14:44:09|2025-06-25 14:44:09|5.10||0.03|1019.97\n"
           "Sell|2|1|40|AAPL|2025-06-20 10:15:33|2025-06-20 10:15:33|196.40||0.13|7855.87\n"
           "Sell Call|2|1|2|AAPL250718C00200000|2025-06-16 13:05:51|2025-06-16 13:05:51|4.25|1.30|0.05|"
               "848.65\n"
           "Income Dividend|0|0|0|AAPL|2025-06-13 08:00:00|2025-06-13 08:00:00|0|||26\n"
           "Buy Call|1|1|2|AAPL250718C00200000|2025-06-06 09:45:27|2025-06-06 09:45:27|3.10|1.30|0.04|"
               "621.34\n"
           "Sell Put to Open|1|2|15|NVTS250703P00006500|2025-06-05 15:12:58|2025-06-05 15:12:58|0.18|9.75|"
               "0.24|260.01\n"
           "Buy|1|1|100|AAPL|2025-06-03 10:31:02|2025-06-03 10:31:02|190.12|||19012\n"
           "Cash|0|0|0|$CASH$|2025-06-02 09:00:00|2025-06-02 09:00:00|0|||10000\n",
       .symbols =
           "$CASH$|11||||0|USD|\n"
           "AAPL|0||||1|USD|\n"
           "AAPL250718C00200000|1|AAPL|2025-07-18 23:59:59|200|100|USD|Call AAPL 07/18/25 200.000\n"
           "DEFX|0||||1|USD|\n"
           "GHI|0||||1|USD|\n"
           "NVTS250703P00006500|2|NVTS|2025-07-03 23:59:59|6.5|100|USD|Put NVTS 07/03/25 6.500\n"});
}

}  // namespace
