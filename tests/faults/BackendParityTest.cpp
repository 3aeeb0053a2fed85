// The two backends side by side: every sample imported into an SQLite file
// and into a MariaDB database, then every table read back through `vo show`.
// What a user sees must not depend on where the ledger is kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "VoProcess.h"
#include "support/Backends.h"
#include "support/MariaDbServer.h"
#include "support/TempDir.h"

using namespace vo;

namespace {

using std::chrono::seconds;

// Needs the server: its one instance is the mariadb one.
class BackendParityTest : public BackendTest {};
INSTANTIATE_TEST_SUITE_P(, BackendParityTest, testing::Values(Backend::kMariaDb), BackendName);

TEST_P(BackendParityTest, EverySampleReadsBackTheSameOnBothBackends) {
  mariadb_test::ScratchDatabase server;
  ASSERT_TRUE(server.ok()) << server.error();
  TempDir dir;
  const std::vector<std::string> databases{dir.path() + "vo.sqlite3", server.url()};

  std::vector<std::string> samples;
  for (const auto& entry : std::filesystem::directory_iterator(VO_SAMPLES_DIR)) {
    if (entry.path().extension() == ".csv") samples.push_back(entry.path());
  }
  std::sort(samples.begin(), samples.end());
  ASSERT_GE(samples.size(), 9u);

  auto run = [&](const std::vector<std::string>& args) {
    VoProcess vo(args, dir.path() + "vo.out");
    int status = vo.Wait(seconds(60));
    return std::make_pair(status, vo.output());
  };
  for (const std::string& sample : samples) {
    for (const std::string& db : databases) {
      auto [status, output] = run({"--db", db, "import", sample, "--account-id", "7",
                                   "--account-name", "Parity", "--log-dir", dir.path()});
      EXPECT_EQ(status, 0) << db << " " << sample << "\n" << output;
    }
  }
  for (const char* table : {"trans_table", "sym_table", "trans_dup_table"}) {
    auto [fileStatus, fromFile] = run({"--db", databases[0], "show", "--table", table});
    auto [serverStatus, fromServer] = run({"--db", databases[1], "show", "--table", table});
    EXPECT_EQ(fileStatus, 0) << fromFile;
    EXPECT_EQ(serverStatus, 0) << fromServer;
    EXPECT_EQ(fromServer, fromFile) << table;
  }
  auto [status, transactions] = run({"--db", databases[1], "show", "--format", "csv"});
  EXPECT_GT(std::count(transactions.begin(), transactions.end(), '\n'), 80) << transactions;
}

}  // namespace
