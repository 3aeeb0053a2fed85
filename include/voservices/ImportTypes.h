// The import's options and outcome, apart from the functions that take and
// give them, so that the library's parts can name them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace VoServices {

// How far an import has read its file. totalBytes is 0 when the size is not
// known (standard input, a pipe).
struct ImportProgress {
  uint64_t bytesRead = 0;
  uint64_t totalBytes = 0;
  uint64_t linesRead = 0;
};

// Called on the importing thread while the file is parsed, at most about a
// hundred times a run and once at its end; userData is passed back unchanged.
typedef void (*ImportProgressFunction)(const ImportProgress& progress, void* userData);

// Called in a dry run once for each transaction the import would store, in
// the order it would store them: trans_table's columns in table order, each
// the text the import would write (empty when it sets none; trans_id is given
// by the database on storing, so it is always empty here). The cells are
// valid during the call only.
typedef void (*ImportRowFunction)(const std::vector<std::string>& cells, void* userData);

struct ImportOptions {
  ImportProgressFunction progress = nullptr;
  void* progressUserData = nullptr;
  // Refuse a file whose content was already imported for the account (and
  // not undone): nothing is written and the import fails.
  bool once = false;
  // Leave out every decoded transaction whose stored content (every column
  // but the id) the account already has, one stored row per occurrence.
  bool skipDuplicates = false;
  // Parse and decode the file and count what would be stored, but write
  // nothing to the database. The outcome's counts are then those the import
  // would have stored; the run log is still written.
  bool dryRun = false;
  ImportRowFunction row = nullptr;  // used in a dry run only
  void* rowUserData = nullptr;
  // Run the whole import on the calling thread. By default a second thread
  // hashes the file while it is parsed, orders the transactions while the
  // symbols are written and unpacks the next rows while rows are written;
  // the outcome, the log and every stored row are the same either way.
  bool singleThreaded = false;
  // Layouts (docs/LAYOUTS.md) are tried when none of the library's formats
  // knows the file, in this order: layoutFile, the built-in layouts, then
  // moreLayoutFiles. A layoutFile that cannot be used fails the import (and
  // CanImport and Identify) with its problems; a file of moreLayoutFiles that
  // cannot be used is left out with a Warning in the log. Empty: none.
  std::string layoutFile;
  std::vector<std::string> moreLayoutFiles;  // UserLayoutFiles() gives the user's (Layouts.h)
  // For a file that holds the rows of several broker accounts: the account
  // whose rows to import. Without it such a file is refused, naming its
  // accounts; a file of one account imports either way.
  std::string brokerAccount;
  // The name the run record keeps for the file, when the path read is not
  // the user's own (a temporary copy of standard input, for instance).
  // Empty: the file's absolute path.
  std::string recordedName;
  // A line of only separators, blanks and quotes (",,,,", as a spreadsheet
  // saves an empty row) is skipped as an empty line is. ImportFile, which
  // keeps each format's own reading, hands such a line to the format.
  bool separatorLinesAreEmpty = true;
  // A row the database refuses gets a second Error line with the database's
  // reason. ImportFile keeps its one line a row.
  bool refusalReasonsLogged = true;
};

// Why an import failed, for code to branch on; the failure text says it for
// people. Hosts never need to read the text to tell these apart.
enum class ImportFailure : uint8_t {
  kNone,               // it did not fail
  kFileUnreadable,     // the file could not be opened or read
  kUnknownFormat,      // no format or layout knows its header
  kLayoutUnusable,     // the layout file named in the options has problems
  kBrokerAccount,      // a file of several broker accounts, and none (or no such one) chosen
  kDatabaseUnusable,   // the database could not be opened, read or checked
  kAlreadyImported,    // refused with `once`: the account already has this content
  kConversionError,    // a number could not be converted; nothing was stored
  kWriteFailed,        // the writes or their commit failed; nothing was stored
  kCommitUnknown,      // the connection was lost during the commit; see commitUnknown
};

// What one import did. The counts are those of its run log.
struct ImportOutcome {
  bool imported = false;         // what ImportFile returns for the same run
  bool dryRun = false;           // nothing was written: the counts are what would be
  std::string format;            // the format recognised; empty when none was
  uint64_t linesRefused = 0;     // lines the format's parser could not read
  uint64_t transactionsStored = 0;
  uint64_t transactionsRefused = 0;  // decoded but not inserted
  // The first transaction the database refused and its reason ("transaction
  // KEY: REASON"); empty when it refused none.
  std::string firstRefusal;
  uint64_t symbolsAdded = 0;
  std::string logPath;           // the run log written; empty when none was
  std::string logError;          // why no run log, or not all of it, could be written; empty when it was
  std::string failure;           // why the import failed; empty when it did not
  ImportFailure failureKind = ImportFailure::kNone;
  std::string conversionError;   // the conversion error ImportFile would throw
  // The line of the file being parsed when the conversion error came; 0 when
  // it came while the parsed records were decoded.
  uint64_t conversionLine = 0;
  uint64_t runId = 0;            // the run recorded for this import; 0 when none was
  // The earlier run that imported the same content for the account; 0 when
  // there was none (a re-import is logged as a Warning).
  uint64_t previousRunId = 0;
  uint64_t duplicatesSkipped = 0;  // with skipDuplicates
  // The broker accounts the file's rows name, in the order first seen (a
  // layout's file of several accounts); empty when its format names none.
  std::vector<std::string> brokerAccounts;
  // How many times the writes were made: more than 1 when the database asked
  // for them to be done again (a deadlock, another server of a cluster
  // writing at once); 0 when nothing was written.
  uint32_t writeAttempts = 0;
  // The connection was lost while the commit was on its way and the
  // database could not be asked whether it took place: the run (runId is 0;
  // failure names the run to look for) may or may not be stored.
  bool commitUnknown = false;
};

}  // namespace VoServices
