#include "cli/Command.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <utility>

#include "voservices/Ledger.h"
#include "voservices/OpenDatabase.h"

bool DatabaseFileMissing() {
  const std::string location = VoServices::DatabaseLocation();
  return !VoServices::IsServerLocation(location) && !std::filesystem::exists(location);
}

bool DatabaseExists() {
  if (!DatabaseFileMissing()) return true;
  std::cerr << "vo: cannot open the database: " << VoServices::DatabaseLocation() << ": no such file" << std::endl;
  return false;
}

VoServices::LedgerTable LedgerTableNamed(const std::string& name) {
  for (VoServices::LedgerTable& table : VoServices::LedgerTables()) {
    if (table.name == name) return std::move(table);
  }
  return {};
}

std::function<std::string(const std::string&)> PositiveWholeNumber(const std::string& expected) {
  return [expected](const std::string& text) -> std::string {
    const bool number = !text.empty() && text.size() < 19 && text.find_first_not_of("0123456789") == std::string::npos &&
                        std::stoll(text) > 0;
    return number ? "" : "expected " + expected + ", got " + text;
  };
}

bool OpenDatabase() {
  if (!DatabaseExists()) return false;
  std::string error;
  if (VoServices::OpenDatabase("", error)) return true;
  std::cerr << "vo: " << error << std::endl;
  return false;
}

bool OpenDatabaseToRead() {
  std::string error;
  if (VoServices::OpenDatabaseToRead(error)) return true;
  std::cerr << "vo: " << error << std::endl;
  return false;
}

int MaintenanceResult(const VoServices::MaintenanceOutcome& outcome, const std::string& command) {
  if (outcome.changed) return 0;
  std::cerr << "vo: " << command << " changed nothing: " << outcome.failure << std::endl;
  return kExitFalse;
}

std::string OpenFailure(const std::string& path, const std::string& shown) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return "cannot open " + shown + ": " + std::strerror(errno);
  if (S_ISDIR(info.st_mode)) return "cannot import " + shown + ": it is a folder";
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return "cannot open " + shown + ": " + std::strerror(errno);
  std::fclose(file);
  return "";
}

namespace {

// YYYY-MM-DD of a day that exists (2008-13-45 is none).
bool IsDate(const std::string& text) {
  if (text.size() != 10) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    bool dash = i == 4 || i == 7;
    if (dash ? text[i] != '-' : (text[i] < '0' || text[i] > '9')) return false;
  }
  const std::chrono::year_month_day day{std::chrono::year(std::stoi(text.substr(0, 4))),
                                        std::chrono::month(static_cast<unsigned>(std::stoi(text.substr(5, 2)))),
                                        std::chrono::day(static_cast<unsigned>(std::stoi(text.substr(8, 2))))};
  return day.ok();
}

}  // namespace

bool TradeTimeBounds(const std::string& fromDay, const std::string& toDay, std::string& from, std::string& to,
                     std::string& error) {
  for (const std::string* day : {&fromDay, &toDay}) {
    if (!day->empty() && !IsDate(*day)) {
      error = "expected a date as YYYY-MM-DD, got " + *day;
      return false;
    }
  }
  from = fromDay.empty() ? "" : fromDay + " 00:00:00";
  to = toDay.empty() ? "" : toDay + " 23:59:59";
  return true;
}

std::string WhereClause(const std::vector<RowFilter>& filters, std::vector<std::string>& parameters) {
  std::string where;
  for (const RowFilter& filter : filters) {
    if (filter.value.empty()) continue;
    where += (where.empty() ? " WHERE " : " AND ") + filter.condition;
    parameters.push_back(filter.value);
  }
  return where;
}

