// Imports that do not end normally, run through the vo host as separate
// processes: one killed in the middle of its write phase, two racing for the
// same database file, and ones that fill the disk.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/Backends.h"
#include "support/StoredState.h"
#ifdef VO_WITH_MARIADB
#include "ServerProxy.h"
#endif
#include "VoProcess.h"
#include "support/ImportRun.h"
#include "support/TempDatabase.h"
#include "support/TempDir.h"

using namespace vo;

namespace {

using std::chrono::seconds;

constexpr int kLargeFileTrades = 20000;
constexpr char kPausedLine[] = "Import write phase paused after 10000 of 20000 transactions";

// The environment of a vo run that fails when its server connection is closed
// after the client library has ended.
std::vector<std::string> ExitOrderCheck() {
#ifdef VO_CLIENT_ORDER_CHECK
  return {"LD_PRELOAD=" VO_CLIENT_ORDER_CHECK};
#else
  return {};
#endif
}

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

class ImportKillTest : public BackendTest {
 protected:
  void SetUp() override {
#ifdef VO_WITH_MARIADB
    if (GetParam() == Backend::kMariaDb) {
      // The same runs against a fresh database on the test server.
      server_ = std::make_unique<mariadb_test::ScratchDatabase>();
      ASSERT_TRUE(server_->ok()) << server_->error();
      db_ = server_->url();
    }
#endif
    large_ = dir_.Write("large.csv", LargeNativeFile());
    // A committed import first, so that "as before" is not just "empty".
    ASSERT_EQ(Import(VO_SAMPLES_DIR "/native.csv", "Main", ExitOrderCheck()).Wait(seconds(30)), 0);
  }

  VoProcess Import(const std::string& file, const std::string& account,
                   const std::vector<std::string>& env = {}, const std::string& option = "") {
    std::vector<std::string> args = ImportArgs(db_, file, account);
    if (!option.empty()) args.push_back(option);
    return VoProcess(args, dir_.path() + account + ".out", env);
  }
  // vo's arguments for importing `file` into `db` for account 1, logs in `logs` (default the test's folder).
  std::vector<std::string> ImportArgs(const std::string& db, const std::string& file, const std::string& account,
                                      const std::string& logs = "") {
    return {"--db", db, "import", file, "--account-id", "1", "--account-name", account,
            "--log-dir", logs.empty() ? dir_.path() : logs};
  }

  long StoredTrades() {
    return std::stol("0" + StoredState(db_).Rows("SELECT count(*) FROM trans_table"));
  }

  TempDir dir_;
#ifdef VO_WITH_MARIADB
  std::unique_ptr<mariadb_test::ScratchDatabase> server_;
#endif
  std::string db_ = dir_.path() + "vo.sqlite3";
  std::string large_;
};
INSTANTIATE_TEST_SUITE_P(, ImportKillTest, BothBackends(), BackendName);

// The runs that need an SQLite file on a file system of their own, and those
// that need a server.
class ImportKillFileTest : public ImportKillTest {};
INSTANTIATE_TEST_SUITE_P(, ImportKillFileTest, testing::Values(Backend::kSqlite), BackendName);
#ifdef VO_WITH_MARIADB
class ImportKillServerTest : public ImportKillTest {};
INSTANTIATE_TEST_SUITE_P(, ImportKillServerTest, testing::Values(Backend::kMariaDb), BackendName);
#endif

TEST_P(ImportKillTest, KillInTheWritePhaseLeavesTheDatabaseAsItWas) {
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

// The second writer waits for the first one's transaction; both land whole.
// With --once the file lands once, and the other import, which had found no
// earlier run before it waited, is refused, naming the run that stored it.
TEST_P(ImportKillTest, TwoImportsAtOnceBothLandWhole) {
  long before = StoredTrades();
  VoProcess firstOnce = Import(large_, "FirstOnce", {}, "--once");
  VoProcess secondOnce = Import(large_, "SecondOnce", {}, "--once");
  const int statuses[] = {firstOnce.Wait(seconds(60)), secondOnce.Wait(seconds(60))};
  EXPECT_EQ(statuses[0] + statuses[1], 1) << firstOnce.output() << secondOnce.output();
  const std::string refused = statuses[0] == 1 ? firstOnce.output() : secondOnce.output();
  const std::string run = StoredState(db_).Rows("SELECT max(run_id) FROM import_run WHERE run_result = 'imported'");
  EXPECT_NE(refused.find("already imported by run " + run.substr(0, run.size() - 1)), std::string::npos) << refused;
  EXPECT_EQ(StoredTrades(), before + kLargeFileTrades);

  VoProcess first = Import(large_, "First");
  VoProcess second = Import(large_, "Second");
  EXPECT_EQ(first.Wait(seconds(60)), 0) << first.output();
  EXPECT_EQ(second.Wait(seconds(60)), 0) << second.output();

  StoredState after(db_);
  EXPECT_EQ(after.IntegrityCheck(), "ok\n");
  EXPECT_EQ(StoredTrades(), before + 3 * kLargeFileTrades);
  // Each run's symbols are inserted once, whichever run came first.
  EXPECT_EQ(after.Rows("SELECT count(*), count(DISTINCT sym_name) FROM sym_table WHERE sym_name LIKE 'GEN%'"),
            "500|500\n");
}

// Another connection on the server holds what the import needs. A row lock it
// keeps past the import's lock wait fails the import with the server's reason;
// a deadlock, which the server ends by rolling the import's transaction back,
// makes the import write again from the start. Neither leaves a row behind
// that no imported run owns.
#ifdef VO_WITH_MARIADB
TEST_P(ImportKillServerTest, ServerErrorsInTheWritePhaseLeaveNoRowBehind) {
  StoredState state(db_);
  mariadb_test::Connection other(db_);
  auto owned = [&] {
    return state.Rows("SELECT count(*) - (SELECT count(*) FROM trans_table t JOIN import_run_trans l ON "
                      "l.trans_id = t.trans_id JOIN import_run r ON r.run_id = l.run_id WHERE "
                      "r.run_result = 'imported') FROM trans_table");
  };
  const std::string before = state.Everything();
  const long tradesBefore = StoredTrades();
  ASSERT_EQ(owned(), "0\n");

  const std::string appending = "SELECT trans_id FROM trans_table WHERE trans_id > 1000000000 FOR UPDATE";
  ASSERT_TRUE(other.Run("START TRANSACTION"));
  ASSERT_TRUE(other.Run(appending));
  VoProcess waited(ImportArgs(db_ + "&lock-wait=2", large_, "Waited"), dir_.path() + "waited.out");
  EXPECT_EQ(waited.Wait(seconds(60)), 1) << waited.output();
  EXPECT_NE(waited.output().find("Lock wait timeout exceeded"), std::string::npos) << waited.output();
  ASSERT_TRUE(other.Run("ROLLBACK"));
  EXPECT_EQ(state.Everything(), before);
  // The failed run is recorded with nothing counted as stored.
  EXPECT_EQ(state.Rows("SELECT trans_stored, sym_added FROM import_run WHERE run_result LIKE 'failed%'"), "0|0\n");

  // The import waits for the other connection to append its transactions,
  // and that connection has written more than the import, so that the server
  // picks the import's transaction to roll back once the other connection
  // waits for the import's writer lock.
  ASSERT_TRUE(other.Run("START TRANSACTION"));
  ASSERT_TRUE(other.Run("INSERT INTO trans_table (acct_id) SELECT 'other' FROM seq_1_to_5000"));
  ASSERT_TRUE(other.Run(appending));
  VoProcess retried = Import(large_, "Retried");
  mariadb_test::Connection watcher(db_);
  for (auto end = VoProcess::Clock::now() + seconds(30);
       watcher.Rows("SELECT count(*) FROM information_schema.processlist WHERE info LIKE 'INSERT INTO trans_table%' "
                    "AND time_ms > 300") != "1\n";
       std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
    ASSERT_LT(VoProcess::Clock::now(), end) << retried.output();
  }
  EXPECT_TRUE(other.Run("SELECT application FROM vo_database FOR UPDATE"));
  ASSERT_TRUE(other.Run("ROLLBACK"));
  EXPECT_EQ(retried.Wait(seconds(60)), 0) << retried.output();
  EXPECT_NE(retried.output().find("2 attempts"), std::string::npos) << retried.output();
  EXPECT_EQ(StoredTrades(), tradesBefore + kLargeFileTrades);
  EXPECT_EQ(owned(), "0\n");
}

// The connection to the server breaks in the write phase (through a proxy
// that stalls or cuts it at a chosen query). A stalled server ends the import
// at the timeout, with the reason and nothing stored. A commit whose answer is
// lost is looked up on a new connection and reported stored or not stored, or
// of unknown outcome, naming the run, when the server cannot be asked.
TEST_P(ImportKillServerTest, LostConnectionsSayWhatWasStored) {
  using Fault = ServerProxy::Fault;
  const size_t socketAt = db_.find("socket=") + 7;
  const std::string proxySocket = dir_.path() + "proxy.sock";
  const std::string proxied = db_.substr(0, socketAt) + proxySocket + "&timeout=2";
  const struct {
    const char* account;
    const char* trigger;
    Fault fault;
    int status;
    const char* says;
    long stored;
  } cases[] = {
      {"Stalled", "INSERT INTO trans_table", Fault::kStall, 1, "went away", 0},
      {"Unanswered", "COMMIT", Fault::kStall, 1, "outcome unknown; look for run ", 0},
      {"Dropped", "COMMIT", Fault::kDrop, 1, " was not stored, nothing of this file was stored", 0},
      {"Answered", "COMMIT", Fault::kDropAnswer, 0, " was found stored", kLargeFileTrades},
  };
  StoredState state(db_);
  for (const auto& c : cases) {
    const long before = StoredTrades();
    ServerProxy proxy(db_.substr(socketAt), proxySocket, c.trigger, c.fault);
    ASSERT_EQ(proxy.error(), "");
    VoProcess run(ImportArgs(proxied, large_, c.account), dir_.path() + c.account + ".out");
    EXPECT_EQ(run.Wait(seconds(60)), c.status) << c.account << run.output();
    EXPECT_TRUE(proxy.broken()) << c.account;
    proxy.Release();
    // What vo said, and its log (named on its first line).
    const std::string said = run.output() + ReadFile(run.output().substr(0, run.output().find('\n')));
    EXPECT_NE(said.find(c.says), std::string::npos) << c.account << said;
    EXPECT_EQ(StoredTrades(), before + c.stored) << c.account;
  }
  EXPECT_EQ(state.Rows("SELECT count(*) FROM trans_table t LEFT JOIN import_run_trans l ON l.trans_id = "
                       "t.trans_id WHERE l.trans_id IS NULL"),
            "0\n");
}
#endif

// The undo of a run runs in one transaction: killed before its commit it is
// not done at all, and it can be run again.
TEST_P(ImportKillTest, KillDuringAnUndoLeavesItNotDone) {
  StoredState state(db_);
  auto everything = [&] {
    return state.Everything() + state.Rows("SELECT * FROM import_run ORDER BY run_id") +
           state.Rows("SELECT * FROM import_run_trans ORDER BY trans_id") +
           state.Rows("SELECT * FROM import_run_sym ORDER BY link_id");
  };
  std::string before = everything();
  ASSERT_EQ(state.Rows("SELECT run_id, run_result FROM import_run"), "1|imported\n");
  {
    VoProcess victim({"--db", db_, "undo", "1"}, dir_.path() + "undo.out", {"VO_UNDO_PAUSE_MS=60000"});
    ASSERT_TRUE(victim.WaitForOutput("Undo paused before its commit", seconds(60))) << victim.output();
    victim.Kill();
  }
  EXPECT_EQ(state.IntegrityCheck(), "ok\n");
  EXPECT_EQ(everything(), before);

  VoProcess again({"--db", db_, "undo", "1"}, dir_.path() + "again.out");
  EXPECT_EQ(again.Wait(seconds(30)), 0) << again.output();
  EXPECT_EQ(StoredTrades(), 0);
  EXPECT_EQ(state.Rows("SELECT run_result FROM import_run"), "undone\n");
}

// Where a database can run out of room for real: a small tmpfs mounted in a
// mount namespace of the test process's own (nothing stays mounted should the
// test die) when the test may mount one; otherwise a plain folder, and vo runs
// under a file-size limit instead.
class ScratchDisk {
 public:
  explicit ScratchDisk(const std::string& folder) : folder_(folder) {
    std::filesystem::create_directory(folder_);
    mounted_ = unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=64m") == 0;
  }
  ~ScratchDisk() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
  }
  ScratchDisk(const ScratchDisk&) = delete;
  ScratchDisk& operator=(const ScratchDisk&) = delete;

  bool mounted() const { return mounted_; }
  std::string path() const { return folder_ + "/"; }

  // Leaves about `bytes` for vo to write: on the tmpfs a filler file takes the
  // rest (and -1 is returned); otherwise the file-size limit to run vo with.
  long long LeaveFree(long long bytes) {
    if (!mounted_) return bytes;
    struct statvfs disk {};
    statvfs(folder_.c_str(), &disk);
    long long fill = static_cast<long long>(disk.f_bavail * disk.f_frsize) - bytes;
    std::ofstream filler(path() + "filler", std::ios::binary);
    const std::string block(1 << 16, '\0');
    for (; fill > 0; fill -= static_cast<long long>(block.size())) {
      filler.write(block.data(), static_cast<std::streamsize>(std::min<long long>(fill, block.size())));
    }
    return -1;
  }
  void Release() { std::filesystem::remove(path() + "filler"); }
  // No file can be made or changed in the folder any more.
  void MakeFolderReadOnly() {
    if (mounted_) {
      mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
    } else {
      std::filesystem::permissions(folder_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    }
  }
  // No more writes to the file, as with mode 444 for a user who is not root;
  // its folder stays writable.
  void MakeReadOnly(const std::string& file) {
    if (mounted_) {
      mount(file.c_str(), file.c_str(), nullptr, MS_BIND, nullptr);
      mount(nullptr, file.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
    } else {
      std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    }
  }

 private:
  std::string folder_;
  bool mounted_ = false;
};

// The disk fills during the write phase: at the first pages the import
// writes, half way through, or at the commit (all pages held until then).
// Whenever it happens, the import fails with the database's reason, exit 1,
// and the ledger is exactly as it was.
TEST_P(ImportKillFileTest, FullDiskLeavesTheDatabaseAsItWas) {
  // How much one import of the large file adds to the database.
  const std::string measured = dir_.path() + "measured.sqlite3";
  std::filesystem::copy_file(db_, measured);
  const auto sizeBefore = static_cast<long long>(std::filesystem::file_size(measured));
  ASSERT_EQ(VoProcess(ImportArgs(measured, large_, "Measure"), dir_.path() + "measure.out").Wait(seconds(60)), 0);
  const long long needed = static_cast<long long>(std::filesystem::file_size(measured)) - sizeBefore;
  ASSERT_GT(needed, 1 << 20);

  ScratchDisk disk(dir_.path() + "disk");
  const std::string reason = disk.mounted() ? "database or disk is full" : "disk I/O error";
  const std::string smallCache = "VO_DB_CACHE_KB=512";
  struct Case {
    std::string name;
    std::string cache;
    long long free;
    std::string fatal;
  } cases[] = {
      {"First", smallCache, 48 << 10, "Failed to write to VO DB, nothing of this file was stored: "},
      {"Middle", smallCache, needed / 2, "Failed to write to VO DB, nothing of this file was stored: "},
      {"Commit", "VO_DB_CACHE_KB=0", needed / 2, "Failed to commit the import to VO DB: "},
  };
  const std::string before = StoredState(db_).Everything();
  const char kRuns[] = "SELECT trans_stored, substr(run_result, 1, 8) FROM import_run ORDER BY run_id";
  const std::string runsBefore = StoredState(db_).Rows(kRuns);
  for (const Case& c : cases) {
    const std::string db = disk.path() + c.name + ".sqlite3";
    std::filesystem::copy_file(db_, db);
    long long limit = disk.LeaveFree(c.free);
    VoProcess run(ImportArgs(db, large_, c.name), dir_.path() + c.name + ".out", {c.cache}, limit);
    EXPECT_EQ(run.Wait(seconds(60)), 1) << c.name << run.output();
    disk.Release();

    // vo's first line names the run log.
    std::string log = ReadFile(run.output().substr(0, run.output().find('\n')));
    std::string fatalLine = LogLines(log, "Fatal");
    fatalLine.resize(fatalLine.find('\n') == std::string::npos ? 0 : fatalLine.find('\n'));  // the first
    EXPECT_TRUE(fatalLine.starts_with(c.fatal)) << c.name << ": " << fatalLine;
    EXPECT_NE(fatalLine.find(reason), std::string::npos) << c.name << ": " << fatalLine;
    EXPECT_NE(log.find("File Import FAILED"), std::string::npos) << c.name;

    StoredState after(db);
    EXPECT_EQ(after.IntegrityCheck(), "ok\n") << c.name;
    EXPECT_EQ(after.Everything(), before) << c.name;
    // The run history keeps the attempt, with nothing counted as stored,
    // when the disk has room left for that one record.
    const std::string runs = after.Rows(kRuns);
    EXPECT_TRUE(runs == runsBefore || runs == runsBefore + "0|failed: \n") << c.name << ": " << runs;
  }

  // The log folder is full, the database not: the import is stored, and vo
  // says the run log lacks lines instead of leaving an empty log unmentioned.
  if (disk.mounted()) {
    disk.LeaveFree(0);
    VoProcess run(ImportArgs(db_, large_, "FullLog", disk.path()), dir_.path() + "fulllog.out");
    EXPECT_EQ(run.Wait(seconds(60)), 0) << run.output();
    EXPECT_NE(run.output().find("lacks lines: No space left on device"), std::string::npos) << run.output();
    disk.Release();
  }
}

// A database that cannot be written fails the import at its start, saying
// why, and reads as it is, in a read-only folder too; reading leaves no file
// beside a database in a writable folder. An in-memory database, which would
// keep nothing, is refused.
TEST_P(ImportKillFileTest, UnwritableDatabaseRefusesImportsAndStillReads) {
  ScratchDisk disk(dir_.path() + "disk");
  const std::string db = disk.path() + "vo.sqlite3";
  std::filesystem::copy_file(db_, db);
  disk.MakeReadOnly(db);
  VoProcess run(ImportArgs(db, VO_SAMPLES_DIR "/native.csv", "ReadOnly"), dir_.path() + "readonly.out");
  EXPECT_EQ(run.Wait(seconds(30)), 1) << run.output();
  std::string log = ReadFile(run.output().substr(0, run.output().find('\n')));
  EXPECT_EQ(LogLines(log, "Fatal"), "Failed voDao.init in VoServices::ImportPensonTrans2008.\nUnable to open VO DB: " + db +
                                        ": the database file cannot be written (a read-only file, folder or disk)\n")
      << log;
  EXPECT_NE(log.find("File Import FAILED"), std::string::npos) << log;

  auto reads = [&](const std::string& file) {
    for (auto [command, seen] : {std::pair{"show", "Buy"}, std::pair{"runs", "imported"}}) {
      VoProcess read({"--db", file, command}, dir_.path() + "read.out");
      EXPECT_EQ(read.Wait(seconds(30)), 0) << command << ": " << read.output();
      EXPECT_NE(read.output().find(seen), std::string::npos) << command << ": " << read.output();
    }
  };
  std::filesystem::remove(db + "-shm");  // from the refused import, which opened the file to read
  std::filesystem::remove(db + "-wal");
  reads(db);
  disk.MakeFolderReadOnly();
  reads(db);
  reads(db_);
  EXPECT_FALSE(std::filesystem::exists(db_ + "-wal") || std::filesystem::exists(db_ + "-shm"));

  VoProcess memory({"--db", ":memory:", "show"}, dir_.path() + "memory.out");
  EXPECT_EQ(memory.Wait(seconds(30)), 2);
  EXPECT_NE(memory.output().find("an in-memory database keeps nothing"), std::string::npos) << memory.output();
}

// Local time as the run log's stamp, `ahead` seconds from now.
std::string LogStampIn(int ahead) {
  std::time_t when = std::time(nullptr) + ahead;
  std::tm local{};
  localtime_r(&when, &local);
  char text[32];
  return std::string(text, std::strftime(text, sizeof text, "%Y%m%d_%H%M%S", &local));
}

// The run log lands inside the log folder whatever the account name, never
// replaces a file or follows a link at its name, and vo says so on stderr,
// with the import's own exit status, when no log could be written.
TEST_P(ImportKillTest, RunLogStaysInItsFolderAndHarmsNoFile) {
  const std::string logs = dir_.path() + "logs/";
  std::filesystem::create_directory(logs);
  std::string outside = dir_.Write("precious.txt", "precious");
  std::vector<std::string> taken;
  for (int ahead = 0; ahead < 3; ++ahead) {
    std::filesystem::create_symlink(outside, logs + "Linked-" + LogStampIn(ahead) + ".log");
    taken.push_back(logs + "Taken-" + LogStampIn(ahead) + ".log");
    std::ofstream(taken.back()) << "an earlier log";
  }
  const std::string sample = VO_SAMPLES_DIR "/native.csv";
  const std::string longName(300, 'n');
  const std::pair<std::string, std::string> cases[] = {
      {"../outside/x", ".._outside_x-"}, {"/abs", "_abs-"},   {"a/b", "a_b-"},
      {"Linked", "Linked-"},             {"Taken", "Taken-"}, {"a\nFileImporter0099\tforged", "a_FileImporter0099_forged-"},
      {longName, longName.substr(0, 200)},
  };
  for (const auto& [account, prefix] : cases) {
    VoProcess run(ImportArgs(db_, sample, account, logs), dir_.path() + "run.out");
    EXPECT_EQ(run.Wait(seconds(30)), 0) << prefix << run.output();
    std::string path = run.output().substr(0, run.output().find('\n'));
    EXPECT_EQ(std::filesystem::path(path).parent_path(), std::filesystem::path(logs).parent_path()) << path;
    std::string name = std::filesystem::path(path).filename().string();
    EXPECT_TRUE(name.starts_with(prefix)) << name;
    EXPECT_LE(name.size(), 255u);
    std::string log = ReadFile(path);
    EXPECT_NE(log.find("File Import SUCCESSFUL"), std::string::npos) << name;
    EXPECT_EQ(log.find("\nFileImporter0099"), std::string::npos) << log;
  }
  EXPECT_EQ(ReadFile(outside), "precious");
  for (const std::string& file : taken) EXPECT_EQ(ReadFile(file), "an earlier log");
  EXPECT_FALSE(std::filesystem::exists(dir_.path() + "outside"));

  VoProcess unlogged(ImportArgs(db_, sample, "Main", dir_.path() + "no/such/folder"), dir_.path() + "unlogged.out");
  EXPECT_EQ(unlogged.Wait(seconds(30)), 0);
  EXPECT_NE(unlogged.output().find("vo: no run log was written: " + dir_.path() + "no/such/folder/Main-"),
            std::string::npos)
      << unlogged.output();
}

}  // namespace
