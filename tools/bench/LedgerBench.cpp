// Times the everyday commands of a monthly import against ledgers of growing
// size, through `vo` itself (so that two builds time the same way): a file of
// N native lines for account 1 is imported plainly and undone, then imported
// with --skip-duplicates, imported again with --once (refused), shown with
// `vo show --account 1`, and undone. Each command is its own child process;
// the table gives its wall and CPU seconds and peak RSS.
//
// The ledger beside it is one of these shapes, built once through `vo import`:
//   empty           nothing;
//   other-accounts  R generated lines of account 2;
//   same-account    R generated lines of account 1 that follow the file's
//                   lines in the generator (other trades, other dates and
//                   times, the same years).
// After the first import with duplicates skipped, a digest of trans_table
// and sym_table as `vo show --raw --format csv` prints them is given, to
// compare what two builds stored.
//   vo-bench-ledger [--rows R ...] [--shape S ...] [--lines N] [--repeat K]
//                   [--vo PATH] [--db URL] [--keep DIR]
//   defaults: rows 10000 and 2000000; every shape; 10000 lines; 2 repeats;
//   this build's vo; a fresh SQLite file per ledger.
// --db runs on a server database instead, dropped and rebuilt for each ledger.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "ChildProcess.h"
#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/Database.h"

namespace fs = std::filesystem;
using namespace vo;

namespace {

// One run of vo, with what it wrote to standard output.
struct VoRun : ChildProcess {
  std::string output;
  unsigned long long lines = 0;
  uint64_t digest = 1469598103934665603ull;  // FNV-1a of the output
};

struct Bench {
  std::string vo;
  std::string database;  // a file path or a server URL
  fs::path logs;

  // Runs vo with the database; keeps its output when `keep`, else only counts
  // and digests it.
  VoRun Run(std::vector<std::string> args, bool keep = false) const {
    args.insert(args.begin(), {vo, "--db", database});
    VoRun run;
    run.Run(vo, std::move(args), [&](std::string_view piece) {
      if (keep) run.output += piece;
      for (char c : piece) {
        run.digest = (run.digest ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        run.lines += c == '\n';
      }
    });
    return run;
  }
  VoRun Import(const fs::path& file, const std::string& account, const char* option = nullptr) const {
    std::vector<std::string> args{"import", file.string(), "--account-id", account, "--account-name",
                                  "bench" + account, "--log-dir", logs.string(), "--quiet"};
    if (option) args.emplace_back(option);
    return Run(std::move(args));
  }
  // The id of the account's last imported run, or "" when there is none.
  std::string LastRun(const std::string& account) const {
    VoRun runs = Run({"runs", "--account", account}, true);
    std::istringstream lines(runs.output);
    std::string last;
    for (std::string line; std::getline(lines, line);) {
      std::istringstream cells(line);
      std::string id, owner, result;
      std::getline(cells, id, '\t');
      std::getline(cells, owner, '\t');
      std::getline(cells, result, '\t');
      if (result == "imported") last = id;
    }
    return last;
  }
  VoRun UndoLast(const std::string& account) const { return Run({"undo", LastRun(account)}); }
};

// Drops every table of the server database, so that the vo under test makes
// its own schema there.
bool DropServerTables(const std::string& url) {
  Database::Destruct();
  setenv("VO_DB", url.c_str(), 1);
  bool created = false;
  Database* db = Database::Instance();
  bool ok = db->init("vo_db", "", "", nullptr, 0, created);
  unsigned long id = 0;
  const auto& tables = DBSchemaDef::All();
  for (auto table = tables.rbegin(); ok && table != tables.rend(); ++table) {
    ok = db->Query(id, "DROP TABLE IF EXISTS " + table->tableName());
  }
  ok = ok && db->Query(id, "DROP TABLE IF EXISTS vo_database");
  Database::Destruct();
  unsetenv("VO_DB");
  return ok;
}

void Print(const std::string& shape, size_t rows, const std::string& step, const VoRun& run,
           const std::string& note = "") {
  std::printf("%-15s %9zu %-22s %8.3f %8.3f %7.0f MB  %s\n", shape.c_str(), rows, step.c_str(),
              run.seconds, run.cpuSeconds, static_cast<double>(run.peakRssKb) / 1024, note.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Times import, --skip-duplicates, --once, show --account and undo beside ledgers of growing size."};
  std::vector<size_t> ledgerRows;
  std::vector<std::string> shapes;
  size_t lines = 10000;
  int repeats = 2;
  std::string server;
  std::string keep;
  Bench bench{VO_BENCH_VO, "", ""};
  app.add_option("--rows", ledgerRows, "rows of the ledger beside the file (default 10000 2000000)");
  app.add_option("--shape", shapes, "empty, other-accounts or same-account (default: all)");
  app.add_option("--lines", lines, "lines of the imported file (default 10000)");
  app.add_option("--repeat", repeats, "times each ledger runs the commands (default 2)");
  app.add_option("--vo", bench.vo, "the vo to time (default: this build's)");
  app.add_option("--db", server, "a server database (mariadb:// URL) to use instead of files");
  app.add_option("--keep", keep, "keep the generated files in this folder and reuse them");
  CLI11_PARSE(app, argc, argv);
  if (ledgerRows.empty()) ledgerRows = {10000, 2000000};
  if (shapes.empty()) shapes = {"empty", "other-accounts", "same-account"};

  std::string pattern = (fs::temp_directory_path() / "vo-bench-ledger-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 1;
  const fs::path work = pattern;
  const fs::path files = keep.empty() ? work : fs::path(keep);
  fs::create_directories(files);
  bench.logs = work / "logs";
  fs::create_directories(bench.logs);
  const BenchFormat& native = *FindBenchFormat("native");
  auto generated = [&](size_t count, size_t first) {
    fs::path file = files / ("native-" + std::to_string(first) + "-" + std::to_string(count) + ".csv");
    if (!fs::exists(file) && !WriteBenchFile(native, count, file, first)) file.clear();
    return file;
  };
  const fs::path file = generated(lines, 0);
  if (file.empty()) return 1;

  std::printf("%s\n%-15s %9s %-22s %8s %8s %10s\n", bench.vo.c_str(), "ledger", "rows", "command",
              "seconds", "CPU s", "peak RSS");
  bool allOk = true;
  for (const std::string& shape : shapes) {
    for (size_t rows : ledgerRows) {
      if (shape == "empty" && rows != ledgerRows.front()) continue;
      const size_t shown = shape == "empty" ? 0 : rows;
      if (!server.empty()) {
        if (!DropServerTables(server)) return 1;
        bench.database = server;
      } else {
        bench.database = (work / ("ledger-" + shape + "-" + std::to_string(rows) + ".sqlite3")).string();
      }
      if (shape != "empty") {
        const fs::path ledger = generated(rows, shape == "same-account" ? lines : 0);
        if (ledger.empty()) return 1;
        VoRun built = bench.Import(ledger, shape == "same-account" ? "1" : "2");
        Print(shape, shown, "build ledger", built);
        if (!built.ok) return 1;
      }
      for (int repeat = 1; repeat <= repeats; ++repeat) {
        const std::string suffix = " #" + std::to_string(repeat);
        VoRun plain = bench.Import(file, "1");
        Print(shape, shown, "import" + suffix, plain);
        VoRun undoPlain = bench.UndoLast("1");
        Print(shape, shown, "undo" + suffix, undoPlain);
        VoRun skip = bench.Import(file, "1", "--skip-duplicates");
        std::string note;
        if (repeat == 1) {
          char digest[96];
          std::snprintf(digest, sizeof digest, "stored: trans %016llx sym %016llx",
                        static_cast<unsigned long long>(
                            bench.Run({"show", "--raw", "--format", "csv"}).digest),
                        static_cast<unsigned long long>(
                            bench.Run({"show", "--table", "sym_table", "--raw", "--format", "csv"}).digest));
          note = digest;
        }
        Print(shape, shown, "import --skip-dup" + suffix, skip, note);
        VoRun once = bench.Import(file, "1", "--once");
        Print(shape, shown, "import --once" + suffix, once, once.ok ? "NOT refused" : "refused");
        VoRun show = bench.Run({"show", "--account", "1", "--format", "csv"});
        Print(shape, shown, "show --account" + suffix, show, std::to_string(show.lines - 1) + " rows");
        VoRun undo = bench.UndoLast("1");
        Print(shape, shown, "undo --skip-dup run" + suffix, undo);
        const size_t accountRows = lines + (shape == "same-account" ? rows : 0);
        allOk = allOk && plain.ok && undoPlain.ok && skip.ok && !once.ok && show.ok &&
                show.lines == accountRows + 1 && undo.ok;
      }
      if (server.empty()) {
        for (const char* end : {"", "-wal", "-shm"}) fs::remove(bench.database + end);
      }
    }
  }
  fs::remove_all(work);
  return allOk ? 0 : 1;
}
