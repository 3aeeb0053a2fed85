// UpdateSymbols end to end: a fresh database and a security master on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#include "SecurityCatalog.h"
#include "SecurityMasterServer.h"
#include "db/HSymboDAO.h"
#include "db/HTransDAO.h"
#include "platform/DebugOutput.h"
#include "platform/MessageBox.h"
#include "support/Backends.h"
#include "support/Rows.h"
#include "support/StoredState.h"
#include "support/TempDatabase.h"
#include "voservices/SymbolUpdate.h"
#include "voservices/VoServices.h"

using namespace vo;

namespace {

std::vector<std::string> progress;

bool RecordProgress(std::string message, int32_t value) {
  progress.push_back(value == 0 ? message : message + " with " + std::to_string(value));
  return false;
}

constexpr int kBuyCallToOpen = 5;
constexpr int kSellCallToClose = 6;
constexpr int kBuy = 0;

class SymbolUpdateTest : public BackendTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.connected());
    std::string error;
    ASSERT_TRUE(catalog_.LoadFile(VO_TEST_DATA_DIR "/symbols/reference.json", error)) << error;
    previousSink_ = SetMessageSink([this](const std::string& text, const std::string& caption, unsigned style) {
      messages_.push_back(caption + ": " + text + " (" + std::to_string(style) + ")");
    });
    progress.clear();
  }
  void TearDown() override { SetMessageSink(previousSink_); }

  // Starts a server answering from the catalog; returns its URL.
  std::string Serve(size_t maxRequestBytes = SecurityMasterServer::kDefaultMaxRequestBytes) {
    server_ = std::make_unique<SecurityMasterServer>(
        [this](const std::string& body) {
          std::lock_guard<std::mutex> guard(bodiesLock_);
          bodies_.push_back(body);
          return catalog_.Respond(body);
        },
        maxRequestBytes);
    int port = server_->Bind("127.0.0.1", 0);
    EXPECT_TRUE(port > 0 && server_->Start());
    return "http://127.0.0.1:" + std::to_string(port) + "/securities";
  }

  void AddSymbol(const SymbolFields& fields) { ASSERT_TRUE(HSymboDAO().InsertSymbol(fields)); }

  void AddTrade(const std::string& symbol, int action, const std::string& quantity, const std::string& price,
                const std::string& commission, const std::string& lock = "") {
    TransactionFields fields{{0, "NULL"},    {1, std::to_string(action)}, {2, "1"},  {3, "1"},
                             {4, quantity},  {5, price},   {6, commission},          {7, "1/2/2024 10:00:00"},
                             {13, "0"},      {18, "1"},    {19, lock},               {21, symbol},
                             {28, "1"}};
    ASSERT_TRUE(HTransDAO().InsertFields(fields));
  }

  // A broker call OLD that the server renames to NEW, an already checked AAPL,
  // a symbol the server does not know, cash, and a symbol without trades.
  void AddSymbolTable() {
    AddSymbol({{0, "OLD"}, {3, "1"}, {6, "1"}, {12, "Old call"}});
    AddSymbol({{0, "AAPL"}, {3, "0"}, {22, "Zudazuzo Diroza"}, {25, "AAPL"}, {26, "1001"}, {27, "2023-12-01"}});
    AddSymbol({{0, "ZZZ"}, {3, "0"}});
    AddSymbol({{0, "$CASH$"}, {3, "0"}});
    AddSymbol({{0, "IDLE"}, {3, "0"}});
    AddTrade("OLD", kBuyCallToOpen, "2", "1.5", "10");
    AddTrade("OLD", kSellCallToClose, "2", "1.5", "10");
    AddTrade("AAPL", kBuy, "10", "100", "5");
    AddTrade("ZZZ", kBuy, "1", "1", "0");
    AddTrade("$CASH$", kBuy, "1", "1", "0");
    for (const char* table : {"position_table", "corp_event_table", "port_table"}) {
      ASSERT_TRUE(Execute(std::string("INSERT INTO ") + table + " (sym_name) VALUES ('OLD')"));
    }
  }

  TempDatabase db_;
  SecurityCatalog catalog_;
  std::unique_ptr<SecurityMasterServer> server_;
  std::mutex bodiesLock_;
  std::vector<std::string> bodies_;
  std::vector<std::string> messages_;
  MessageSink previousSink_;
};
INSTANTIATE_TEST_SUITE_P(, SymbolUpdateTest, BothBackends(), BackendName);

TEST_P(SymbolUpdateTest, RenamesUpdatesAndRecalculates) {
  AddSymbolTable();
  // Symbols made inactive before this run: one still renames the transactions
  // imported under it since, the others (no canonical symbol, itself) do not.
  ASSERT_TRUE(Execute("INSERT INTO inactive_sym_table (sym_name, sym_vo_sym) VALUES ('GONE', 'ZZZ'), "
                      "('KEPT', ''), ('SELF', 'SELF')"));
  for (const char* symbol : {"GONE", "KEPT", "SELF"}) AddTrade(symbol, kBuy, "1", "1", "0");
  ASSERT_TRUE(VoServices::UpdateSymbols(Serve(), RecordProgress));

  EXPECT_EQ(messages_, std::vector<std::string>{});
  EXPECT_EQ(progress, (std::vector<std::string>{
                          "Connecting to your VO database...", "Reading symbols from your VO database...",
                          "Connecting to Zudazuzo Diroza server...", "Requesting update for 3 symbols...",
                          "Reading Zudazuzo Diroza data...", "Parsing Zudazuzo Diroza data...",
                          "Updating your VO database with new data...", "Recalculating transaction amounts..."}));
  ASSERT_EQ(bodies_.size(), 2u);  // the connection test, then the request
  EXPECT_EQ(bodies_[1],
            "{\"broker_security_details\":["
            "{\"count_trans_table\":\"2\",\"cur_name\":\"\",\"cur_name2\":\"\",\"sm_record_id\":\"\","
            "\"sym_cont_size\":\"1\",\"sym_cur_conv_rate\":\"\",\"sym_cusid\":\"\",\"sym_desc\":\"Old call\","
            "\"sym_exp_date\":\"\",\"sym_last_update\":\"\",\"sym_leap\":\"Y\",\"sym_lot_size\":\"\","
            "\"sym_multiplier\":\"\",\"sym_name\":\"OLD\",\"sym_research\":\"\",\"sym_source\":\"XYZBroker\","
            "\"sym_strike\":\"\",\"sym_type\":\"Call Option (Equity)\",\"sym_under\":\"\",\"sym_verified\":\"\","
            "\"sym_vo_sym\":\"\"},"
            "{\"count_trans_table\":\"1\",\"cur_name\":\"\",\"cur_name2\":\"\",\"sm_record_id\":\"\","
            "\"sym_cont_size\":\"\",\"sym_cur_conv_rate\":\"\",\"sym_cusid\":\"\",\"sym_desc\":\"\","
            "\"sym_exp_date\":\"\",\"sym_last_update\":\"\",\"sym_leap\":\"Y\",\"sym_lot_size\":\"\","
            "\"sym_multiplier\":\"\",\"sym_name\":\"ZZZ\",\"sym_research\":\"\",\"sym_source\":\"XYZBroker\","
            "\"sym_strike\":\"\",\"sym_type\":\"Stock\",\"sym_under\":\"\",\"sym_verified\":\"\","
            "\"sym_vo_sym\":\"\"}],"
            "\"global_security_records\":[{\"sm_record_id\":\"1001\",\"sym_last_update\":\"2023-12-01\","
            "\"sym_vo_sym\":\"AAPL\"}]}\n");

  EXPECT_EQ(Rows("SELECT sym_name, sym_type, sym_research, sym_cusid, sym_cont_size, sym_verified, sym_source, "
                 "sym_vo_sym, sm_record_id, sym_last_update FROM sym_table ORDER BY sym_name"),
            "$CASH$|0||||||||\n"
            "AAPL|0||037833100|1|1|Zudazuzo Diroza|AAPL|1001|2024-02-01\n"
            "IDLE|0||||||||\n"
            "NEW|1|NEW.X|NEWCUSIP|100|1|Zudazuzo Diroza|NEW|7001|2024-02-01\n"
            "ZZZ|0||||||||\n");
  EXPECT_EQ(Rows("SELECT sym_name, sym_type, sym_cont_size, sym_desc, sym_vo_sym, sm_record_id "
                 "FROM inactive_sym_table ORDER BY sym_name"),
            "GONE||||ZZZ|\nKEPT|||||\nOLD|1|1|Old call|NEW|7001\nSELF||||SELF|\n");
  EXPECT_EQ(Rows("SELECT trans_id, sym_name, trans_total FROM trans_table ORDER BY trans_id"),
            "1|NEW|310\n2|NEW|290\n3|AAPL|1005\n4|ZZZ|0\n5|$CASH$|0\n6|ZZZ|0\n7|KEPT|0\n8|SELF|0\n");
  EXPECT_EQ(Rows("SELECT sym_name FROM position_table UNION ALL SELECT sym_name FROM corp_event_table "
                 "UNION ALL SELECT sym_name FROM port_table"),
            "NEW\nNEW\nNEW\n");
}

// On the sample files and reference data: batches of one symbol, of seven,
// and batches a server refuses as too large until they are halved store what
// one request stores, with the same messages.
TEST_P(SymbolUpdateTest, BatchesStoreWhatOneRequestStores) {
  std::string error;
  ASSERT_TRUE(catalog_.LoadFile(VO_SAMPLES_DIR "/secmaster.json", error)) << error;
  std::vector<std::filesystem::path> samples;
  for (const auto& entry : std::filesystem::directory_iterator(VO_SAMPLES_DIR)) {
    if (entry.path().extension() == ".csv") samples.push_back(entry.path());
  }
  std::sort(samples.begin(), samples.end());
  unsetenv("VO_SECMASTER_BATCH");
  struct Case {
    const char* urlOption;
    size_t maxRequestBytes;
  } cases[] = {{"", SecurityMasterServer::kDefaultMaxRequestBytes},
               {"?vo_batch=1", SecurityMasterServer::kDefaultMaxRequestBytes},
               {"?vo_batch=7", SecurityMasterServer::kDefaultMaxRequestBytes},
               {"?vo_batch=10000", 2000}};
  std::string oneRequest;
  for (const Case& c : cases) {
    TempDatabase fresh;
    ASSERT_TRUE(fresh.connected());
    for (size_t i = 0; i < samples.size(); ++i) {
      ASSERT_TRUE(VoServices::ImportFile(samples[i], fresh.dir().path(), std::to_string(i + 1), "sample", nullptr));
    }
    messages_.clear();
    progress.clear();
    bodies_.clear();
    const bool updated = VoServices::UpdateSymbols(Serve(c.maxRequestBytes) + c.urlOption, RecordProgress);
    std::string outcome = std::string(updated ? "updated\n" : "failed\n");
    for (const std::string& line : messages_) outcome += line + "\n";
    for (const std::string& line : progress) outcome += line + "\n";
    outcome += StoredState(fresh.file()).Everything();
    if (oneRequest.empty()) {
      EXPECT_TRUE(updated);
      EXPECT_EQ(bodies_.size(), 2u);  // the connection test, then the request
      oneRequest = outcome;
    } else {
      EXPECT_GT(bodies_.size(), 3u) << c.urlOption;
      EXPECT_EQ(outcome, oneRequest) << c.urlOption;
    }
  }
}

TEST_P(SymbolUpdateTest, DryRunListsTheChangesAndWritesNothing) {
  AddSymbolTable();
  const std::string tables = Rows("SELECT * FROM sym_table ORDER BY sym_name") +
                             Rows("SELECT * FROM trans_table ORDER BY trans_id");
  const std::string stored = ReadFile(db_.file());

  std::vector<std::string> changes;
  ASSERT_TRUE(VoServices::PreviewSymbolUpdate(Serve(), nullptr, changes));

  auto listed = [&changes](const std::string& line) {
    return std::find(changes.begin(), changes.end(), line) != changes.end();
  };
  EXPECT_TRUE(listed("rename OLD -> NEW"));
  EXPECT_TRUE(listed("sym_table AAPL: sym_cusid '' -> '037833100'"));
  EXPECT_TRUE(listed("trans_table 1: trans_total 0 -> 310"));
  EXPECT_EQ(Rows("SELECT * FROM sym_table ORDER BY sym_name") + Rows("SELECT * FROM trans_table ORDER BY trans_id"),
            tables);
  EXPECT_EQ(ReadFile(db_.file()), stored);
}

// A locked transaction, and one of no type (never recalculated), keep their
// totals but still take the new name.
TEST_P(SymbolUpdateTest, LockedTransactionIsLeftAloneAfterTheOthersAreWritten) {
  AddSymbolTable();
  AddTrade("OLD", kBuyCallToOpen, "1", "2", "0", "7");
  AddTrade("OLD", kBuyCallToOpen, "1", "2", "0");
  ASSERT_TRUE(Execute("UPDATE trans_table SET trans_type = 0 WHERE trans_id = 7"));
  EXPECT_FALSE(VoServices::UpdateSymbols(Serve(), RecordProgress));
  EXPECT_EQ(messages_, std::vector<std::string>{"Orbel Symbol Update: Error Recalculating transaction amounts. (48)"});
  EXPECT_EQ(Rows("SELECT trans_id, sym_name, trans_total FROM trans_table ORDER BY trans_id"),
            "1|NEW|310\n2|NEW|290\n3|AAPL|1005\n4|ZZZ|0\n5|$CASH$|0\n6|NEW|0\n7|NEW|0\n");
}

TEST_P(SymbolUpdateTest, NothingToSendNeverReachesTheServer) {
  std::string url = Serve();
  EXPECT_FALSE(VoServices::UpdateSymbols(url, nullptr));
  AddSymbol({{0, "$CASH$"}, {3, "0"}});
  AddSymbol({{0, "IDLE"}, {3, "0"}});
  AddTrade("$CASH$", kBuy, "1", "1", "0");
  EXPECT_FALSE(VoServices::UpdateSymbols(url, RecordProgress));

  EXPECT_EQ(messages_, (std::vector<std::string>{"VoServices: There are no symbols in your VO database. (64)",
                                                 "Orbel Symbol Update: Symbols do not require updating. (48)"}));
  EXPECT_EQ(server_->requestCount(), 0u);
}

// A recalculated total too large for a stored amount is never written: that
// row keeps its total, the run says it failed, and the other rows are updated.
TEST_P(SymbolUpdateTest, TotalTooLargeToStoreKeepsItsRow) {
  AddSymbolTable();
  AddTrade("AAPL", kBuy, "1000000000", "100000", "0");
  // The debug line names the row, once, on the caller's thread (the rows
  // may be decided on another).
  std::vector<std::string> lines;
  const std::thread::id caller = std::this_thread::get_id();
  const DebugSink previous = SetDebugSink([&](const std::string& text) {
    if (text.find("keeps its total") != std::string::npos) lines.push_back(text);
    if (std::this_thread::get_id() != caller) lines.push_back("on another thread: " + text);
  });
  EXPECT_FALSE(VoServices::UpdateSymbols(Serve(), RecordProgress));
  SetDebugSink(previous);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("keeps its total: 100000000000000"), std::string::npos) << lines[0];
  EXPECT_EQ(messages_, std::vector<std::string>{"Orbel Symbol Update: Error Recalculating transaction amounts. (48)"});
  EXPECT_EQ(Rows("SELECT trans_total IS NULL, trans_total FROM trans_table WHERE trans_qty = '1000000000'"),
            "0|0\n");
  EXPECT_EQ(Rows("SELECT trans_total FROM trans_table WHERE sym_name = 'AAPL' AND trans_qty = '10'"), "1005\n");
}

}  // namespace
