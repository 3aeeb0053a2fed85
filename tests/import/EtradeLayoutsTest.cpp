// The built-in layout of E*Trade's 2025 transaction download: what its
// sample stores and logs.
#include <gtest/gtest.h>

#include "support/Backends.h"
#include "support/LayoutImport.h"

namespace {

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
