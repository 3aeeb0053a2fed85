// vo against a three-node Galera cluster on loopback, started once for the
// group (tools/mariadb-galera-test.sh): imports through different nodes at
// once, --once on two nodes, an undo from another node, and a node killed in
// the middle of a write and of a commit. After each case every stored
// transaction belongs to an imported run and every live node holds the same rows.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "faults/ServerProxy.h"
#include "faults/VoProcess.h"
#include "support/ImportRun.h"
#include "support/MariaDbServer.h"
#include "support/TempDir.h"

namespace {

using std::chrono::seconds;

constexpr char kScript[] = VO_SOURCE_DIR "/tools/mariadb-galera-test.sh";
constexpr int kNodes = 3;

using mariadb_test::Exported;
using mariadb_test::Shell;

// The cluster of the group, its nodes' URLs (database "vo_test") in order.
class Cluster : public testing::Environment {
 public:
  static Cluster* instance;

  void SetUp() override {
    const char* ci = std::getenv("CI");
    if (!std::filesystem::exists("/usr/lib/galera/libgalera_smm.so") && !(ci && std::string(ci) == "true")) {
      GTEST_SKIP() << "galera-4 is not installed (tools/install-deps.sh installs it)";
    }
    const std::string output = Shell(std::string("bash ") + kScript + " start");
    dir_ = Exported(output, "VO_TEST_GALERA_DIR");
    const std::string urls = Exported(output, "VO_TEST_GALERA");
    for (size_t from = 0; from < urls.size();) {
      size_t space = urls.find(' ', from);
      urls_.push_back(urls.substr(from, space - from));
      from = space == std::string::npos ? urls.size() : space + 1;
    }
    ASSERT_EQ(urls_.size(), static_cast<size_t>(kNodes)) << "the cluster did not start:\n" << output;
  }
  void TearDown() override {
    if (!dir_.empty()) Shell(std::string("bash ") + kScript + " stop " + dir_);
  }

  bool ready() const { return urls_.size() == static_cast<size_t>(kNodes); }
  // Node n's URL (1 to 3) for the database.
  std::string Url(int node, const std::string& database) const {
    std::string url = urls_.at(static_cast<size_t>(node - 1));
    const size_t slash = url.find("/vo_test");
    return url.substr(0, slash + 1) + database + url.substr(slash + 8);
  }
  std::string Socket(int node) const {
    const std::string& url = urls_.at(static_cast<size_t>(node - 1));
    return url.substr(url.find("socket=") + 7);
  }
  void Kill(int node) const { Shell(std::string("bash ") + kScript + " kill " + dir_ + " " + std::to_string(node)); }
  void Rejoin(int node) const {
    Shell(std::string("bash ") + kScript + " rejoin " + dir_ + " " + std::to_string(node));
  }

 private:
  std::string dir_;
  std::vector<std::string> urls_;
};

Cluster* Cluster::instance = nullptr;

// A native file of `rows` buys for account `account`: each row its own
// symbol among `symbols` of the file's own, and every tenth one of five
// symbols that files share (new to the database the first time).
std::string NativeFile(const std::string& tag, int rows, int symbols) {
  std::string text = kNativeHeader + "\n";
  for (int i = 0; i < rows; ++i) {
    const std::string symbol = i % 10 == 0 ? "SHARED" + std::to_string(i / 10 % 5) : tag + std::to_string(i % symbols);
    text += "03/02/2009 10:00:00,03/05/2009 00:00:00,Buy,10," + symbol + "," + symbol + " INC,2.50,1,0,0,0,0,0,26,Main," +
            tag + std::to_string(i) + ",,1\n";
  }
  return text;
}

class GaleraClusterTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cluster().ready());
    static int counter = 0;
    database_ = "galera_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    mariadb_test::Connection server(cluster().Url(1, "vo_test"), false);
    ASSERT_TRUE(server.ok()) << server.error();
    ASSERT_TRUE(server.Run("CREATE DATABASE " + database_ + " CHARACTER SET utf8mb4"));
  }
  void TearDown() override {
    if (cluster().ready()) {
      mariadb_test::Connection(cluster().Url(1, "vo_test"), false).Run("DROP DATABASE IF EXISTS " + database_);
    }
  }

  static const Cluster& cluster() { return *Cluster::instance; }
  std::string Url(int node) const { return cluster().Url(node, database_); }

  std::vector<std::string> ImportArgs(const std::string& url, const std::string& file, const std::string& account,
                                      const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args{"--db", url, "import", file, "--account-id", account,
                                  "--account-name", "A" + account, "--log-dir", dir_.path()};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
  std::string Output() { return dir_.path() + "vo" + std::to_string(++runs_) + ".out"; }
  VoProcess Import(const std::string& url, const std::string& file, const std::string& account,
                   const std::vector<std::string>& extra = {}, const std::vector<std::string>& env = {}) {
    return VoProcess(ImportArgs(url, file, account, extra), Output(), env);
  }
  // The tables made through node 1 before anything else.
  void MakeTables() {
    ASSERT_EQ(Import(Url(1), dir_.Write("schema.csv", NativeFile("S", 1, 1)), "9").Wait(seconds(60)), 0);
  }

  // Every row of the tables imports and undos write, as node n holds them.
  std::string Tables(int node) {
    mariadb_test::Connection connection(Url(node));
    connection.Run("SET SESSION wsrep_sync_wait = 1");
    std::string text;
    for (const char* select :
         {"SELECT * FROM trans_table ORDER BY trans_id", "SELECT * FROM sym_table ORDER BY sym_name",
          "SELECT * FROM import_run ORDER BY run_id", "SELECT * FROM import_run_trans ORDER BY trans_id",
          "SELECT * FROM import_run_sym ORDER BY link_id", "SELECT * FROM import_claim ORDER BY claim_key"}) {
      text += std::string(select) + "\n" + connection.Rows(select);
    }
    return text;
  }
  // The transactions no imported run owns, as node n holds them.
  std::string Unowned(int node) {
    mariadb_test::Connection connection(Url(node));
    connection.Run("SET SESSION wsrep_sync_wait = 1");
    return connection.Rows("SELECT count(*) FROM trans_table t WHERE NOT EXISTS (SELECT 1 FROM import_run_trans l "
                           "JOIN import_run r ON r.run_id = l.run_id WHERE l.trans_id = t.trans_id AND "
                           "r.run_result = 'imported')");
  }
  std::string Count(int node, const std::string& select) {
    mariadb_test::Connection connection(Url(node));
    connection.Run("SET SESSION wsrep_sync_wait = 1");
    return connection.Rows(select);
  }
  // Every node named holds what the first holds, and no stray transaction.
  void ExpectNodesAlike(const std::vector<int>& nodes) {
    const std::string reference = Tables(nodes.front());
    for (int node : nodes) {
      EXPECT_EQ(Unowned(node), "0\n") << "node " << node;
      EXPECT_EQ(Tables(node), reference) << "node " << node;
    }
  }
  // The write attempts vo's outcome line reports (1 when it says nothing).
  static int Attempts(const std::string& output) {
    const size_t at = output.find("written in ");
    return at == std::string::npos ? 1 : std::atoi(output.c_str() + at + 11);
  }

  TempDir dir_;
  std::string database_;
  int runs_ = 0;
};

// Two nodes at once: into different accounts, then into one account from
// files sharing new symbols. Every import is stored whole, whatever had to be
// written again.
TEST_F(GaleraClusterTest, ImportsOnTwoNodesAtOnceAreAllStored) {
  MakeTables();
  for (const auto& [account1, account2] : {std::pair{"1", "2"}, std::pair{"3", "3"}}) {
    const std::string tag = std::string("T") + account1 + account2;
    VoProcess first = Import(Url(1), dir_.Write(tag + "a.csv", NativeFile(tag + "A", 2000, 100)), account1);
    VoProcess second = Import(Url(2), dir_.Write(tag + "b.csv", NativeFile(tag + "B", 2000, 100)), account2);
    EXPECT_EQ(first.Wait(seconds(120)), 0) << first.output();
    EXPECT_EQ(second.Wait(seconds(120)), 0) << second.output();
    std::printf("accounts %s and %s: written in %d and %d attempts\n", account1, account2, Attempts(first.output()),
                Attempts(second.output()));
  }
  EXPECT_EQ(Count(3, "SELECT count(*) FROM trans_table"), "8001\n");
  ExpectNodesAlike({1, 2, 3});
}

// The same file with --once through two nodes at once: stored once, and the
// other import is refused, naming the run that stored it.
TEST_F(GaleraClusterTest, OnceOnTwoNodesStoresTheFileOnce) {
  const std::string file = dir_.Write("once.csv", NativeFile("O", 2000, 100));
  MakeTables();
  VoProcess first = Import(Url(1), file, "1", {"--once"});
  VoProcess second = Import(Url(2), file, "1", {"--once"});
  const int statuses[] = {first.Wait(seconds(120)), second.Wait(seconds(120))};
  EXPECT_EQ(statuses[0] + statuses[1], 1) << first.output() << second.output();
  const std::string refused = statuses[0] == 1 ? first.output() : second.output();
  const std::string stored = Count(1, "SELECT run_id FROM import_run WHERE acct_id = '1' AND run_result = 'imported'");
  ASSERT_FALSE(stored.empty());
  EXPECT_NE(refused.find("already imported by run " + stored.substr(0, stored.size() - 1)), std::string::npos)
      << refused;
  EXPECT_EQ(Count(2, "SELECT count(*) FROM trans_table WHERE acct_id = '1'"), "2000\n");
  ExpectNodesAlike({1, 2, 3});
}

// A run imported through one node is undone through another.
TEST_F(GaleraClusterTest, UndoThroughAnotherNode) {
  VoProcess imported = Import(Url(1), dir_.Write("undo.csv", NativeFile("U", 500, 50)), "1");
  ASSERT_EQ(imported.Wait(seconds(60)), 0) << imported.output();
  const std::string run = Count(2, "SELECT run_id FROM import_run");  // a node's ids are its own
  VoProcess undo({"--db", Url(3), "undo", run.substr(0, run.size() - 1)}, Output());
  EXPECT_EQ(undo.Wait(seconds(60)), 0) << undo.output();
  EXPECT_EQ(Count(2, "SELECT count(*), (SELECT run_result FROM import_run) FROM trans_table"), "0|undone\n");
  ExpectNodesAlike({1, 2, 3});
}

// Eight imports into eight accounts at once, spread over the three nodes.
TEST_F(GaleraClusterTest, EightImportsOnThreeNodesAreAllStored) {
  MakeTables();
  std::vector<std::unique_ptr<VoProcess>> imports;
  for (int account = 1; account <= 8; ++account) {
    const std::string tag = "E" + std::to_string(account) + "_";
    imports.push_back(std::make_unique<VoProcess>(
        ImportArgs(Url(account % kNodes + 1), dir_.Write(tag + ".csv", NativeFile(tag, 1000, 50)), std::to_string(account)),
        Output()));
  }
  int attempts = 0;
  for (auto& import : imports) {
    EXPECT_EQ(import->Wait(seconds(180)), 0) << import->output();
    attempts += Attempts(import->output());
  }
  std::printf("eight imports on three nodes: %d write attempts\n", attempts);
  RecordProperty("write_attempts", attempts);
  EXPECT_EQ(Count(2, "SELECT count(*), count(DISTINCT acct_id) FROM trans_table WHERE acct_id <> '9'"), "8000|8\n");
  EXPECT_EQ(Count(3, "SELECT count(*) FROM import_run WHERE run_result = 'imported'"), "9\n");
  ExpectNodesAlike({1, 2, 3});
}

// Node 3 is killed just after it has answered an import's commit (the
// answer never reaches vo): the import, committed on the other nodes, is
// reported as of unknown outcome with its run to look up, and is there. The
// node then rejoins.
TEST_F(GaleraClusterTest, NodeKilledMidCommit) {
  MakeTables();
  const std::string proxySocket = dir_.path() + "node3.sock";
  ServerProxy proxy(cluster().Socket(3), proxySocket, "COMMIT", ServerProxy::Fault::kDropAnswer,
                    [] { Cluster::instance->Kill(3); });
  std::string proxied = Url(3);
  proxied = proxied.substr(0, proxied.find("socket=") + 7) + proxySocket + "&timeout=5";
  VoProcess committed = Import(proxied, dir_.Write("commit.csv", NativeFile("C", 500, 50)), "2");
  EXPECT_EQ(committed.Wait(seconds(120)), 1) << committed.output();
  EXPECT_TRUE(proxy.broken());
  const std::string run = Count(1, "SELECT run_id FROM import_run WHERE acct_id = '2' AND run_result = 'imported'");
  EXPECT_NE(committed.output().find("outcome unknown; look for run " + run.substr(0, run.size() - 1)),
            std::string::npos)
      << committed.output() << run;
  EXPECT_EQ(Count(1, "SELECT acct_id, count(*) FROM trans_table GROUP BY acct_id ORDER BY acct_id"), "2|500\n9|1\n");
  cluster().Rejoin(3);
  ExpectNodesAlike({1, 2, 3});
}

// Node 3 is killed while an import through it is half way through its
// writes: nothing of it is stored on the others. Last in the group: node 3
// stays down.
TEST_F(GaleraClusterTest, NodeKilledMidWrite) {
  MakeTables();
  VoProcess halfway = Import(Url(3), dir_.Write("half.csv", NativeFile("H", 2000, 100)), "1", {},
                             {"VO_IMPORT_WRITE_PAUSE_MS=3000"});
  ASSERT_TRUE(halfway.WaitForOutput("Import write phase paused", seconds(60))) << halfway.output();
  cluster().Kill(3);
  EXPECT_EQ(halfway.Wait(seconds(120)), 1) << halfway.output();
  EXPECT_NE(halfway.output().find("went away"), std::string::npos) << halfway.output();
  EXPECT_EQ(Count(1, "SELECT acct_id, count(*) FROM trans_table GROUP BY acct_id"), "9|1\n");
  ExpectNodesAlike({1, 2});
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  Cluster::instance = new Cluster;
  testing::AddGlobalTestEnvironment(Cluster::instance);  // owned by GoogleTest
  return RUN_ALL_TESTS();
}
