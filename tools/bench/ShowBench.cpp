// Times `vo show` of a large trans_table. Builds the database once (a generated
// native file of N lines imported for one account), then runs `vo show
// --format F` for each format as a child process with its standard output on a
// pipe that this process reads and counts. Prints the child's wall and CPU
// seconds, its peak RSS (wait4) and the bytes and lines it wrote.
//   vo-bench-show [--rows N] [--format F ...] [--vo PATH] [--keep DIR]
//   defaults: 1000000 rows; table, csv, json; the vo of this build.
// With --keep DIR the database is kept there and reused by the next run with
// the same number of rows, so that two builds of vo can be timed on one file.
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "ChildProcess.h"
#include "voservices/VoServices.h"

namespace fs = std::filesystem;

namespace {

// A vo show run, and what it wrote.
struct ShowResult : ChildProcess {
  unsigned long long bytes = 0;
  unsigned long long lines = 0;
};

long long CountRows(const fs::path& database) {
  sqlite3* db = nullptr;
  long long rows = -1;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM trans_table", -1, &statement, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      rows = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return rows;
}

// The database of `rows` generated lines, imported in a child so that the
// import's memory is not this process's.
bool BuildDatabase(size_t rows, const fs::path& dir, const fs::path& database) {
  fs::path file = dir / ("native-" + std::to_string(rows) + ".csv");
  if (!WriteBenchFile(*FindBenchFormat("native"), rows, file)) return false;
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    setenv("VO_DB", database.c_str(), 1);
    bool ok = VoServices::ImportFile(file.string(), dir.string() + "/", "1", "bench", nullptr);
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  fs::remove(file);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
  // Every page into the database file: a reader then finds no log to search.
  sqlite3* db = nullptr;
  bool checkpointed = sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                      sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return checkpointed;
}

ShowResult RunShow(const std::string& vo, const fs::path& database, const std::string& format) {
  ShowResult result;
  result.Run(vo, {vo, "--db", database.string(), "show", "--format", format}, [&](std::string_view piece) {
    result.bytes += piece.size();
    result.lines += static_cast<unsigned long long>(std::count(piece.begin(), piece.end(), '\n'));
  });
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Times vo show of a large trans_table in each output format."};
  size_t rows = 1000000;
  std::vector<std::string> formats;
  std::string vo = VO_BENCH_VO;
  std::string keep;
  app.add_option("--rows", rows, "lines of the generated file imported (default 1000000)");
  app.add_option("--format", formats, "formats to run (default: table, csv, json)");
  app.add_option("--vo", vo, "the vo to time (default: this build's)");
  app.add_option("--keep", keep, "keep the database in this folder and reuse it");
  CLI11_PARSE(app, argc, argv);
  if (formats.empty()) formats = {"table", "csv", "json"};

  fs::path work;
  if (keep.empty()) {
    std::string pattern = (fs::temp_directory_path() / "vo-bench-show-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    work = pattern;
  } else {
    work = keep;
    fs::create_directories(work);
  }
  const fs::path database = work / ("show-" + std::to_string(rows) + ".sqlite3");
  if (!fs::exists(database)) {
    auto start = std::chrono::steady_clock::now();
    if (!BuildDatabase(rows, work, database)) {
      std::fprintf(stderr, "cannot build the database %s\n", database.c_str());
      return 1;
    }
    std::printf("database built in %.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  const long long stored = CountRows(database);
  std::printf("%lld trans_table rows, %.0f MB file; %s\n", stored,
              static_cast<double>(fs::file_size(database)) / (1 << 20), vo.c_str());
  std::printf("%-8s %9s %9s %10s %10s %12s\n", "format", "seconds", "CPU s", "peak RSS", "output",
              "lines");
  bool allOk = true;
  for (const std::string& format : formats) {
    ShowResult result = RunShow(vo, database, format);
    allOk = allOk && result.ok;
    std::printf("%-8s %9.3f %9.3f %7.0f MB %7.0f MB %12llu%s\n", format.c_str(), result.seconds,
                result.cpuSeconds, static_cast<double>(result.peakRssKb) / 1024,
                static_cast<double>(result.bytes) / (1 << 20), result.lines,
                result.ok ? "" : "  (vo show failed)");
    std::fflush(stdout);
  }
  if (keep.empty()) fs::remove_all(work);
  return allOk ? 0 : 1;
}
