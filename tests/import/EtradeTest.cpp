// The two Etrade exports imported end to end into a fresh database.
#include <gtest/gtest.h>

#include "support/Backends.h"
#include "support/ImportRun.h"
#include "support/Rows.h"
#include "support/TempDatabase.h"

using namespace vo;

namespace {

const std::string kData = VO_TEST_DATA_DIR "/etrade/";

const char kTransSelect[] =
    "SELECT trans_action, trans_pos, trans_type, trans_qty, sym_name, trans_dttrade, "
    "trans_dtsettle, trans_unitprice, trans_commission, trans_total, acct_id "
    "FROM trans_table ORDER BY trans_id";
const char kSymSelect[] =
    "SELECT sym_name, sym_research, sym_type, sym_under, sym_exp_date, sym_strike, sym_cont_size, "
    "sym_cusid, sym_desc FROM sym_table ORDER BY sym_name";

class EtradeTest : public BackendTest {};
INSTANTIATE_TEST_SUITE_P(, EtradeTest, BothBackends(), BackendName);

// Preamble, a quoted preamble line, discarded records (fund, dividend, a
// trade word in lower case) and a short line. Options come from the symbol
// text; sells keep their quantity's magnitude, prices stay as written, and
// the two records with the same description are both kept.
TEST_P(EtradeTest, HistoryImportsTradesAndDiscardsTheRest) {
  TempDatabase database;
  ImportRun run = RunImport(kData + "history.csv");
  EXPECT_TRUE(run.imported) << run.log;

  EXPECT_EQ(
      Rows(kTransSelect),
      "0|1|1|100|IBM|2009-01-15 00:00:00|2009-01-15 00:00:00|$85.00|$12.99|8512.99|7\n"
      "2|2|1|100|IBM|2009-01-16 00:00:00|2009-01-16 00:00:00|$87.50|$12.99|8737.01|7\n"
      "9|1|2|2|IBM090220C00090000|2009-01-20 00:00:00|2009-01-20 00:00:00|$2.20|$8.99|431.01|7\n"
      "10|2|2|2|IBM090220C00090000|2009-01-21 00:00:00|2009-01-21 00:00:00|$1.00|$1.01|201.01|7\n"
      "7|1|1|1|MSFT090320P00017500|2009-01-27 00:00:00|2009-01-27 00:00:00|$0.87|$8.99|95.99|7\n");
  EXPECT_EQ(Rows(kSymSelect),
            "IBM|IBM|0||||1||INTL BUSINESS MACHINES\n"
            "IBM090220C00090000|IBM090220C00090000|1|"
            "IBM|2009-02-20 23:59:59|90|100||IBM Feb 20 '09 $90 Call\n"
            "MSFT090320P00017500|MSFT090320P00017500|2|"
            "MSFT|2009-03-20 23:59:59|17.5|100||MSFT Mar 20 '09 $17.5 Put\n");

  EXPECT_EQ(run.Lines("Error"),
            "Record 0009 CsvParser::Parse - Unexpected number of columns.\n"
            "Failed to parse line 13: 01/28/09,Sold,EQ,MSFT,-50,910.00,$18.20\n"
            "Record 0005 Discarding record - EQ Dividend\n"
            "Record 0006 Discarding record - MF Bought\n"
            "Record 0007 Discarding record - EQ bought\n");
  EXPECT_EQ(run.Lines("Info", "Format Name"),
            "Format Name: Etrade History - Transactions page (1 Transaction/line)\n");
}

// Every record adds its security (with its CUSIP), a discarded journal
// included; an expiration is kept only when money moved, and then carries
// action, position and type 0. Values stay as written.
TEST_P(EtradeTest, TaxYearKeepsSymbolsOfDiscardedRecords) {
  TempDatabase database;
  ImportRun run = RunImport(kData + "taxyear.csv");
  EXPECT_TRUE(run.imported) << run.log;

  EXPECT_EQ(
      Rows(kTransSelect),
      "0|1|1|200|INTC|2009-03-02 00:00:00|2009-03-02 00:00:00|13.50|9.99|-2709.99|7\n"
      "9|1|2|-2|INTC090418C00015000|2009-03-03 00:00:00|2009-03-03 00:00:00|0.45|10.49|79.51|7\n"
      "0|0|0|1|INTC090516P00017500|2009-05-15 00:00:00|2009-05-15 00:00:00|0|0|12.5|7\n"
      "2|2|1|-200|INTC|2009-06-01 00:00:00|2009-06-01 00:00:00|16.00|9.99|3190.01|7\n");
  EXPECT_EQ(Rows(kSymSelect),
            "CSCO|CSCO|0||||1|17275R102|CISCO SYSTEMS INC\n"
            "INTC|INTC|0||||1|458140100|INTEL CORP\n"
            "INTC090418C00015000|INTC090418C00015000|1|"
            "INTC|2009-04-18 23:59:59|15|100||INTC Apr 18 '09 $15 Call\n"
            "INTC090516P00017500|INTC090516P00017500|2|"
            "INTC|2009-05-16 23:59:59|17.5|100||INTC May 16 '09 $17.5 PUT\n");

  EXPECT_EQ(run.Lines("Error"),
            "Record 0003 Discarding record - OrderType = Expire\n"
            "Record 0004 Discarding record - OrderType = Journal\n");
}

}  // namespace
