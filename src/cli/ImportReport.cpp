#include "cli/ImportReport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string_view>

#include "cli/Command.h"
#include "voservices/Ledger.h"
#include "voservices/OpenDatabase.h"

namespace {

constexpr size_t kShownLineChars = 80;

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

}  // namespace

std::string ImportFailureReason(const std::string& path, const std::string& shown,
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

std::string ImportOutcomeLine(const VoServices::ImportOutcome& outcome) {
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

int ImportRefusal(const VoServices::ImportOutcome& outcome, std::string& line) {
  line.clear();
  const uint64_t refused = outcome.transactionsRefused;
  if (refused == 0) return 0;
  if (outcome.transactionsStored == 0) {
    line = "import stored nothing: the database refused all " + std::to_string(refused) +
           " transactions; the first, " + outcome.firstRefusal;
    return kExitFalse;
  }
  line = "the database refused " + std::to_string(refused) + " of the file's transactions; the first, " +
         outcome.firstRefusal;
  return kExitRowsRefused;
}

bool OpenForDryRun(std::string& error) {
  if (VoServices::OpenDatabaseToRead(error)) return true;
  std::string memoryError;
  return DatabaseFileMissing() && VoServices::OpenDatabase(":memory:", memoryError);
}
