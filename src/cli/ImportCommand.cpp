// vo import: one file (or standard input) into the database for one account.
//   1. standard input ("-") is copied to a temporary file first;
//   2. the import runs with a progress bar when stderr is a terminal and the
//      file is large, and in a dry run hands its rows to a RowWriter;
//   3. one line on stderr tells the outcome, or the reason the import failed.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cli/Command.h"
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
constexpr size_t kShownLineChars = 80;

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

// The first non-empty line of the file, cut for showing. Only the file's
// first bytes are read: a file without line breaks is one line as long as
// the file.
std::string FirstLine(const std::string& path) {
  constexpr size_t kHeadBytes = 64 * 1024;
  std::ifstream in(path, std::ios::binary);
  std::string head(kHeadBytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  std::string_view line;
  for (size_t start = 0; start < head.size();) {
    const size_t end = std::min(head.find('\n', start), head.size());
    line = std::string_view(head).substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) break;
    start = end + 1;
  }
  if (line.size() > kShownLineChars) return std::string(line.substr(0, kShownLineChars)) + "...";
  return std::string(line);
}

// The one line that says why the import failed.
std::string FailureReason(const std::string& path, const std::string& shown,
                          const VoServices::ImportOutcome& outcome) {
  if (!outcome.conversionError.empty()) {
    std::string where = outcome.conversionLine != 0
                            ? "at line " + std::to_string(outcome.conversionLine) + " of " + shown
                            : "while decoding " + shown;
    return "conversion error " + where + ": " + outcome.conversionError;
  }
  switch (outcome.failureKind) {
    case VoServices::ImportFailure::kFileUnreadable: {
      const std::string why = OpenFailure(path, shown);
      return why.empty() ? outcome.failure : why;
    }
    case VoServices::ImportFailure::kUnknownFormat:
      return "unknown format: no known header in the first lines of " + shown + "; first line: " + FirstLine(path);
    case VoServices::ImportFailure::kDatabaseUnusable:
      // Its texts name no reason of their own.
      return "cannot use the database: " + VoServices::LastDatabaseError();
    default:
      return outcome.failure.empty() ? "not imported" : outcome.failure;
  }
}

std::string OutcomeLine(const VoServices::ImportOutcome& outcome) {
  std::string line;
  if (outcome.dryRun) {
    line = "dry run of " + outcome.format + ": " + std::to_string(outcome.transactionsStored) +
           " transactions and " + std::to_string(outcome.symbolsAdded) +
           " symbols would be stored, " + std::to_string(outcome.linesRefused) +
           " lines refused; nothing written";
  } else {
    line = "imported " + outcome.format + ": " + std::to_string(outcome.transactionsStored) +
           " transactions stored, " + std::to_string(outcome.transactionsRefused) + " refused, " +
           std::to_string(outcome.symbolsAdded) + " symbols added, " +
           std::to_string(outcome.linesRefused) + " lines refused";
    if (outcome.writeAttempts > 1) {
      line += ", written in " + std::to_string(outcome.writeAttempts) + " attempts";
    }
  }
  return line + "; log " + outcome.logPath;
}

// Run logs go where a user's other tools keep theirs ($XDG_STATE_HOME, else
// ~/.local/state), not into whatever folder the command happens to run in.
// Where that folder cannot be made, the current one serves, and vo says so.
std::string DefaultLogFolder() {
  std::filesystem::path folder;
  const char* state = std::getenv("XDG_STATE_HOME");
  const char* home = std::getenv("HOME");
  if (state && *state == '/') {
    folder = std::filesystem::path(state) / "vo" / "logs";
  } else if (home && *home == '/') {
    folder = std::filesystem::path(home) / ".local" / "state" / "vo" / "logs";
  } else {
    return "./";
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::cerr << "vo: cannot make the log folder " << folder.string() << " (" << error.message()
              << "); the run log goes to the current folder" << std::endl;
    return "./";
  }
  return folder.string() + "/";
}

// An import the database refused rows of is not a clean one: said even with
// --quiet, and told apart by the exit code from one that stored nothing.
int RefusedRowsExit(const VoServices::ImportOutcome& outcome) {
  const uint64_t refused = outcome.transactionsRefused;
  if (refused == 0) return 0;
  if (outcome.transactionsStored == 0) {
    std::cerr << "vo: import stored nothing: the database refused all " << refused
              << " transactions; the first, " << outcome.firstRefusal << std::endl;
    return kExitFalse;
  }
  std::cerr << "vo: the database refused " << refused << " of the file's transactions; the first, "
            << outcome.firstRefusal << std::endl;
  return kExitRowsRefused;
}

// A dry run reads the database and never writes or makes one: it opens the
// database to read, and where there is no database file yet an empty one in
// memory stands in for it (everything in the file would then be stored).
bool OpenForDryRun() {
  std::string error;
  if (VoServices::OpenDatabaseToRead(error)) return true;
  std::string memoryError;
  if (DatabaseFileMissing() && VoServices::OpenDatabase(":memory:", memoryError)) return true;
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
    if (!OpenForDryRun()) return kExitFalse;
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
    std::cerr << "vo: import failed: " << FailureReason(path, shown, outcome);
    if (outcome.brokerAccounts.size() > 1 && options.brokerAccount.empty()) {
      std::cerr << " Import one with --broker-account " << outcome.brokerAccounts.front() << ", ...";
    }
    std::cerr << std::endl;
    return outcome.conversionError.empty() ? kExitFalse : kExitConversionError;
  }
  if (!args.quiet) std::cerr << "vo: " << OutcomeLine(outcome) << std::endl;
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
