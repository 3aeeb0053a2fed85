// vo import: one file into the database for one account.
#include <iostream>
#include <memory>
#include <string>

#include "cli/Command.h"
#include "cli/ImportRunOptions.h"
#include "voservices/ImportOptions.h"

namespace {

struct ImportArgs {
  std::string file;
  std::string accountId;
  std::string accountName;
  std::string logDir;
  VoServices::ImportOptions options;
};

int RunImport(ImportArgs args) {
  if (args.logDir.empty()) args.logDir = "./";
  if (args.logDir.back() != '/') args.logDir += '/';
  VoServices::ImportOutcome outcome =
      VoServices::ImportFileWithOptions(args.file, args.logDir, args.accountId, args.accountName,
                                        args.options);
  if (!outcome.logPath.empty()) std::cout << outcome.logPath << std::endl;
  ReportImportRun(args.options, outcome, std::cerr);
  if (!outcome.conversionError.empty()) {
    std::cerr << "vo: import stopped: " << outcome.conversionError << std::endl;
    return kExitConversionError;
  }
  return ExitFor(outcome.imported);
}

}  // namespace

Command AddImportCommand(CLI::App& app) {
  auto args = std::make_shared<ImportArgs>();
  CLI::App* import = app.add_subcommand("import", "Import a transaction file for one account");
  import->add_option("FILE", args->file, "File to import")->required();
  import->add_option("--account-id", args->accountId, "Account id")->required();
  import->add_option("--account-name", args->accountName, "Account name (names the log file)")->required();
  import->add_option("--log-dir", args->logDir, "Folder for the log file (default: current directory)");
  AddImportRunOptions(*import, args->options);
  return {import, [args] { return RunImport(*args); }};
}
