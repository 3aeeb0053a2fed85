// Times the real import (VoServices::ImportFile into a fresh database file) on
// generated files of each format and prints format, lines, seconds, lines/s,
// peak RSS and the rows stored. Each run is its own child process so that its
// peak RSS is its own. "seconds" is the whole child, start to exit: it takes in
// the write-ahead log checkpoint that the database runs when it closes, work
// that the import call itself leaves behind; "call s" is the call alone and
// "caller s" the CPU time of the thread that made it (what the call waits for
// when the machine has a core to spare for its second thread).
//   vo-bench-import [--format NAME ...] [--lines N ...] [--keep DIR]
//                   [--preload-lines N [--preload-account ID]] [--skip-duplicates]
//                   [--single-threaded]
//   defaults: every format at 100000 lines, then native at 10000 and 1000000.
// --preload-lines first imports (untimed) a generated native file of N lines
// into the database, for account 1 unless told; the timed import is always
// for account 1; with --skip-duplicates both runs skip duplicates. The native generator
// makes the first lines of a longer file equal to a shorter one's, so a
// native file imported into a preload of the same account is all duplicates.
// Every native run is followed by the reference loop on the same file (see
// RunReference), and the table gives the ratio of its seconds to the import's.
#include <sqlite3.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "BenchFiles.h"
#include "ChildProcess.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/Database.h"
#include "voservices/ImportOptions.h"
#include "voservices/VoServices.h"

using namespace vo;

namespace fs = std::filesystem;

namespace {

// The whole child process, and what it measured of itself.
struct RunResult : ChildProcess {
  double callSeconds = 0;  // ImportFile alone
  // CPU time of the calling thread during the call: the work the call waits
  // for, whatever else shares the machine.
  double callerCpuSeconds = 0;
  long long rows = -1;
  long long symbols = -1;
};

// A server database to import into instead of a fresh file (see --db).
constexpr char kServerVariable[] = "VO_BENCH_DB";

// The server database emptied before a run, or a table's rows counted after
// it, through the library's own connection; -1 when that fails.
long long OnServer(const std::string& url, const char* countTable) {
  Database::Destruct();
  setenv("VO_DB", url.c_str(), 1);
  bool created = false;
  Database* db = Database::Instance();
  long long rows = -1;
  if (db->init("vo_db", "", "", nullptr, 0, created)) {
    unsigned long id = 0;
    if (countTable) {
      DBQueryResult result;
      if (db->Query(id, std::string("SELECT count(*) FROM ") + countTable) &&
          db->GetQueryResult(id, result) && result.size() == 1) {
        rows = std::atoll(result[0][0].c_str());
      }
    } else {
      // TRUNCATE, not DELETE: the next run then starts as on a fresh file,
      // without the server still purging the last run's rows beside it.
      rows = db->Query(id, "SET FOREIGN_KEY_CHECKS = 0") ? 0 : -1;
      const auto& tables = DBSchemaDef::All();
      for (auto table = tables.rbegin(); table != tables.rend(); ++table) {
        if (!db->Query(id, "TRUNCATE TABLE " + table->tableName())) rows = -1;
      }
    }
  }
  Database::Destruct();
  unsetenv("VO_DB");
  return rows;
}

// CPU time of the calling thread so far.
double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The child: one import, its wall time and its thread's CPU time on standard output.
int RunOne(const std::string& file, const std::string& dir, const std::string& account,
           bool skipDuplicates, bool singleThreaded) {
  const char* server = std::getenv(kServerVariable);
  setenv("VO_DB", server && *server ? server : (fs::path(dir) / "vo_db.sqlite3").c_str(), 1);
  VoServices::ImportOptions options;
  options.skipDuplicates = skipDuplicates;
  options.singleThreaded = singleThreaded;
  auto start = std::chrono::steady_clock::now();
  double cpuStart = ThreadCpuSeconds();
  bool ok = VoServices::ImportFileWithOptions(file, dir + "/", account, "bench", options).imported;
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.6f %.6f\n", seconds, ThreadCpuSeconds() - cpuStart);
  return ok ? 0 : 1;
}

// Splits a comma-separated line into its fields (quotes enclose commas and
// are dropped); returns how many.
size_t SplitLine(const std::string& line, std::array<std::string, 30>& fields) {
  size_t count = 0;
  fields[0].clear();
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      if (++count == fields.size()) return count;
      fields[count].clear();
    } else {
      fields[count] += c;
    }
  }
  return count + 1;
}

// The reference loop: what the simplest single-threaded import of a native
// file costs. It reads the file line by line, splits each line and binds its
// fields as text to one prepared 30-column INSERT into trans_table, all in
// one transaction, in a database made by the library (so the same schema,
// page size and write-ahead log) on a connection with the library's settings.
int RunReference(const std::string& file, const std::string& dir) {
  const std::string path = (fs::path(dir) / "vo_db.sqlite3").string();
  setenv("VO_DB", path.c_str(), 1);
  bool created = false;
  if (!Database::Instance()->init("vo_db", "", "", nullptr, 0, created)) return 1;
  Database::Destruct();

  auto start = std::chrono::steady_clock::now();
  double cpuStart = ThreadCpuSeconds();
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, sqlite3_close);
  auto exec = [&](const char* sql) { return sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr) == SQLITE_OK; };
  if (rc != SQLITE_OK || !exec("PRAGMA synchronous = FULL") || !exec("PRAGMA cache_size = -65536")) return 1;
  std::string sql = "INSERT INTO trans_table VALUES (NULL";
  for (int column = 1; column < 30; ++column) sql += ",?";
  sql += ")";
  sqlite3_stmt* rawStatement = nullptr;
  if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &rawStatement, nullptr) != SQLITE_OK) return 1;
  std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> insert(rawStatement, sqlite3_finalize);
  // The trans_table column (1-based parameter = column index) of each native
  // column, in file order: dates, action, quantity, symbol, description (into
  // the user note), price, commission, fees, tax, basis adjustments, amount,
  // account, ID, note (the lot number), FX.
  constexpr std::array<int, 18> kColumn = {7, 8, 1, 4, 21, 14, 5, 6, 10, 11, 12, 27, 17, 13, 18, 15, 25, 28};

  std::ifstream in(file);
  std::string line;
  std::array<std::string, 30> fields;
  if (!std::getline(in, line) || !exec("BEGIN")) return 1;  // the header
  long long rows = 0;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    size_t count = SplitLine(line, fields);
    for (size_t i = 0; i < kColumn.size(); ++i) {
      int parameter = kColumn[i];
      if (i < count) {
        sqlite3_bind_text(insert.get(), parameter, fields[i].data(), static_cast<int>(fields[i].size()), SQLITE_STATIC);
      } else {
        sqlite3_bind_null(insert.get(), parameter);
      }
    }
    if (sqlite3_step(insert.get()) != SQLITE_DONE) return 1;
    sqlite3_reset(insert.get());
    ++rows;
  }
  if (!exec("COMMIT")) return 1;
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.6f %.6f\n", seconds, ThreadCpuSeconds() - cpuStart);
  return rows > 0 ? 0 : 1;
}

long long CountRows(const fs::path& database, const char* table) {
  sqlite3* db = nullptr;
  long long rows = -1;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    std::string sql = std::string("SELECT count(*) FROM ") + table;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      rows = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return rows;
}

// The child runs the import, or the reference loop when `reference`.
RunResult RunChild(const fs::path& file, const fs::path& dir, const std::string& account = "1",
                   bool skipDuplicates = false, bool reference = false, bool singleThreaded = false) {
  RunResult result;
  const char* server = std::getenv(kServerVariable);
  if (server && *server && OnServer(server, nullptr) != 0) return result;
  std::vector<std::string> args{"vo-bench-import", "--run-one", file.string(), "--dir",
                                dir.string(), "--account", account};
  if (skipDuplicates) args.push_back("--skip-duplicates");
  if (reference) args.push_back("--reference-loop");
  if (singleThreaded) args.push_back("--single-threaded");
  std::string output;
  result.Run("/proc/self/exe", std::move(args), [&](std::string_view piece) { output += piece; });
  std::sscanf(output.c_str(), "%lf %lf", &result.callSeconds, &result.callerCpuSeconds);
  if (server && *server) {
    result.rows = OnServer(server, "trans_table");
    result.symbols = OnServer(server, "sym_table");
  } else {
    result.rows = CountRows(dir / "vo_db.sqlite3", "trans_table");
    result.symbols = CountRows(dir / "vo_db.sqlite3", "sym_table");
  }
  return result;
}

void Print(const std::string& name, size_t lines, const RunResult& result, const char* failed) {
  std::printf("%-16s %9zu %9.3f %10.0f %7.0f MB %9.3f %9.3f %9.3f %9lld %9lld%s\n", name.c_str(),
              lines, result.seconds,
              result.seconds > 0 ? static_cast<double>(lines) / result.seconds : 0,
              static_cast<double>(result.peakRssKb) / 1024, result.cpuSeconds, result.callSeconds,
              result.callerCpuSeconds, result.rows, result.symbols, result.ok ? "" : failed);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Times VoServices::ImportFile on generated broker files."};
  std::vector<std::string> formats;
  std::vector<size_t> lineCounts;
  std::string keep;
  std::string runOne;
  std::string runDir;
  app.add_option("--format", formats, "formats to run (default: all)");
  app.add_option("--lines", lineCounts, "data lines per file (default: 100000)");
  std::string server;
  app.add_option("--db", server,
                 "import into this server database (a mariadb:// URL) instead of a fresh file; "
                 "it is emptied before each run");
  app.add_option("--keep", keep, "write the generated files into this folder and keep them");
  app.add_option("--run-one", runOne)->group("");
  app.add_option("--dir", runDir)->group("");
  size_t preloadLines = 0;
  std::string preloadAccount = "1";
  std::string account = "1";
  bool skipDuplicates = false;
  bool singleThreaded = false;
  app.add_option("--preload-lines", preloadLines, "native lines imported before each timed run");
  app.add_option("--preload-account", preloadAccount, "account of the preloaded lines (default 1)");
  app.add_option("--account", account)->group("");
  app.add_flag("--skip-duplicates", skipDuplicates, "time the import with duplicates skipped");
  bool referenceLoop = false;
  app.add_flag("--single-threaded", singleThreaded, "time the import on one thread");
  app.add_flag("--reference-loop", referenceLoop)->group("");
  CLI11_PARSE(app, argc, argv);
  if (!server.empty()) setenv(kServerVariable, server.c_str(), 1);
  if (!runOne.empty() && referenceLoop) return RunReference(runOne, runDir);
  if (!runOne.empty()) return RunOne(runOne, runDir, account, skipDuplicates, singleThreaded);

  std::vector<std::pair<const BenchFormat*, size_t>> runs;
  if (formats.empty() && lineCounts.empty()) {
    for (const BenchFormat& format : BenchFormats()) runs.emplace_back(&format, 100000);
    runs.emplace_back(FindBenchFormat("native"), 10000);
    runs.emplace_back(FindBenchFormat("native"), 1000000);
  } else {
    if (lineCounts.empty()) lineCounts.push_back(100000);
    if (formats.empty()) {
      for (const BenchFormat& format : BenchFormats()) formats.push_back(format.name);
    }
    for (const std::string& name : formats) {
      const BenchFormat* format = FindBenchFormat(name);
      if (!format) {
        std::fprintf(stderr, "unknown format %s\n", name.c_str());
        return 2;
      }
      for (size_t lines : lineCounts) runs.emplace_back(format, lines);
    }
  }

  std::string pattern = (fs::temp_directory_path() / "vo-bench-import-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 1;
  fs::path work = pattern;
  fs::path files = keep.empty() ? work : fs::path(keep);
  fs::create_directories(files);

  // CPU seconds (the whole child) show the cost when other work shares the machine.
  std::printf("%-16s %9s %9s %10s %10s %9s %9s %9s %9s %9s\n", "format", "lines", "seconds",
              "lines/s", "peak RSS", "CPU s", "call s", "caller s", "rows", "symbols");
  bool allOk = true;
  for (const auto& [format, lines] : runs) {
    fs::path file = files / (format->name + "-" + std::to_string(lines) + ".csv");
    if (!fs::exists(file) && !WriteBenchFile(*format, lines, file)) {
      std::fprintf(stderr, "cannot write %s\n", file.c_str());
      return 1;
    }
    fs::path dir = work / "run";
    fs::remove_all(dir);
    fs::create_directories(dir);
    if (preloadLines > 0) {
      fs::path preload = files / ("native-" + std::to_string(preloadLines) + ".csv");
      if (!fs::exists(preload) && !WriteBenchFile(*FindBenchFormat("native"), preloadLines, preload)) {
        std::fprintf(stderr, "cannot write %s\n", preload.c_str());
        return 1;
      }
      // Preloaded the same way, so that the timed run finds what an earlier
      // import with --skip-duplicates leaves (its trade-date index).
      if (!RunChild(preload, dir, preloadAccount, skipDuplicates).ok) {
        std::fprintf(stderr, "cannot preload %s\n", preload.c_str());
        return 1;
      }
    }
    RunResult result = RunChild(file, dir, "1", skipDuplicates, false, singleThreaded);
    allOk = allOk && result.ok;
    Print(format->name, lines, result, "  (import failed)");
    // The reference loop into a fresh database (a server database cannot
    // take it), when the file is native and nothing is preloaded.
    if (format->name == "native" && preloadLines == 0 && server.empty()) {
      fs::remove_all(dir);
      fs::create_directories(dir);
      RunResult reference = RunChild(file, dir, "1", false, true);
      allOk = allOk && reference.ok;
      Print("reference loop", lines, reference, "  (failed)");
      if (result.ok && reference.ok) {
        std::printf("%-16s %9zu %9.2f   (reference seconds / import seconds; caller CPU %.2f)\n",
                    "ratio", lines, reference.seconds / result.seconds,
                    reference.callerCpuSeconds / result.callerCpuSeconds);
      }
    }
    std::fflush(stdout);
    if (keep.empty()) fs::remove(file);
  }
  fs::remove_all(work);
  return allOk ? 0 : 1;
}
