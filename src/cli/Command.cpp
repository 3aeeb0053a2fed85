#include "cli/Command.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "ledgerdb/Database.h"
#include "ledgerdb/MariaDbTarget.h"

using namespace vo;

bool DatabaseFileMissing() {
  const std::string location = Database::Location();
  return !MariaDbTarget::IsUrl(location) && !std::filesystem::exists(location);
}

bool DatabaseExists() {
  if (!DatabaseFileMissing()) return true;
  std::cerr << "vo: cannot open the database: " << Database::Location() << ": no such file" << std::endl;
  return false;
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
  bool created = false;
  if (Database::Instance()->init("vo_db", "", "root", nullptr, 0, created)) return true;
  std::cerr << "vo: cannot open the database: " << Database::Instance()->LastError() << std::endl;
  return false;
}

bool OpenDatabaseToRead() {
  if (Database::Instance()->initToRead()) return true;
  std::cerr << "vo: cannot open the database: " << Database::Instance()->LastError() << std::endl;
  return false;
}

int MaintenanceResult(bool changed, const std::string& command) {
  if (changed) return 0;
  const std::string reason = Database::Instance()->LastError();
  std::cerr << "vo: " << command << " changed nothing" << (reason.empty() ? "" : ": " + reason) << std::endl;
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
