// Writes 100,000 imported transactions through HTransDAO::InsertFields inside
// one database transaction into a fresh file and prints the rows per second.
//   vo-bench-insert [ROWS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "db/HTransDAO.h"
#include "ledgerdb/Database.h"
#include "ledgerdb/DbTransaction.h"

using namespace vo;

namespace {

// A transaction shaped like a broker import's: dates, an amount, prices.
TransactionFields MakeFields(int i) {
  std::string n = std::to_string(i);
  std::string month = std::to_string(1 + i % 12);
  std::string day = std::to_string(1 + i % 28);
  std::string trade = month;
  trade.append("/").append(day).append("/2009 10:").append(std::to_string(10 + i % 50)).append(":00");
  std::string settle = month;
  settle.append("/").append(day).append("/2009");
  std::string price = "$25.";
  price += std::to_string(i % 100);
  std::string total = "(";
  total.append(std::to_string(1000 + i)).append(".50)");
  return {
      {0, "NULL"},
      {1, std::to_string(i % 5)},
      {2, "1"},
      {3, "1"},
      {4, std::to_string(1 + i % 500)},
      {5, price},
      {6, "9.99"},
      {7, trade},
      {8, settle},
      {10, "0.02"},
      {13, total},
      {14, "Bought " + n},
      {15, "T" + n},
      {18, "7"},
      {21, "SYM" + std::to_string(i % 2000)},
      {24, n},
      {28, "1"},
  };
}

// Time this process has spent on a CPU.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  std::string pattern = (std::filesystem::temp_directory_path() / "vo-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 1;
  std::filesystem::path dir = pattern;
  setenv("VO_DB", (dir / "vo_db.sqlite3").c_str(), 1);

  bool created = false;
  Database* db = Database::Instance();
  if (!db->init("vo_db", "", "root", nullptr, 0, created)) {
    std::fprintf(stderr, "cannot open database: %s\n", db->LastError().c_str());
    return 1;
  }

  // Decoded before the write phase, as an import does.
  std::vector<TransactionFields> decoded;
  decoded.reserve(static_cast<size_t>(rows));
  for (int i = 0; i < rows; ++i) decoded.push_back(MakeFields(i));

  auto start = std::chrono::steady_clock::now();
  double cpuStart = CpuSeconds();
  int stored = 0;
  {
    HTransDAO dao;
    DbTransaction transaction;
    for (const TransactionFields& fields : decoded) stored += dao.InsertFields(fields) ? 1 : 0;
    if (!transaction.Commit()) std::fprintf(stderr, "commit failed: %s\n", db->LastError().c_str());
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double cpu = CpuSeconds() - cpuStart;

  Database::Destruct();
  std::filesystem::remove_all(dir);
  // CPU time shows the cost when other work shares the machine.
  std::printf("%d of %d rows stored in %.3f s: %.0f rows/s (%.3f s CPU: %.0f rows/s)\n", stored,
              rows, seconds, stored / seconds, cpu, stored / cpu);
  return stored == rows ? 0 : 1;
}
