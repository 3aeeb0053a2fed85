// The five exported services: each sets up what one run needs, hands the work
// to the subsystem that owns it and returns its result.
#include "voservices/VoServices.h"
#include "voservices/ImportOptions.h"
#include "voservices/Maintenance.h"
#include "voservices/SymbolUpdate.h"

#include <ctime>

#include "import/FileImporter.h"
#include "maintenance/ExpirationCheck.h"
#include "maintenance/MaintenanceRunner.h"
#include "logging/RunLog.h"
#include "symbols/SymbolUpdate.h"

using namespace vo;

namespace {

constexpr char kComponent[] = "FileImporter";

// Local time as "%Y%m%d_%H%M%S"; empty when it cannot be had.
std::string LogStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return "";
  char text[128];
  size_t length = std::strftime(text, sizeof text, "%Y%m%d_%H%M%S", &local);
  return std::string(text, length);
}

// The run log's file name: the account name with separators and control
// characters replaced, cut so that the name with its stamp, a counter and the
// extension fits a file name (255 bytes), so that the log always lands inside
// the log folder and one line of it stays one line.
// The text with every control character replaced: one line of the log stays one line.
std::string OneLine(const std::string& text) {
  std::string line = text;
  for (char& c : line) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) c = '_';
  }
  return line;
}

std::string LogFileName(const std::string& accountName, const std::string& stamp) {
  constexpr size_t kNameMax = 255;
  constexpr size_t kCounterRoom = 5;  // "-1000"
  const std::string tail = "-" + stamp + ".log";
  std::string name = OneLine(accountName);
  for (char& c : name) {
    if (c == '/' || c == '\\') c = '_';
  }
  size_t room = kNameMax - kCounterRoom - tail.size();
  if (name.size() > room) {
    name.resize(room);
    // Never end inside a UTF-8 sequence.
    while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80) name.pop_back();
    if (!name.empty() && static_cast<unsigned char>(name.back()) >= 0xC0) name.pop_back();
  }
  return name + tail;
}

// One import with its run log, closed however the call ends. The conversion
// error a parser throws leaves through here, with the outcome as it stood (its
// log path set).
void RunImport(const std::string& filePath, const std::string& logFolder,
               const std::string& accountId, const std::string& accountName,
               const VoServices::ImportOptions& options, VoServices::ImportOutcome& outcome) {
  RunLog::Scope scope(logFolder + LogFileName(accountName, LogStamp()), kComponent);
  RunLog* log = scope.log();
  outcome.logPath = log->path();
  outcome.logError = log->openError();
  log->Info("Orbel Account Name: " + OneLine(accountName));
  log->Info("Account ID: " + OneLine(accountId));
  log->Info("Import Filename: " + filePath);
  log->EndLine();

  FileImporter importer(accountId);
  importer.SetOptions(options);
  bool imported = false;
  try {
    imported = importer.Import(filePath);
  } catch (const std::string&) {
    outcome.conversionLine = importer.outcome().conversionLine;
    throw;
  }
  std::string logPath = std::move(outcome.logPath);
  std::string logError = std::move(outcome.logError);
  outcome = importer.outcome();
  outcome.logPath = std::move(logPath);
  outcome.logError = std::move(logError);
  log->Info(imported ? "File Import SUCCESSFUL" : "File Import FAILED");
  if (outcome.logError.empty()) outcome.logError = log->writeError();
}

}  // namespace

namespace VoServices {

bool ImportFile(const std::string& filePath, const std::string& logFolder,
                const std::string& accountId, const std::string& accountName,
                ProgressCallback /*progress*/) {
  ImportOutcome outcome;
  ImportOptions options;
  options.separatorLinesAreEmpty = false;
  options.refusalReasonsLogged = false;
  RunImport(filePath, logFolder, accountId, accountName, options, outcome);
  return outcome.imported;
}

ImportOutcome ImportFileWithOptions(const std::string& filePath, const std::string& logFolder,
                                    const std::string& accountId, const std::string& accountName,
                                    const ImportOptions& options) {
  ImportOutcome outcome;
  try {
    RunImport(filePath, logFolder, accountId, accountName, options, outcome);
  } catch (const std::string& error) {
    outcome.imported = false;
    outcome.conversionError = error;
    outcome.failure = error;
    outcome.failureKind = ImportFailure::kConversionError;
  }
  return outcome;
}

bool CanImportFile(const std::string& filePath) {
  RunLog::Scope log("", kComponent);  // counts lines, writes no file
  FileImporter importer("");
  return importer.CanImport(filePath);
}

std::string IdentifyFileFormat(const std::string& filePath) {
  RunLog::Scope log("", kComponent);
  FileImporter importer("");
  return importer.Identify(filePath);
}

bool UpdateSymbols(std::string url, ProgressCallback progress) {
  return RunSymbolUpdate(std::move(url), progress).updated;
}

SymbolUpdateOutcome UpdateSymbolsWithOutcome(std::string url, ProgressCallback progress) {
  return RunSymbolUpdate(std::move(url), progress);
}

bool ApplySmartTime(const std::vector<std::string>& transactionIds, ProgressCallback /*progress*/) {
  return MaintenanceRunner().ApplySmartTimeCore(transactionIds).changed;
}

bool ExpireOptions(const std::map<std::string, std::string>& idToQuantity,
                   ProgressCallback /*progress*/) {
  return MaintenanceRunner().ExpireOptionsCore(idToQuantity).changed;
}

MaintenanceOutcome ApplySmartTimeWithOutcome(const std::vector<std::string>& transactionIds) {
  return MaintenanceRunner().ApplySmartTimeCore(transactionIds);
}

MaintenanceOutcome ExpireOptionsWithOutcome(const std::map<std::string, std::string>& idToQuantity) {
  return MaintenanceRunner().ExpireOptionsCore(idToQuantity);
}

std::vector<std::string> CheckExpirations(const std::map<std::string, std::string>& idToQuantity) {
  Database* db = Database::Instance();
  if (!db->IsConnected()) return {"the database is not open"};
  return ExpirationCheck(db).Problems(idToQuantity);
}

}  // namespace VoServices
