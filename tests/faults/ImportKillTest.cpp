// Imports that do not end normally, run through the vo host as separate
// processes: one killed in the middle of its write phase, two racing for the
// same database file.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "support/StoredState.h"
#include "VoProcess.h"
#include "support/ImportRun.h"
#include "support/TempDatabase.h"
#include "support/TempDir.h"

namespace {

using std::chrono::seconds;

constexpr int kLargeFileTrades = 20000;
constexpr char kPausedLine[] = "Import write phase paused after 10000 of 20000 transactions";

// A native file of buys spread over 500 symbols none of the samples use.
std::string LargeNativeFile() {
  std::string text = kNativeHeader + "\n";
  for (int i = 0; i < kLargeFileTrades; ++i) {
    std::string symbol = "GEN" + std::to_string(i % 500);
    text += "03/02/2009 10:00:00,03/05/2009 00:00:00,Buy,10," + symbol + "," + symbol + " INC,2.50,1,0,0,0,0,0,26," +
            "Main,G" + std::to_string(i) + ",,1\n";
  }
  return text;
}

class ImportKillTest : public testing::Test {
 protected:
  void SetUp() override {
    if (TempDatabase::OnServer()) {
      // The same runs against a fresh database on the test server.
      TempDatabase probe;  // skips, or fails in CI, without a server
      if (!probe.connected()) return;
      server_ = std::make_unique<mariadb_test::ScratchDatabase>();
      ASSERT_TRUE(server_->ok()) << server_->error();
      db_ = server_->url();
    }
    large_ = dir_.Write("large.csv", LargeNativeFile());
    // A committed import first, so that "as before" is not just "empty".
    ASSERT_EQ(Import(VO_SAMPLES_DIR "/native.csv", "Main").Wait(seconds(30)), 0);
  }

  VoProcess Import(const std::string& file, const std::string& account,
                   const std::vector<std::string>& env = {}) {
    return VoProcess({"--db", db_, "import", file, "--account-id", "1", "--account-name", account,
                      "--log-dir", dir_.path()},
                     dir_.path() + account + ".out", env);
  }

  long StoredTrades() {
    return std::stol("0" + StoredState(db_).Rows("SELECT count(*) FROM trans_table"));
  }

  TempDir dir_;
  std::unique_ptr<mariadb_test::ScratchDatabase> server_;
  std::string db_ = dir_.path() + "vo.sqlite3";
  std::string large_;
};

TEST_F(ImportKillTest, KillInTheWritePhaseLeavesTheDatabaseAsItWas) {
  std::string before = StoredState(db_).Everything();
  long tradesBefore = StoredTrades();
  {
    VoProcess victim = Import(large_, "Victim", {"VO_IMPORT_WRITE_PAUSE_MS=60000"});
    ASSERT_TRUE(victim.WaitForOutput(kPausedLine, seconds(60))) << victim.output();
    EXPECT_EQ(StoredTrades(), tradesBefore);  // a reader sees nothing before the commit
    victim.Kill();
  }
  StoredState after(db_);
  EXPECT_EQ(after.IntegrityCheck(), "ok\n");
  EXPECT_EQ(after.Everything(), before);

  // The killed writer left no lock behind: the same file imports in full.
  VoProcess again = Import(large_, "Again");
  EXPECT_EQ(again.Wait(seconds(60)), 0) << again.output();
  EXPECT_EQ(StoredTrades(), tradesBefore + kLargeFileTrades);
}

// A number the parser cannot convert ends vo with status 3 and stores nothing.
TEST_F(ImportKillTest, ConversionErrorExitsThreeAndStoresNothing) {
  std::string before = StoredState(db_).Everything();
  std::string bad = dir_.Write("bad.csv", kNativeHeader + "\n1/2/2009,1/5/2009,Buy Call,1,X,"
                                                          "1 MSFT JAN-XX $25 CALL,1,,,,,,,1,Main,,,\n");
  VoProcess run = Import(bad, "Bad");
  EXPECT_EQ(run.Wait(seconds(30)), 3) << run.output();
  EXPECT_EQ(StoredState(db_).Everything(), before);
}

// The second writer waits for the first one's transaction; both land whole.
TEST_F(ImportKillTest, TwoImportsAtOnceBothLandWhole) {
  long before = StoredTrades();
  VoProcess first = Import(large_, "First");
  VoProcess second = Import(large_, "Second");
  EXPECT_EQ(first.Wait(seconds(60)), 0) << first.output();
  EXPECT_EQ(second.Wait(seconds(60)), 0) << second.output();

  StoredState after(db_);
  EXPECT_EQ(after.IntegrityCheck(), "ok\n");
  EXPECT_EQ(StoredTrades(), before + 2 * kLargeFileTrades);
  // Each run's symbols are inserted once, whichever run came first.
  EXPECT_EQ(after.Rows("SELECT count(*), count(DISTINCT sym_name) FROM sym_table WHERE sym_name LIKE 'GEN%'"),
            "500|500\n");
}

}  // namespace
