// The built-in Fidelity layouts, each by the rows its samples store: the
// account history in every layout since 2020 (the same made-up activity in
// each), Active Trader Pro's history and the realized gain/loss report.
#include <gtest/gtest.h>

#include "support/Backends.h"
#include "support/LayoutImport.h"

namespace {

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

}  // namespace
