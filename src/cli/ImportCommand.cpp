// vo import: one file (or standard input) into the database for one account.
//   1. standard input ("-") is copied to a temporary file first;
//   2. the import runs with a progress bar when stderr is a terminal and the
//      file is large, and in a dry run hands its rows to a RowWriter;
//   3. one line on stderr tells the outcome, or the reason the import failed.
#include <sys/stat.h>
#include <unistd.h>

#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/Command.h"
#include "cli/ImportReport.h"
#include "cli/ImportRunOptions.h"
#include "cli/LayoutOptions.h"
#include "cli/ProgressBar.h"
#include "cli/RowWriter.h"
#include "cli/StdinCopy.h"
#include "voservices/ImportOptions.h"
#include "voservices/Ledger.h"
#include "voservices/OpenDatabase.h"

namespace {

// Smaller files import in well under a second: no bar.
constexpr uint64_t kProgressMinBytes = 1 << 20;

struct ImportArgs {
  std::string file;
  std::string accountId;
  std::string accountName;
  std::string logDir;
  bool quiet = false;
  bool dryRun = false;
  std::string format = "table";
  VoServices::ImportOptions options;
};

// A dry run's rows, written as `vo show` writes trans_table: each cell in the
// form it would be stored in and read back in, so the preview matches what
// the import then stores.
class DryRunRows {
 public:
  explicit DryRunRows(RowWriter::Format format) : writer_(format, std::cout) {
    writer_.Columns(LedgerTableNamed("trans_table").columns);
  }
  static void Receive(const std::vector<std::string>& cells, void* self) {
    static_cast<DryRunRows*>(self)->writer_.Row(VoServices::TransactionAsReadBack(cells));
  }
  void Finish() { writer_.Finish(); }

 private:
  RowWriter writer_;
};

// An import the database refused rows of is not a clean one: said even with
// --quiet, and told apart by the exit code from one that stored nothing.
int RefusedRowsExit(const VoServices::ImportOutcome& outcome) {
  std::string line;
  const int status = ImportRefusal(outcome, line);
  if (!line.empty()) std::cerr << "vo: " << line << std::endl;
  return status;
}

bool OpenDatabaseForDryRun() {
  std::string error;
  if (OpenForDryRun(error)) return true;
  std::cerr << "vo: import failed: " << error << std::endl;
  return false;
}

bool IsLarge(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && static_cast<uint64_t>(info.st_size) >= kProgressMinBytes;
}

int RunImport(ImportArgs args) {
  if (args.logDir.empty()) args.logDir = DefaultLogFolder();
  if (args.logDir.back() != '/') args.logDir += '/';

  StdinCopy stdinCopy;
  std::string path = args.file;
  std::string shown = args.file;
  if (args.file == "-") {
    std::string error;
    if (!stdinCopy.Copy(error)) {
      std::cerr << "vo: import failed: " << error << std::endl;
      return kExitFalse;
    }
    path = stdinCopy.path();
    shown = "standard input";
  }

  VoServices::ImportOptions options = args.options;
  if (args.file == "-") options.recordedName = "-";  // the copy is gone after the import
  UseUserLayouts(options);
  std::optional<ProgressBar> bar;
  if (!args.quiet && isatty(STDERR_FILENO) && IsLarge(path)) {
    bar.emplace(stderr);
    options.progress = ProgressBar::Report;
    options.progressUserData = &*bar;
  }
  std::optional<DryRunRows> rows;
  if (args.dryRun) {
    if (!OpenDatabaseForDryRun()) return kExitFalse;
    rows.emplace(*RowWriter::FormatNamed(args.format));
    options.dryRun = true;
    options.row = DryRunRows::Receive;
    options.rowUserData = &*rows;
  }

  VoServices::ImportOutcome outcome =
      VoServices::ImportFileWithOptions(path, args.logDir, args.accountId, args.accountName, options);
  if (bar) bar->Clear();
  if (rows) {
    rows->Finish();
  } else if (!outcome.logPath.empty() && !args.quiet) {
    std::cout << outcome.logPath << std::endl;
  }
  if (!outcome.logError.empty()) {
    std::cerr << "vo: " << (outcome.logPath.empty() ? "no run log was written: " : "") << outcome.logError << std::endl;
  }
  ReportImportRun(args.options, outcome, std::cerr);
  if (!outcome.imported) {
    std::cerr << "vo: import failed: " << ImportFailureReason(path, shown, outcome);
    if (outcome.brokerAccounts.size() > 1 && options.brokerAccount.empty()) {
      std::cerr << " Import one with --broker-account " << outcome.brokerAccounts.front() << ", ...";
    }
    std::cerr << std::endl;
    return outcome.conversionError.empty() ? kExitFalse : kExitConversionError;
  }
  if (!args.quiet) std::cerr << "vo: " << ImportOutcomeLine(outcome) << std::endl;
  return RefusedRowsExit(outcome);
}

}  // namespace

Command AddImportCommand(CLI::App& app) {
  auto args = std::make_shared<ImportArgs>();
  CLI::App* import = app.add_subcommand("import", "Import a transaction file for one account");
  import->add_option("FILE", args->file, "File to import; - reads standard input")->required();
  import->add_option("--account-id", args->accountId, "Account id")->required();
  import->add_option("--account-name", args->accountName, "Account name (names the log file)")->required();
  import->add_option("--log-dir", args->logDir, "Folder for the log file (default: $XDG_STATE_HOME/vo/logs, or ~/.local/state/vo/logs)");
  import->add_flag("--dry-run", args->dryRun,
                   "Parse and decode, print what would be stored, write nothing to the database");
  import->add_option("--format", args->format,
                     "How a dry run prints its rows: table, csv, tsv, json or ndjson")
      ->check(CLI::IsMember(RowWriter::FormatNames()))
      ->capture_default_str();
  import->add_flag("-q,--quiet", args->quiet, "No progress bar, log path or outcome line (failures still show)");
  AddImportRunOptions(*import, args->options);
  AddLayoutOptions(*import, args->options, true);
  return {import, [args] { return RunImport(*args); }};
}
