// The five exported services: each sets up what one run needs, hands the work
// to the subsystem that owns it and returns its result.
#include "voservices/VoServices.h"
#include "voservices/ImportOptions.h"

#include <ctime>

#include "import/FileImporter.h"
#include "maintenance/MaintenanceRunner.h"
#include "logging/RunLog.h"
#include "symbols/SymbolUpdate.h"

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

// Closes the run log however the call ends, including the conversion error
// that an import lets escape to the caller.
struct RunLogScope {
  ~RunLogScope() { RunLog::Destroy(); }
};

// One import with its run log. The conversion error a parser throws leaves
// through here, with the outcome as it stood (its log path set).
void RunImport(const std::string& filePath, const std::string& logFolder,
               const std::string& accountId, const std::string& accountName,
               const VoServices::ImportOptions& options, VoServices::ImportOutcome& outcome) {
  RunLogScope scope;
  RunLog* log = RunLog::Instance(logFolder + accountName + "-" + LogStamp() + ".log", kComponent);
  outcome.logPath = log->path();
  log->Info("Orbel Account Name: " + accountName);
  log->Info("Account ID: " + accountId);
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
  outcome = importer.outcome();
  outcome.logPath = std::move(logPath);
  log->Info(imported ? "File Import SUCCESSFUL" : "File Import FAILED");
}

}  // namespace

namespace VoServices {

bool ImportFile(const std::string& filePath, const std::string& logFolder,
                const std::string& accountId, const std::string& accountName,
                ProgressCallback /*progress*/) {
  ImportOutcome outcome;
  RunImport(filePath, logFolder, accountId, accountName, ImportOptions{}, outcome);
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
  }
  return outcome;
}

bool CanImportFile(const std::string& filePath) {
  RunLogScope scope;
  RunLog::Instance("", kComponent);
  FileImporter importer("");
  return importer.CanImport(filePath);
}

std::string IdentifyFileFormat(const std::string& filePath) {
  RunLogScope scope;
  RunLog::Instance("", kComponent);
  FileImporter importer("");
  return importer.Identify(filePath);
}

bool UpdateSymbols(std::string url, ProgressCallback progress) {
  return RunSymbolUpdate(std::move(url), progress);
}

bool ApplySmartTime(const std::vector<std::string>& transactionIds, ProgressCallback /*progress*/) {
  MaintenanceRunner runner;
  return runner.ApplySmartTimeCore(transactionIds);
}

bool ExpireOptions(const std::map<std::string, std::string>& idToQuantity,
                   ProgressCallback /*progress*/) {
  MaintenanceRunner runner;
  return runner.ExpireOptionsCore(idToQuantity);
}

}  // namespace VoServices
