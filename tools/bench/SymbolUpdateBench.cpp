// Times the symbol update (VoServices::UpdateSymbols) against vo-secmaster on
// loopback. For each size it imports a generated native file of four lines a
// symbol into a fresh database, keeps exactly that many symbols with four
// transactions each (so that every size has the same shape and the time per
// symbol compares across sizes), writes a reference file in which the server knows every
// symbol and renames every second one, starts vo-secmaster on it and runs the
// update in a child process. Prints seconds, CPU seconds and peak RSS of the
// child, the time of each step (from the progress messages) and the server's
// own peak RSS.
//   vo-bench-symbols [--symbols N ...] [--secmaster PATH] [--batch N]
//   defaults: 1000, 10000 and 100000 symbols; batches of 10000 symbols.
#include <json/value.h>
#include <json/writer.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "BenchFiles.h"
#include "ChildProcess.h"
#include "voservices/VoServices.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTransPerSymbol = 4;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The child's clock starts at the call; each progress message is printed with its time.
Clock::time_point callStart;

long RssKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  }
  return -1;
}

bool PrintProgress(std::string message, int32_t) {
  std::printf("%.6f %s (RSS %ld MB, peak %ld MB)\n", Seconds(callStart), message.c_str(), RssKb("VmRSS:") / 1024,
              RssKb("VmHWM:") / 1024);
  std::fflush(stdout);
  return false;
}

int ImportChild(const std::string& file, const std::string& dir) {
  setenv("VO_DB", (fs::path(dir) / "vo_db.sqlite3").c_str(), 1);
  return VoServices::ImportFile(file, dir + "/", "1", "bench", nullptr) ? 0 : 1;
}

int UpdateChild(const std::string& url, const std::string& dir) {
  setenv("VO_DB", (fs::path(dir) / "vo_db.sqlite3").c_str(), 1);
  callStart = Clock::now();
  bool ok = VoServices::UpdateSymbols(url, PrintProgress);
  std::printf("%.6f done\n", Seconds(callStart));
  return ok ? 0 : 1;
}

// A run of this program in a child process, with what it printed.
struct ChildResult : ChildProcess {
  std::string output;
};

ChildResult RunChild(std::vector<std::string> args) {
  ChildResult result;
  args.insert(args.begin(), "vo-bench-symbols");
  result.Run("/proc/self/exe", std::move(args), [&](std::string_view piece) { result.output += piece; });
  return result;
}

class Db {
 public:
  explicit Db(const fs::path& file) { sqlite3_open(file.c_str(), &db_); }
  ~Db() { sqlite3_close(db_); }
  bool Exec(const std::string& sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }
  long long Count(const std::string& sql) {
    long long value = -1;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      value = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    return value;
  }
  // The table's column names other than `except`, comma-separated.
  std::string ColumnsExcept(const std::string& table, const std::string& except) {
    std::string list;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, ("PRAGMA table_info(" + table + ")").c_str(), -1, &statement, nullptr) == SQLITE_OK) {
      while (sqlite3_step(statement) == SQLITE_ROW) {
        std::string name = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
        if (name != except) list += (list.empty() ? "" : ", ") + name;
      }
    }
    sqlite3_finalize(statement);
    return list;
  }
  // (name, type) of every symbol, in name order.
  std::vector<std::pair<std::string, int>> Symbols() {
    std::vector<std::pair<std::string, int>> symbols;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT sym_name, sym_type FROM sym_table ORDER BY sym_name", -1, &statement,
                           nullptr) == SQLITE_OK) {
      while (sqlite3_step(statement) == SQLITE_ROW) {
        symbols.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)),
                             sqlite3_column_int(statement, 1));
      }
    }
    sqlite3_finalize(statement);
    return symbols;
  }

 private:
  sqlite3* db_ = nullptr;
};

// The generated file gives about one symbol a four lines up to a few hundred
// thousand; larger sizes copy the symbols imported from this many.
constexpr size_t kMostSymbolsImported = 100000;

// Brings the database to `size` symbols when the import gave fewer: the
// symbols it holds and their transactions are copied under new names (a
// digit before the name, one per copy), so that every symbol keeps its type
// and four transactions. False when a statement fails.
bool ReplicateSymbols(Db& db, size_t size) {
  const long long imported = db.Count("SELECT count(*) FROM sym_table");
  if (imported <= 0) return false;
  auto renamed = [](std::string columns, int copy) {
    const std::string name = "sym_name";
    for (size_t at = columns.find(name); at != std::string::npos; at = columns.find(name, at + 1)) {
      const bool whole = (at == 0 || columns[at - 1] == ' ') &&
                         (at + name.size() == columns.size() || columns[at + name.size()] == ',');
      if (!whole) continue;
      const std::string expression = "'" + std::to_string(copy) + "' || sym_name";
      columns.replace(at, name.size(), expression);
      at += expression.size() - 1;
    }
    return columns;
  };
  const std::string symColumns = db.ColumnsExcept("sym_table", "");
  const std::string transColumns = db.ColumnsExcept("trans_table", "trans_id");
  bool ok = db.Exec("BEGIN") && db.Exec("CREATE TEMP TABLE imported AS SELECT sym_name FROM sym_table ORDER BY sym_name");
  long long have = imported;
  for (int copy = 1; ok && have < static_cast<long long>(size); ++copy) {
    const long long take = std::min<long long>(imported, static_cast<long long>(size) - have);
    const std::string picked = "(SELECT sym_name FROM imported LIMIT " + std::to_string(take) + ")";
    ok = db.Exec("INSERT INTO sym_table (" + symColumns + ") SELECT " + renamed(symColumns, copy) +
                 " FROM sym_table WHERE sym_name IN " + picked) &&
         db.Exec("INSERT INTO trans_table (" + transColumns + ") SELECT " + renamed(transColumns, copy) +
                 " FROM trans_table WHERE sym_name IN " + picked);
    have += take;
  }
  return db.Exec("DROP TABLE imported") && ok && db.Exec("COMMIT");
}

const char* TypeText(int type) {
  switch (type) {
    case 1:
      return "Call Option (Equity)";
    case 2:
      return "Put Option (Equity)";
    default:
      return "Stock";
  }
}

// Every symbol known; every second one (in name order) renamed to NAME.V. The
// securities are written one by one, each listing its broker symbol, so that
// neither this program nor the server holds the file as one tree of JSON values.
bool WriteReference(const std::vector<std::pair<std::string, int>>& symbols, const fs::path& file) {
  std::ofstream out(file, std::ios::binary);
  out << "{\"securities\":[";
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  std::unique_ptr<Json::StreamWriter> writer(builder.newStreamWriter());
  for (size_t i = 0; i < symbols.size(); ++i) {
    const auto& [name, type] = symbols[i];
    std::string canonical = i % 2 == 0 ? name : name + ".V";
    Json::Value security(Json::objectValue);
    security["vo_symbol"] = canonical;
    security["security_type"] = TypeText(type);
    security["cusip"] = "C" + std::to_string(100000 + i);
    security["contract_lot_size"] = type == 0 ? "1" : "100";
    security["lot_size"] = "1";
    security["multiplier"] = "1";
    security["leap_year_or_not"] = "N";
    security["verified"] = "true";
    security["currency"] = "USD";
    security["id"] = std::to_string(5000000 + i);
    security["updated_at"] = "2024-02-01";
    if (canonical != name) security["broker_symbols"].append(name);
    if (i > 0) out << ',';
    writer->write(security, &out);
  }
  out << "]}";
  return static_cast<bool>(out);
}

// Starts vo-secmaster on a free loopback port; returns its pid and URL.
pid_t StartServer(const std::string& binary, const fs::path& reference, std::string& url) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    execl(binary.c_str(), binary.c_str(), "--data", reference.c_str(), "--port", "0",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeFds[1]);
  std::string line;
  char c;
  while (read(pipeFds[0], &c, 1) == 1 && c != '\n') line += c;
  close(pipeFds[0]);
  auto at = line.find("http://");
  if (at == std::string::npos) return -1;
  url = line.substr(at) + "securities";
  return pid;
}

long PeakRssKbOf(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// Step times from the child's progress lines: each step lasts until the next message.
std::string StepTimes(const std::string& output) {
  static const std::pair<const char*, const char*> kSteps[] = {
      {"Reading symbols", "read"},       {"Connecting to Zudazuzo", "connect"},
      {"Requesting update", "exchange"}, {"Reading Zudazuzo", "receive"},
      {"Parsing", "parse"},              {"Updating your VO", "write"},
      {"Recalculating", "recalc"}};
  std::istringstream lines(output);
  std::vector<std::pair<double, std::string>> marks;
  for (std::string line; std::getline(lines, line);) {
    auto space = line.find(' ');
    if (space != std::string::npos) marks.emplace_back(std::atof(line.c_str()), line.substr(space + 1));
  }
  std::string text;
  for (size_t i = 0; i + 1 < marks.size(); ++i) {
    for (const auto& [prefix, name] : kSteps) {
      if (marks[i].second.rfind(prefix, 0) != 0) continue;
      char part[64];
      std::snprintf(part, sizeof part, "%s %.2f  ", name, marks[i + 1].first - marks[i].first);
      text += part;
    }
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Times VoServices::UpdateSymbols against vo-secmaster on loopback."};
  std::vector<size_t> sizes;
  std::string secmaster;  // default: beside this binary's folder, in secmaster/
  std::string importFile, updateUrl, runDir;
  app.add_option("--symbols", sizes, "symbol counts (default: 1000 10000 100000)");
  app.add_option("--secmaster", secmaster, "the vo-secmaster binary");
  size_t batch = 10000;
  app.add_option("--batch", batch, "symbols per request, as VO_SECMASTER_BATCH (0: one request)")
      ->capture_default_str();
  std::string keep;
  app.add_option("--keep", keep, "build the databases and reference files in this folder and keep them");
  app.add_option("--import-one", importFile)->group("");
  app.add_option("--update-one", updateUrl)->group("");
  app.add_option("--dir", runDir)->group("");
  CLI11_PARSE(app, argc, argv);
  if (!importFile.empty()) return ImportChild(importFile, runDir);
  if (!updateUrl.empty()) return UpdateChild(updateUrl, runDir);
  if (sizes.empty()) sizes = {1000, 10000, 100000};
  if (batch > 0) {
    setenv("VO_SECMASTER_BATCH", std::to_string(batch).c_str(), 1);
  } else {
    unsetenv("VO_SECMASTER_BATCH");
  }
  if (secmaster.empty()) {
    secmaster = (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "secmaster" / "vo-secmaster").string();
  }

  std::string pattern = (fs::temp_directory_path() / "vo-bench-symbols-XXXXXX").string();
  if (keep.empty() && !mkdtemp(pattern.data())) return 1;
  fs::path work = keep.empty() ? fs::path(pattern) : fs::path(keep);

  std::printf("%9s %9s %9s %9s %9s %9s %10s %9s  %s\n", "symbols", "trans", "renamed", "seconds", "us/symbol",
              "CPU s", "peak RSS", "srv RSS", "steps (s)");
  bool allOk = true;
  for (size_t size : sizes) {
    fs::path dir = work / ("db-" + std::to_string(size));
    fs::create_directories(dir);
    fs::path file = work / "native.csv";
    if (!WriteBenchFile(*FindBenchFormat("native"), std::min(size, kMostSymbolsImported) * 4, file) ||
        !RunChild({"--import-one", file.string(), "--dir", dir.string()}).ok) {
      std::fprintf(stderr, "cannot build the database of %zu symbols\n", size);
      return 1;
    }
    fs::remove(file);

    // Exactly `size` symbols: the first in name order, with their transactions.
    Db db(dir / "vo_db.sqlite3");
    std::string keep = "(SELECT sym_name FROM sym_table ORDER BY sym_name LIMIT " + std::to_string(size) + ")";
    db.Exec("BEGIN");
    db.Exec("DELETE FROM trans_table WHERE sym_name NOT IN " + keep);
    db.Exec("DELETE FROM sym_table WHERE sym_name NOT IN " + keep);
    // Four transactions a symbol: the generated file gives a few stocks many
    // and most options one or two. The extra ones go; the first of a symbol
    // with fewer is copied until it has four.
    db.Exec(
        "DELETE FROM trans_table WHERE trans_id IN (SELECT trans_id FROM (SELECT trans_id, row_number() OVER "
        "(PARTITION BY sym_name ORDER BY trans_id) AS n FROM trans_table) WHERE n > " +
        std::to_string(kTransPerSymbol) + ")");
    const std::string columns = db.ColumnsExcept("trans_table", "trans_id");
    for (int copy = 1; copy < kTransPerSymbol; ++copy) {
      db.Exec("INSERT INTO trans_table (" + columns + ") SELECT " + columns +
              " FROM trans_table WHERE trans_id IN (SELECT min(trans_id) FROM trans_table GROUP BY sym_name "
              "HAVING count(*) < " + std::to_string(kTransPerSymbol) + ")");
    }
    db.Exec("COMMIT");
    if (!ReplicateSymbols(db, size)) {
      std::fprintf(stderr, "cannot make %zu symbols\n", size);
      return 1;
    }
    db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");  // a kept copy of the file holds all of it
    std::vector<std::pair<std::string, int>> symbols = db.Symbols();
    long long transactions = db.Count("SELECT count(*) FROM trans_table");
    fs::path reference = work / ("reference-" + std::to_string(size) + ".json");
    if (!keep.empty()) fs::copy_file(dir / "vo_db.sqlite3", work / ("db-" + std::to_string(size) + ".sqlite3"));
    if (!WriteReference(symbols, reference)) return 1;

    std::string url;
    pid_t server = StartServer(secmaster, reference, url);
    if (server < 0) {
      std::fprintf(stderr, "cannot start %s\n", secmaster.c_str());
      return 1;
    }
    ChildResult result = RunChild({"--update-one", url, "--dir", dir.string()});
    long serverRssKb = PeakRssKbOf(server);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);

    long long renamed = db.Count("SELECT count(*) FROM inactive_sym_table WHERE sym_vo_sym <> sym_name");
    allOk = allOk && result.ok;
    std::printf("%9zu %9lld %9lld %9.3f %9.1f %9.3f %7.0f MB %6.0f MB  %s%s\n", symbols.size(), transactions,
                renamed, result.seconds, result.seconds * 1e6 / static_cast<double>(symbols.size()),
                result.cpuSeconds, static_cast<double>(result.peakRssKb) / 1024,
                static_cast<double>(serverRssKb) / 1024, StepTimes(result.output).c_str(),
                result.ok ? "" : "  (update failed)");
    std::fflush(stdout);
    fs::remove_all(dir);
  }
  if (keep.empty()) fs::remove_all(work);
  return allOk ? 0 : 1;
}
