// The vo command line as a user runs it: every output format read back equals
// the stored rows, the filters select what they say, a dry run (of an import
// or a symbol update) leaves the database file as it was, the progress bar
// shows on a terminal only, and every failure says why on one line.
#include <gtest/gtest.h>
#include <json/json.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "SecurityCatalog.h"
#include "SecurityMasterServer.h"
#include "faults/VoProcess.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/Database.h"
#include "support/ImportRun.h"
#include "support/StoredState.h"
#include "support/TempDir.h"
#include "values/Utf8Text.h"

using namespace vo;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// RFC 4180 records (quoted fields, doubled quotes, CRLF line ends).
Rows ReadCsv(const std::string& text) {
  Rows rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
      ++i;
    } else {
      field += c;
    }
  }
  return rows;
}

Rows ReadTsv(const std::string& text) {
  Rows rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string>& row = rows.emplace_back(1);
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\t') {
        row.emplace_back();
      } else if (line[i] == '\\' && i + 1 < line.size()) {
        char e = line[++i];
        row.back() += e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
      } else {
        row.back() += line[i];
      }
    }
  }
  return rows;
}

// One array of objects (json), or one object a line (ndjson): rows under a
// header of the given names, each object's values in the names' order.
Rows ReadJson(const std::string& text, const std::vector<std::string>& names, bool lines = false) {
  Json::Value array;
  std::istringstream in(lines ? "[" + std::regex_replace(text, std::regex("\n(?=.)"), ",") + "]" : text);
  in >> array;
  Rows rows{names};
  for (const Json::Value& object : array) {
    EXPECT_EQ(object.getMemberNames().size(), names.size());
    std::vector<std::string>& row = rows.emplace_back();
    for (const std::string& name : names) row.push_back(object[name].asString());
  }
  return rows;
}

class VoCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = dir_.path() + "/vo.sqlite3";
    ASSERT_EQ(Vo({"import", VO_TEST_DATA_DIR "/etrade/history.csv", "--account-id", "7",
                  "--account-name", "a", "--log-dir", dir_.path()}),
              0)
        << output_;
    ASSERT_EQ(Vo({"import", VO_TEST_DATA_DIR "/fidelity/v1.csv", "--account-id", "8",
                  "--account-name", "b", "--log-dir", dir_.path()}),
              0)
        << output_;
  }

  // Runs vo on the test's database, with the `env` entries ("NAME=value")
  // set; its exit status, the output in output_.
  int Vo(std::vector<std::string> args, const std::vector<std::string>& env = {}) {
    args.insert(args.begin(), {"--db", db_});
    VoProcess vo(args, dir_.path() + "/out.txt", env);
    int status = vo.Wait(std::chrono::seconds(60));
    output_ = vo.output();
    return status;
  }

  // What the database holds, read through the library: header then rows.
  // By default in the order vo show gives: by trade date, then id.
  Rows Stored(const std::string& where = "", const std::string& order = " ORDER BY trans_dttrade, trans_id") {
    setenv("VO_DB", db_.c_str(), 1);
    bool created = false;
    EXPECT_TRUE(Database::Instance()->init("vo_db", "", "root", nullptr, 0, created));
    DBQueryResult result;
    EXPECT_TRUE(Database::Instance()->Select("SELECT * FROM trans_table" + where + order, true, result));
    Database::Destruct();
    Rows rows{result.getFields()};
    for (const DBQueryResult::Row& row : result) rows.push_back(row);
    return rows;
  }

  TempDir dir_;
  std::string db_;
  std::string output_;
};

TEST_F(VoCommandTest, EveryFormatReadsBackAsTheStoredRows) {
  const Rows stored = Stored();
  ASSERT_GT(stored.size(), 5u);
  const std::vector<std::string>& names = stored[0];

  ASSERT_EQ(Vo({"show", "--format", "csv"}), 0);
  EXPECT_EQ(ReadCsv(output_), stored);
  ASSERT_EQ(Vo({"show", "--format", "tsv"}), 0);
  EXPECT_EQ(ReadTsv(output_), stored);
  ASSERT_EQ(Vo({"show", "--format", "json"}), 0);
  EXPECT_EQ(ReadJson(output_, names), stored);
  ASSERT_EQ(Vo({"show", "--format", "ndjson"}), 0);
  EXPECT_EQ(ReadJson(output_, names, true), stored);
  // The table: a header, a rule, then one line a row.
  ASSERT_EQ(Vo({"show"}), 0);
  EXPECT_EQ(std::count(output_.begin(), output_.end(), '\n'), static_cast<long>(stored.size() + 1));
}

// Cells as they are read back: a path with a tab and a line break stays one
// cell in every format, standard input is recorded as "-" (not as the
// temporary copy that was read), and JSON stays UTF-8 when the ledger holds
// Latin-1 text.
TEST_F(VoCommandTest, EveryCellStaysWholeAndJsonStaysUtf8) {
  const std::string latin1 = dir_.Write(
      "latin1.csv", kNativeHeader + "\n"
                    "01/14/2008 09:31:07,01/17/2008 00:00:00,Buy,100,SGE,SOCI\xC9T\xC9 G\xC9N\xC9RALE,10,0,0,0,0,0,0,"
                    "1000,Main,T1,,1\n");
  // The run log goes to the user's state folder unless --log-dir names one.
  const std::string state = dir_.path() + "/state";
  ASSERT_EQ(Vo({"import", latin1, "--account-id", "10", "--account-name", "e", "--quiet"}, {"XDG_STATE_HOME=" + state}), 0);
  EXPECT_EQ(output_, "");  // quiet: not even the log's path
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(state + "/vo/logs"), {}), 1);
  // A ledger written before imports stored text as UTF-8 may hold such bytes.
  ASSERT_EQ(StoredState(db_).Rows("UPDATE sym_table SET sym_desc = 'SOCI' || x'C9' || 'T' || x'C9' || ' G' "
                                  "WHERE sym_name = 'SGE'"), "");
  ASSERT_EQ(Vo({"show", "--table", "sym_table", "--format", "json"}), 0);
  EXPECT_TRUE(Utf8Text::IsValid(output_)) << output_;
  EXPECT_NE(output_.find("SOCI\xEF\xBF\xBDT\xEF\xBF\xBD G"), std::string::npos) << output_;

  const std::string odd = dir_.path() + "/a\tb\nc.csv";
  std::filesystem::copy_file(VO_TEST_DATA_DIR "/fidelity/v2.csv", odd);
  ASSERT_EQ(Vo({"import", odd, "--account-id", "9", "--account-name", "c", "--log-dir", dir_.path()}), 0) << output_;
  const std::string piped = std::string(VO_BINARY_DIR "/src/cli/vo --db ") + db_ +
                            " import - --account-id 9 --account-name d --log-dir " + dir_.path() +
                            " < " VO_SOURCE_DIR "/samples/native.csv > /dev/null 2>&1";
  ASSERT_EQ(std::system(piped.c_str()), 0);

  ASSERT_EQ(Vo({"runs", "--account", "9"}), 0);
  const Rows runs = ReadTsv(output_);
  ASSERT_EQ(runs.size(), 3u) << output_;
  EXPECT_EQ(runs[1].back(), odd);
  EXPECT_EQ(runs[2].back(), "-");
  ASSERT_EQ(Vo({"runs", "--account", "9", "--format", "json"}), 0);
  EXPECT_EQ(ReadJson(output_, runs[0]), runs);
}

TEST_F(VoCommandTest, FiltersSelectTheRowsAndColumnsTheyName) {
  struct Case {
    std::vector<std::string> args;
    std::string where;
  };
  const Case cases[] = {
      {{"--account", "8"}, " WHERE acct_id = 8"},
      {{"--symbol", "IBM"}, " WHERE sym_name = 'IBM'"},
      {{"--from", "2009-01-16", "--to", "2009-01-21"},
       " WHERE trans_dttrade BETWEEN '2009-01-16' AND '2009-01-21 23:59:59'"},
      {{"--account", "7", "--symbol", "IBM"}, " WHERE acct_id = 7 AND sym_name = 'IBM'"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"show", "--format", "csv"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ASSERT_EQ(Vo(args), 0) << output_;
    Rows expected = Stored(c.where);
    EXPECT_GT(expected.size(), 1u) << c.where;
    EXPECT_EQ(ReadCsv(output_), expected) << c.where;
  }
  ASSERT_EQ(Vo({"show", "--format", "csv", "--columns", "sym_name,trans_id", "--raw",
                "--symbol", "IBM"}),
            0);
  Rows ibm = Stored(" WHERE sym_name = 'IBM'");
  Rows expected{{"sym_name", "trans_id"}};
  for (size_t i = 1; i < ibm.size(); ++i) expected.push_back({"IBM", ibm[i][0]});
  EXPECT_EQ(ReadCsv(output_), expected);

  // Sorted (latest trade first, ties by id) and cut.
  ASSERT_EQ(Vo({"show", "--format", "csv", "--sort", "-trans_dttrade", "--limit", "3"}), 0) << output_;
  EXPECT_EQ(ReadCsv(output_), Stored("", " ORDER BY trans_dttrade DESC, trans_id LIMIT 3"));
  EXPECT_EQ(Vo({"show", "--sort", "nosuch"}), 2);
  EXPECT_NE(output_.find("vo: show: --sort: no column nosuch in trans_table"), std::string::npos) << output_;
  EXPECT_EQ(Vo({"show", "--limit", "0"}), 2);
  EXPECT_NE(output_.find("expected a positive whole number of rows, got 0"), std::string::npos) << output_;
}

TEST_F(VoCommandTest, DryRunLeavesTheDatabaseFileByteIdentical) {
  const std::string before = ReadFile(db_);
  const Rows stored = Stored();
  ASSERT_EQ(Vo({"import", VO_TEST_DATA_DIR "/fidelity/v2.csv", "--account-id", "9",
                "--account-name", "c", "--log-dir", dir_.path(), "--dry-run", "--format", "csv"}),
            0)
      << output_;
  EXPECT_NE(output_.find("transactions and"), std::string::npos) << output_;
  EXPECT_NE(output_.find("would be stored"), std::string::npos) << output_;
  EXPECT_NE(output_.find(",9,"), std::string::npos) << "the rows it would store: " << output_;
  EXPECT_EQ(ReadFile(db_), before);
  EXPECT_EQ(Stored(), stored);

  // With --skip-duplicates, a file already stored for the account: the dry run
  // counts the duplicates the import then skips, and shows no row.
  const std::vector<std::string> again = {"import", VO_TEST_DATA_DIR "/etrade/history.csv",
                                          "--account-id", "7", "--account-name", "a", "--log-dir",
                                          dir_.path(), "--skip-duplicates"};
  const std::string skipped = std::to_string(Stored(" WHERE acct_id = 7").size() - 1) +
                              " duplicate transactions ";
  std::vector<std::string> dryRun = again;
  dryRun.insert(dryRun.end(), {"--dry-run", "--format", "csv"});
  ASSERT_EQ(Vo(dryRun), 0) << output_;
  EXPECT_NE(output_.find(skipped + "would be skipped"), std::string::npos) << output_;
  EXPECT_NE(output_.find(": 0 transactions and 0 symbols would be stored"), std::string::npos) << output_;
  EXPECT_EQ(output_.find(",7,"), std::string::npos) << output_;
  EXPECT_EQ(ReadFile(db_), before);
  ASSERT_EQ(Vo(again), 0) << output_;
  EXPECT_NE(output_.find(skipped + "skipped"), std::string::npos) << output_;
  EXPECT_EQ(Stored(), stored);
}

TEST_F(VoCommandTest, UpdateSymbolsDryRunPrintsTheChangesAndTheUpdateCountsThem) {
  // IBMAR renamed to IBMX with another contract size; IBM given a CUSIP.
  SecurityCatalog catalog;
  std::string error;
  const std::string reference = R"json({"securities": [
      {"vo_symbol": "IBMX", "security_type": "Call Option (Equity)", "contract_lot_size": "10",
       "id": "42", "updated_at": "2024-02-01"},
      {"vo_symbol": "IBM", "security_type": "Stock", "cusip": "459200101", "contract_lot_size": "1",
       "id": "43", "updated_at": "2024-02-01"}],
    "broker_symbols": {"IBMAR": "IBMX"}})json";
  ASSERT_TRUE(catalog.Load(reference, error)) << error;
  SecurityMasterServer server([&catalog](const std::string& body) { return catalog.Respond(body); });
  const int port = server.Bind("127.0.0.1", 0);
  ASSERT_TRUE(port > 0 && server.Start());
  const std::string before = ReadFile(db_);

  ASSERT_EQ(Vo({"update-symbols", "http://127.0.0.1:" + std::to_string(port) + "/securities",
                "--dry-run"}),
            0)
      << output_;
  std::istringstream lines(output_);
  size_t changes = 0;
  size_t totals = 0;
  for (std::string line; std::getline(lines, line);) {
    totals += line.starts_with("trans_table ");
    if (line.starts_with("rename ") || line.starts_with("sym_table ") || line.starts_with("trans_table ")) {
      ++changes;
    }
  }
  for (const char* line : {"rename IBMAR -> IBMX\n", "sym_table IBM: sym_cusid '' -> '459200101'\n",
                           "sym_table IBMAR: removed\n", "trans_table 7: trans_total 302.05 -> "}) {
    EXPECT_NE(output_.find(line), std::string::npos) << line << " in " << output_;
  }
  EXPECT_NE(output_.find("vo: dry run: " + std::to_string(changes) + " changes, nothing written"),
            std::string::npos)
      << output_;
  EXPECT_EQ(ReadFile(db_), before);

  // The update itself counts what it wrote, the totals as the dry run listed them.
  ASSERT_EQ(Vo({"update-symbols", "http://127.0.0.1:" + std::to_string(port) + "/securities"}), 0) << output_;
  EXPECT_NE(output_.find("vo: updated: 1 symbols renamed, 1 changed, 1 added, " + std::to_string(totals) +
                         " transaction totals recalculated"),
            std::string::npos)
      << output_;
}

TEST_F(VoCommandTest, EveryFailureSaysWhy) {
  const std::string junk = dir_.path() + "/junk.csv";
  std::ofstream(junk) << "hello,world\n";
  std::ofstream(dir_.path() + "/bad.csv")
      << "Trans. Date,Transaction Description,Symbol,Quantity,Price,Amount,Type,Security "
         "Description,Commission,Fees,Acct.Name\n"
         "11/14/2008,YOU BOUGHT,IBM,lots,80.25,-8032.95,Cash,INTL BUSINESS MACHS,7.95,0.00,Brokerage\n";
  // Rows the database refuses: some of the file's, or all of them.
  const std::string refused = "\nxxxxxxxx\n";
  const std::string someRefused = dir_.Write("some.csv", kNativeHeader + "\n01/14/2008 09:31:07,01/17/2008 00:00:00,"
                                                         "Buy,100,SGE,SG,10,0,0,0,0,0,0,1000,Main,T1,,1" + refused);
  const std::string allRefused = dir_.Write("all.csv", kNativeHeader + refused);
  const std::string why = ": trans_table.trans_dttrade: unreadable date 'xxxxxxxx'";
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string reason;
  };
  const std::vector<std::string> account = {"--account-id", "1", "--account-name", "z", "--log-dir",
                                            dir_.path()};
  auto import = [&](const std::string& file) {
    std::vector<std::string> args = {"import", file};
    args.insert(args.end(), account.begin(), account.end());
    return args;
  };
  const Case cases[] = {
      {import(dir_.path() + "/missing.csv"), 1, "No such file or directory"},
      {import(dir_.path()), 1, "it is a folder"},
      {import(junk), 1, "unknown format: no known header in the first lines of " + junk +
                            "; first line: hello,world"},
      {import(dir_.path() + "/bad.csv"), 3,
       "conversion error while decoding " + dir_.path() + "/bad.csv: ToDouble(\"lots\")"},
      {import(someRefused), 4, "vo: the database refused 1 of the file's transactions; the first, transaction 1" + why},
      {import(allRefused), 1, "vo: import stored nothing: the database refused all 1 transactions; the first, transaction 0" + why},
      {{"bogus"}, 2, "unknown command 'bogus'; the commands are: import, can-import, identify"},
      {{"improt"}, 2, "unknown command 'improt' (did you mean 'import'?); the commands are:"},
      {{"undo"}, 2, "vo: RUN is required\nRun 'vo undo --help' for more information."},
      {{"help", "undo"}, 0, "Usage: "},
      {{"show", "--from", "15/01/2009"}, 2, "expected a date as YYYY-MM-DD"},
      {{"show", "--from", "2008-13-45"}, 2, "expected a date as YYYY-MM-DD, got 2008-13-45"},
      {{"undo", "abc"}, 2, "expected a run number as vo runs lists them, got abc"},
      {{"show", "--table", "sym_table", "--account", "7"}, 2, "--account does not apply to sym_table"},
      {{"identify", junk}, 1, junk + "\tunknown"},
      {{"can-import", dir_.path() + "/missing.csv"}, 1, "vo: cannot open " + dir_.path() + "/missing.csv: No such file"},
      {{"can-import", junk}, 1, "vo: " + junk + ": no known format or layout"},
      {{"smart-time", "99999"}, 1, "vo: smart-time changed nothing"},
      {{"expire-options", "99999=1"}, 1, "vo: expire-options changed nothing"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Vo(c.args), c.status) << output_;
    EXPECT_NE(output_.find(c.reason), std::string::npos) << output_;
  }
  // A database that is not one.
  db_ = junk;
  EXPECT_EQ(Vo(import(VO_TEST_DATA_DIR "/etrade/history.csv")), 1);
  EXPECT_NE(output_.find("cannot use the database"), std::string::npos) << output_;
  // The reading commands, the dry runs and the commands that change stored
  // rows never make a missing database (an import's dry run then counts every
  // row as new).
  db_ = dir_.path() + "/none.sqlite3";
  std::vector<std::string> dryRun = import(VO_TEST_DATA_DIR "/etrade/history.csv");
  dryRun.push_back("--dry-run");
  for (const Case& c : {Case{{"runs"}, 1, "cannot open the database"},
                        Case{{"show"}, 1, "cannot open the database"},
                        Case{{"update-symbols", "http://127.0.0.1:1/", "--dry-run"}, 1,
                             "cannot open the database"},
                        Case{{"update-symbols", "http://127.0.0.1:1/"}, 1, "no such file"},
                        Case{{"undo", "1"}, 1, "no such file"},
                        Case{{"smart-time", "1"}, 1, "no such file"},
                        Case{{"expire-options", "1=1"}, 1, "no such file"},
                        Case{dryRun, 0, ": 5 transactions and 3 symbols would be stored"}}) {
    EXPECT_EQ(Vo(c.args), c.status) << output_;
    EXPECT_NE(output_.find(c.reason), std::string::npos) << output_;
    EXPECT_FALSE(std::filesystem::exists(db_)) << c.args[0];
  }
  // A ledger with nothing to update is no failure.
  const std::string headerOnly = dir_.Write("header.csv", kNativeHeader + "\n");
  ASSERT_EQ(Vo(import(headerOnly)), 0) << output_;
  EXPECT_EQ(Vo({"update-symbols", "http://127.0.0.1:1/"}), 0) << output_;
  EXPECT_NE(output_.find("vo: nothing to update: There are no symbols in your VO database."), std::string::npos)
      << output_;
}

// Layouts as a user meets them: listed from the user's folder, checked with
// their lines, and a file of two broker accounts identified, refused with a
// hint, then imported for one account.
TEST_F(VoCommandTest, LayoutsAreListedCheckedAndUsed) {
  TempDir layouts;
  const std::string good = layouts.Write("acme.toml",
                                         "name = \"Acme\"\n[columns]\ndate = \"Day\"\naction = \"What\"\n"
                                         "symbol = \"Ticker\"\naccount = \"Acct\"\n"
                                         "[[actions]]\ntext = \"bought\"\nside = \"buy\"\n");
  const std::string bad = layouts.Write("bad.toml", "name = \"x\"\ncolums = 1\n");
  const std::string file = dir_.Write("acme.csv", "Day,What,Ticker,Acct\n1/2/2024,Bought,ABC,A-1\n"
                                                  "1/3/2024,Bought,XYZ,B-2\n");
  const std::vector<std::string> mine = {"VO_LAYOUTS=" + layouts.path()};
  const std::vector<std::string> none = {"VO_LAYOUTS=" + dir_.path() + "no-layouts"};
  const std::vector<std::string> account = {"--account-id", "9", "--account-name", "c", "--log-dir",
                                            dir_.path()};
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> env;
    int status;
    std::string shown;
  };
  const Case cases[] = {
      {{"layouts"}, mine, 0,
       "acme\tAcme\t" + good + "\nbad\trefused: line 2: unknown key 'colums' in a layout\t" + bad},
      {{"layouts", "check", good, bad}, none, 1,
       good + ": ok: Acme (layout acme)\n" + bad + ":2: unknown key 'colums' in a layout\n"},
      {{"identify", file}, mine, 0, file + "\tAcme (layout acme)\taccounts: A-1, B-2\n"},
      {{"identify", file}, none, 1, file + "\tunknown\n"},
      {{"can-import", "--layout", good, file}, none, 0, ""},
      {{"identify", "--layout", bad, file}, none, 1, "The layout " + bad + " cannot be used: line 2:"},
      {{"import", file, "--layout", good, account[0], account[1], account[2], account[3], account[4], account[5]},
       none, 1,
       "choose the one to import. Import one with --broker-account A-1, ..."},
      {{"import", file, "--broker-account", "B-2", account[0], account[1], account[2], account[3],
        account[4], account[5]},
       mine, 0, "imported Acme (layout acme): 1 transactions stored"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Vo(c.args, c.env), c.status) << output_;
    EXPECT_NE(output_.find(c.shown), std::string::npos) << c.args[0] << ":\n" << output_;
  }
}

// A file of more than a megabyte: large enough for the bar.
std::string WriteLargeFile(const std::string& folder) {
  std::string path = folder + "/large.csv";
  std::ofstream out(path);
  out << "TransactionDate,TransactionType,SecurityType,Symbol,Quantity,Amount,Price,Commission,"
         "Description\n";
  for (int i = 0; i < 20000; ++i) {
    out << "01/15/09,Bought,EQ,S" << i << ",100,-8512.99,$85.00,$12.99,A SECURITY OF SOME LENGTH\n";
  }
  return path;
}

TEST_F(VoCommandTest, ProgressBarOnATerminalOnly) {
  const std::string file = WriteLargeFile(dir_.path());
  std::vector<std::string> args = {VO_BINARY_DIR "/src/cli/vo", "--db", db_, "import", file,
                                   "--account-id", "3", "--account-name", "p", "--log-dir",
                                   dir_.path(), "--dry-run", "--format", "csv"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int terminal = -1;
  pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // Rows to a file: only stderr stays on the terminal.
    int rows = open((dir_.path() + "/rows.csv").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(rows, STDOUT_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  std::string seen;
  char block[4096];
  for (ssize_t got; (got = read(terminal, block, sizeof block)) > 0;) seen.append(block, static_cast<size_t>(got));
  int status = 0;
  waitpid(pid, &status, 0);
  close(terminal);
  EXPECT_EQ(WEXITSTATUS(status), 0) << seen;
  EXPECT_NE(seen.find("100%"), std::string::npos) << seen;
  EXPECT_NE(seen.find("lines/s"), std::string::npos) << seen;

  args.erase(args.begin(), args.begin() + 3);  // the fixture adds vo and --db
  ASSERT_EQ(Vo(args), 0) << output_;
  EXPECT_EQ(output_.find("lines/s"), std::string::npos) << output_;
  EXPECT_NE(output_.find("would be stored"), std::string::npos) << output_;
}

}  // namespace
