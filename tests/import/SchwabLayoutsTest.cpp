// The built-in layouts of Schwab and of the brokers it took over (TD
// Ameritrade, thinkorswim): what each sample stores and logs.
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

}  // namespace
