#include <gtest/gtest.h>

#include "db/TableColumns.h"
#include "import/CsvParser.h"
#include "import/FileImporter.h"
#include "ledgerdb/Database.h"
#include "support/Backends.h"
#include "support/ImportRun.h"
#include "support/Rows.h"
#include "support/TempDatabase.h"

using namespace vo;

namespace {

// Symbol, symbol type and amount; every record becomes a buy of the symbol
// with its record index as quantity, keyed by that index.
class KeyedParser : public CsvParser {
 public:
  KeyedParser() : CsvParser("Keyed", "Symbol,Type,Amount", ',') {}
  bool Decode(SymbolMap& symbols, TransactionMap& transactions) override {
    for (size_t i = 0; SelectRecord(i); ++i) {
      symbols.emplace(Column(0),
                      {{SymColumn::kSymName, Column(0)}, {SymColumn::kSymType, Column(1)}});
      transactions.insert_or_assign(std::to_string(i), {{TransColumn::kTransAction, "0"},
                                                        {TransColumn::kTransQty, std::to_string(i)},
                                                        {TransColumn::kTransTotal, Column(2)},
                                                        {TransColumn::kAcctId, "1"},
                                                        {TransColumn::kSymName, Column(0)}});
    }
    return true;
  }
};

const char kStoredTransactions[] =
    "SELECT trans_id, trans_action, trans_pos, trans_type, trans_qty, trans_unitprice, "
    "trans_commission, trans_total, trans_dttrade, sym_name, acct_id, trans_note_user "
    "FROM trans_table ORDER BY trans_id";
const char kStoredSymbols[] =
    "SELECT sym_name, sym_type, sym_exp_date, sym_strike, sym_under, sym_cont_size, sym_desc "
    "FROM sym_table ORDER BY sym_name";

class FileImporterTest : public BackendTest {
 protected:
  TempDir dir_;
  TempDatabase db_;
};
INSTANTIATE_TEST_SUITE_P(, FileImporterTest, BothBackends(), BackendName);

TEST_P(FileImporterTest, FindsTheHeaderAmongTheFirstLines) {
  std::string foreign24;
  for (int i = 0; i < 24; ++i) foreign24 += "Account: 12345\n";
  std::string commision = kNativeHeader;
  commision.replace(commision.find("Commission"), 10, "Commision");
  struct Case {
    std::string name, content;
    bool known;
  };
  const Case kCases[] = {
      {"line 26 after empty line 25", foreign24 + "\n" + kNativeHeader + "\n", true},
      {"line 26 after foreign line 25", foreign24 + "x\n" + kNativeHeader + "\n", false},
      {"quoted as a whole", "  \"" + kNativeHeader + "\"\n", true},
      {"misspelt Commision", commision + "\n", true},
      {"CRLF with byte-order mark", "\xEF\xBB\xBF" + kNativeHeader + "\r\n", true},
      {"lower case", "date transacted" + kNativeHeader.substr(15), false},
      {"extra column", kNativeHeader + ",Extra\n", true},
      {"last name cut short", kNativeHeader.substr(0, kNativeHeader.size() - 3) + "\n", false},
  };
  for (const Case& c : kCases) {
    LogCapture log;
    FileImporter importer("1");
    EXPECT_EQ(importer.CanImport(dir_.Write("file.csv", c.content)), c.known) << c.name;
  }
}

// A conversion error in a later import leaves the stored sample as it was.
TEST_P(FileImporterTest, ImportsTheNativeSampleAndAFailedImportKeepsIt) {
  ImportRun run = RunImport(VO_SAMPLES_DIR "/native.csv", "1", "Main");
  ASSERT_TRUE(run.imported) << run.log;
  EXPECT_EQ(run.Lines("Info").substr(run.Lines("Info").find("Header:")),
            "Header: Date Transacted,Date Settled,Action,Quan...\n"
            "Parsing...\n"
            "Format Name: VO Transaction (1 Transaction/line)\n"
            "19 records parsed.\n"
            "Decoding....\n"
            "10 unique symbols and 19 unique transactions decoded.\n"
            "Writing symbols to DB...\n"
            "10 of 10 symbols inserted into DB.\n"
            "Writing transactions to DB...\n"
            "19 of 19 transactions inserted into DB.\n"
            "File Import SUCCESSFUL\n");
  EXPECT_EQ(run.Lines("Error") + run.Lines("Fatal"), "");
  EXPECT_EQ(Rows(kStoredSymbols),
            "AAPL|0||||1|APPLE INC\n"
            "AAPL080215P00120000|2|2008-02-15 23:59:59|120|AAPL|100|2 AAPL FEB-08 $120 PUT\n"
            "GE|0||||1|GENERAL ELECTRIC CO\n"
            "GS|0||||1|GOLDMAN SACHS GROUP, INC.\n"
            "IBM|0||||1|INTERNATIONAL BUSINESS MACHINES CORP\n"
            "IBM080321C00110000|1|2008-03-21 23:59:59|110|IBM|100|5 IBM MAR-08 $110 CALL\n"
            "JNJ|0||||1|JOHNSON & JOHNSON, COMMON\n"
            "MSFT|0||||1|MICROSOFT CORP\n"
            "MSFT081219C00030000|1|2008-12-19 23:59:59|30|MSFT|100|2 MSFT DEC-08 $30 CALL\n"
            "MSFT090116C00025000|1|2009-01-16 23:59:59|25|MSFT|100|3 MSFT JAN-09 $25 CALL\n");
  // Rows follow the byte order of the record keys: 0, 1, 10 ... 18, 2 ... 9.
  EXPECT_EQ(Rows(kStoredTransactions),
            "1|0|1|1|100|104.25|9.99|10434.99|2008-01-14 09:31:07|IBM|1|\n"
            "2|0|1|1|200|31.10|9.99|6229.99|2008-01-22 10:02:44|MSFT|1|\n"
            "3|0|1|1|100|66.15|9.99|6624.99|2008-05-06 09:58:20|JNJ|1|\n"
            "4|9|1|2|2|1.45|2.50|287.49|2008-06-02 10:30:00|MSFT081219C00030000|1|covered call\n"
            "5|5|1|1|3|2.10|3.75|633.75|2008-07-10 11:11:11|MSFT090116C00025000|1|\n"
            "6|2|2|1|200|25.40|9.99|5069.9|2008-09-15 14:02:30|MSFT|1|\n"
            "7|3|1|2|20|127.50|9.99|2539.95|2008-10-02 10:45:00|GS|1|\n"
            "8|2|2|1|300|20.15|9.99|6034.87|2008-10-10 15:55:01|GE|1|tax loss, harvest\n"
            "9|4|2|2|20|55.20|9.99|1113.99|2008-11-20 11:30:00|GS|1|\n"
            "10|2|2|1|100|76.50|9.99|7639.84|2008-12-01 09:35:42|IBM|1|\n"
            "11|2|2|1|100|59.00|9.99|5889.88|2008-12-22 14:48:09|JNJ|1|\n"
            "12|3|1|2|50|128.40|9.99|6409.86|2008-02-05 14:15:00|AAPL|1|opening short\n"
            "13|11|1|2|2|3.10|2.50|617.48|2008-02-12 11:45:30|AAPL080215P00120000|1|\n"
            "14|4|2|2|50|124.10|9.99|6214.99|2008-02-14 15:40:12|AAPL|1|\n"
            "15|12|2|2|2|1.05|2.50|212.5|2008-02-14 15:42:05|AAPL080215P00120000|1|\n"
            "16|5|1|1|5|2.35|6.25|1181.25|2008-03-03 09:45:00|IBM080321C00110000|1|\n"
            "17|6|2|1|5|4.80|6.25|2393.7|2008-03-14 12:20:41|IBM080321C00110000|1|\n"
            "18|0|1|1|300|37.02|9.99|11115.99|2008-04-01 10:10:10|GE|1|\n"
            "19|2|2|1|100|124.40|9.99|12429.73|2008-04-18 13:05:55|IBM|1|partial, first lot\n");
  const std::string stored = Rows(kStoredSymbols) + Rows(kStoredTransactions);

  run = RunImport(
      dir_.Write("bad.csv",
                 kNativeHeader + "\n1/2/2009,1/5/2009,Buy,10,NEW,NEW CO,1,,,,,,,10,Main,,,\n"
                                 "1/2/2009,1/5/2009,Buy Call,1,X,1 MSFT JAN-XX $25 CALL,1,,,,,,,1,Main,,,\n"),
      "1", "Main");
  EXPECT_EQ(run.error, "ToInt(\"XX\")");
  EXPECT_EQ(run.log.find("File Import"), std::string::npos) << run.log;
  EXPECT_NE(run.log.find("Decoding...."), std::string::npos) << run.log;
  EXPECT_EQ(Rows(kStoredSymbols) + Rows(kStoredTransactions), stored);
}

TEST_P(FileImporterTest, CountsPhysicalLinesWritesInKeyByteOrderAndLogsFailedInserts) {
  std::string content = "Keyed export\n\nSymbol,Type,Amount\n";
  for (int i = 0; i < 12; ++i) content += "S" + std::to_string(i % 3) + ",0,1\n";  // lines 4 to 15
  content += "\nnot three columns\n\"only,two\"\n";                                // lines 16 to 18
  content += "BAD,x,1\nS1,0,abc\n";  // a symbol type and an amount the table refuses
  std::string file = dir_.Write("keyed.csv", content);

  for (const char* symbolsInserted : {"3 of 4 symbols inserted", "0 of 4 symbols inserted"}) {
    LogCapture log;
    std::vector<std::unique_ptr<CsvParser>> parsers;
    parsers.push_back(std::make_unique<KeyedParser>());
    EXPECT_TRUE(FileImporter(std::move(parsers)).Import(file));
    EXPECT_EQ(log.Lines("Error"),
              "Record 0013 CsvParser::Parse - Unexpected number of columns.\n"
              "Failed to parse line 17: not three columns\n"
              "Record 0013 CsvParser::Parse - Unexpected number of columns.\n"
              "Failed to parse line 18: only,two\n"
              "Failed to insert (NOT duplicate) into DB: BAD\n"
              "The database refused it: sym_table.sym_type: not a whole number 'x'\n"
              "Failed to insert into DB: 13\n"
              "The database refused it: trans_table.trans_total: not an amount 'abc'\n");
    std::string info = log.Lines("Info");
    EXPECT_NE(info.find(symbolsInserted), std::string::npos) << info;
    EXPECT_NE(info.find("13 of 14 transactions inserted into DB."), std::string::npos) << info;
  }
  std::string once = "0\n1\n10\n11\n12\n2\n3\n4\n5\n6\n7\n8\n9\n";
  EXPECT_EQ(Rows("SELECT trans_qty FROM trans_table ORDER BY trans_id"), once + once);
}

TEST_P(FileImporterTest, UnreachableDatabaseFailsBeforeTheFileIsRead) {
  Database::Destruct();
  setenv("VO_DB", (dir_.path() + "no/such/folder/vo.sqlite3").c_str(), 1);
  LogCapture log;
  EXPECT_FALSE(FileImporter("1").Import(VO_SAMPLES_DIR "/native.csv"));
  std::string missing = dir_.path() + "no/such/folder/vo.sqlite3";
  EXPECT_EQ(log.Lines("Fatal"), "Failed voDao.init in VoServices::ImportPensonTrans2008.\n"
                                "Unable to open VO DB: cannot open " + missing +
                                    ": unable to open database file\n");
  EXPECT_EQ(log.Lines("Info"), "");
}

TEST_P(FileImporterTest, HeaderOnlyFileSucceedsWithZeroCounts) {
  ImportRun run = RunImport(dir_.Write("empty.csv", kNativeHeader + "\n"), "1", "Main");
  ASSERT_TRUE(run.imported) << run.log;
  std::string info = run.Lines("Info");
  for (const char* line :
       {"0 records parsed.", "0 unique symbols and 0 unique transactions decoded.",
        "0 of 0 symbols inserted into DB.", "0 of 0 transactions inserted into DB."}) {
    EXPECT_NE(info.find(std::string("\n") + line + "\n"), std::string::npos) << line;
  }
}

// Two threads (the default) and one give the same result, log and rows, for a
// file of many read chunks and row batches with refused rows in it, and for a
// large file that ends in a conversion error.
TEST_P(FileImporterTest, OneThreadAndTwoStoreAndLogTheSame) {
  std::string good = kNativeHeader + "\n";
  for (int i = 0; i < 30000; ++i) {
    // An unreadable trade date every 997 lines: refused by the table, logged.
    std::string date = i % 997 == 5 ? "13/45/2009" : std::to_string(1 + i % 12) + "/3/2009 10:00:00";
    good += date + ",1/5/2009,Buy,10,S" + std::to_string(i % 700) + ",\"S CO, INC.\"," +
            std::to_string(i % 90) + ".25,9.99,,,,,,\"(1,0" + std::to_string(i % 10) + ".50)\",Main,T" +
            std::to_string(i) + ",,1\n";
  }
  const std::string bad = good + "1/2/2009,1/5/2009,Buy Call,1,X,1 MSFT JAN-XX $25 CALL,1,,,,,,,1,Main,,,\n";
  struct Case {
    std::string name, content;
  };
  for (const Case& c : {Case{"refused rows", good}, Case{"conversion error", bad}}) {
    std::string file = dir_.Write("big.csv", c.content);
    std::string results[2];
    for (bool single : {true, false}) {
      TempDatabase db;
      LogCapture log;
      FileImporter importer("1");
      VoServices::ImportOptions options;
      options.singleThreaded = single;
      importer.SetOptions(options);
      bool imported = false;
      std::string error = ConversionError([&] { imported = importer.Import(file); });
      std::string& result = results[single];
      result = std::to_string(imported) + " " + error + "\n";
      for (const char* level : {"Info", "Warning", "Error", "Fatal"}) result += log.Lines(level);
      result += Rows("SELECT * FROM trans_table ORDER BY trans_id") +
                Rows("SELECT * FROM sym_table ORDER BY sym_name") +
                Rows("SELECT file_sha256, file_size, trans_stored, run_result FROM import_run") +
                Rows("SELECT count(*), min(trans_id), max(trans_id) FROM import_run_trans");
    }
    EXPECT_EQ(results[0], results[1]) << c.name;
    EXPECT_NE(results[0].find(c.content == bad ? "ToInt(\"XX\")" : "Failed to insert into DB: 1002\n"),
              std::string::npos) << c.name;
  }
}

}  // namespace
