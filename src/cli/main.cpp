// vo: the command-line host of the voservices library. It stands in for the
// desktop application: parses a command, calls one library service and maps
// its result to the exit status (0 true, 1 false, 2 usage, 3 conversion error).
#include <CLI/CLI.hpp>

#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "cli/StoredRows.h"
#include "ledgerdb/Database.h"
#include "voservices/ImportOptions.h"
#include "voservices/VoServices.h"

namespace {

constexpr int kExitFalse = 1;
constexpr int kExitUsage = 2;
constexpr int kExitConversionError = 3;

int ExitFor(bool result) { return result ? 0 : kExitFalse; }

bool PrintProgress(std::string message, int32_t) {
  std::cerr << message << std::endl;
  return true;
}

// The application keeps its connection open; the maintenance services rely on that.
bool OpenDatabase() {
  bool created = false;
  if (Database::Instance()->init("vo_db", "", "root", nullptr, 0, created)) return true;
  std::cerr << "vo: cannot open the database: " << Database::Instance()->LastError() << std::endl;
  return false;
}

int RunImport(const std::string& file, const std::string& accountId, const std::string& accountName,
              std::string logDir) {
  if (logDir.empty()) logDir = "./";
  if (logDir.back() != '/') logDir += '/';
  VoServices::ImportOutcome outcome =
      VoServices::ImportFileWithOptions(file, logDir, accountId, accountName, {});
  if (!outcome.logPath.empty()) std::cout << outcome.logPath << std::endl;
  if (!outcome.conversionError.empty()) {
    std::cerr << "vo: import stopped: " << outcome.conversionError << std::endl;
    return kExitConversionError;
  }
  return ExitFor(outcome.imported);
}

int RunExpireOptions(const std::vector<std::string>& pairs) {
  std::map<std::string, std::string> idToQuantity;
  for (const std::string& pair : pairs) {
    size_t equals = pair.find('=');
    if (equals == std::string::npos) {
      std::cerr << "vo: expected ID=QTY, got " << pair << std::endl;
      return kExitUsage;
    }
    idToQuantity[pair.substr(0, equals)] = pair.substr(equals + 1);
  }
  if (!OpenDatabase()) return kExitFalse;
  return ExitFor(VoServices::ExpireOptions(idToQuantity, nullptr));
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"vo: import broker files, update symbols and maintain transactions"};
  app.require_subcommand(1);
  std::string db;
  app.add_option("--db", db, "Database file (sets VO_DB; default vo_db.sqlite3)");

  std::string file, accountId, accountName, logDir;
  CLI::App* import = app.add_subcommand("import", "Import a transaction file for one account");
  import->add_option("FILE", file, "File to import")->required();
  import->add_option("--account-id", accountId, "Account id")->required();
  import->add_option("--account-name", accountName, "Account name (names the log file)")->required();
  import->add_option("--log-dir", logDir, "Folder for the log file (default: current directory)");

  std::string canFile;
  CLI::App* canImport = app.add_subcommand("can-import", "Tell whether a file can be imported");
  canImport->add_option("FILE", canFile, "File to check")->required();

  std::string url;
  CLI::App* update = app.add_subcommand("update-symbols", "Update symbols from a security master server");
  update->add_option("URL", url, "Server endpoint")->required();

  std::vector<std::string> ids;
  CLI::App* smartTime = app.add_subcommand("smart-time", "Re-order same-day trades");
  smartTime->add_option("ID", ids, "Transaction ids")->required();

  std::vector<std::string> pairs;
  CLI::App* expire = app.add_subcommand("expire-options", "Record expirations of option positions");
  expire->add_option("ID=QTY", pairs, "Opening transaction id and expiring quantity")->required();

  std::string table = "all";
  CLI::App* show = app.add_subcommand("show", "Print the stored transactions and symbols");
  show->add_option("--table", table, "trans_table, sym_table, or all")
      ->check(CLI::IsMember({"all", "trans_table", "sym_table", "inactive_sym_table", "grp_table",
                             "event_table"}));

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    int code = app.exit(error);
    return code == 0 ? 0 : kExitUsage;
  }
  if (!db.empty()) setenv("VO_DB", db.c_str(), 1);

  if (*import) return RunImport(file, accountId, accountName, logDir);
  if (*canImport) return ExitFor(VoServices::CanImportFile(canFile));
  if (*update) return ExitFor(VoServices::UpdateSymbols(url, PrintProgress));
  if (*smartTime) {
    if (!OpenDatabase()) return kExitFalse;
    return ExitFor(VoServices::ApplySmartTime(ids, nullptr));
  }
  if (*expire) return RunExpireOptions(pairs);
  if (*show) {
    if (!OpenDatabase()) return kExitFalse;
    return ExitFor(PrintStoredRows(table, std::cout));
  }
  return kExitUsage;
}
