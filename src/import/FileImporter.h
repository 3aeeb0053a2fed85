// Runs one import of one file for one account: finds the format whose header
// the file carries, parses the rest of the file, decodes it and writes the new
// symbols and every transaction, all in one database transaction. Reports only
// through the run log that its caller opened, and closes that log when it goes.
// Lives for one call of ImportFile or CanImportFile.
#pragma once

#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "import/SymbolMap.h"
#include "import/TextInput.h"
#include "import/TransactionMap.h"
#include "voservices/ImportRunInfo.h"
#include "voservices/ImportTypes.h"

namespace vo {

class CsvParser;
class DbTransaction;
class DuplicateFilter;
class HSymboDAO;
class ImportRunDAO;
class LayoutParser;
class RunLog;
struct Layout;

class FileImporter {
 public:
  // With one parser of every known format for the account.
  explicit FileImporter(const std::string& accountId);
  // With the given parsers instead, tried in their order (tests use it).
  explicit FileImporter(std::vector<std::unique_ptr<CsvParser>> parsers,
                        const std::string& accountId = "");
  // Destroys the parsers, then closes and discards the run log.
  ~FileImporter();
  FileImporter(const FileImporter&) = delete;
  FileImporter& operator=(const FileImporter&) = delete;

  // The whole import. False when the database or the file cannot be opened,
  // no known header is found, decoding fails or the symbols cannot be read;
  // refused lines and failed inserts are logged and do not make it false.
  // A number that a parser cannot convert throws the std::string conversion
  // error through it; the database is then left as it was.
  bool Import(const std::string& filePath);
  // Whether the file opens and one of its first 25 lines is a known header
  // (or a layout's, within the lines it searches).
  bool CanImport(const std::string& filePath);
  // The name of the format whose header the file carries; empty when none.
  // With `brokerAccounts`, the file is read through and the broker accounts
  // its rows name are given there (none when its format names none).
  std::string Identify(const std::string& filePath, std::vector<std::string>* brokerAccounts = nullptr);

  // Options for the next Import; the defaults are ImportFile's behaviour.
  void SetOptions(const VoServices::ImportOptions& options) { options_ = options; }
  // What the last Import did, apart from the log path and the conversion error.
  const VoServices::ImportOutcome& outcome() const { return outcome_; }

 private:
  // The next non-empty line, without its line end and (with `unquote`)
  // without quotes that enclose the whole line. False at the end of the file.
  bool ReadLine(std::string& line, bool unquote = true);
  // The parser whose header is on one of the first 25 lines; else the
  // layout whose header (or title) is within the lines it searches; null if
  // none, with the fatal line.
  CsvParser* MatchParser();
  // The layouts' turn, once no format took any of the first lines: those
  // lines again as read, then further lines as far as a layout searches.
  CsvParser* MatchLayout();
  // The layout of options_.layoutFile, when one is named: false, with the
  // import failed, when it cannot be used.
  bool LoadChosenLayout();
  // Offers every further line to the parser; the number it accepted.
  unsigned ParseAll(CsvParser& parser);
  // Whether the file may be imported: a file whose content the account
  // already imported is logged as a Warning, and refused with the once option.
  bool CheckReimport(ImportRunDAO& runs);
  std::string AlreadyImported(const VoServices::ImportRunInfo& previous) const;
  // With the once option, inside the write transaction: true (with the
  // reason) when an import of this content committed since CheckReimport, or
  // when that cannot be read.
  bool RefusedUnderLock(ImportRunDAO& runs, const DbTransaction& writes);
  bool DecodeAndStore(CsvParser& parser, HSymboDAO& symbolDao);
  // How one attempt at the write phase ended.
  enum class Written {
    kStored,
    kFailed,      // with the reason
    kAgain,       // the database asked for the writes to be done again
    kCommitLost,  // the connection was lost with the commit on its way
  };
  Written WriteAttempt(const SymbolMap& symbols, const TransactionMap& transactions,
                       HSymboDAO& symbolDao);
  // True, keeping the reason for the next attempt, when the failure that
  // ended the write transaction asks for the writes to be done again.
  bool Retrying(const DbTransaction& writes);
  // After a commit whose answer was lost: whether the run was stored, found
  // out on a new connection; kFailed (with the reason) when it was not, or
  // when that cannot be found out.
  Written LookUpCommit();
  // The dry run's end of DecodeAndStore: counts and hands out what would be
  // written, and writes nothing.
  bool ReportWithoutWriting(const SymbolMap& symbols, const TransactionMap& transactions,
                            HSymboDAO& symbolDao);
  // The rows and the record of the run, in the caller's database transaction.
  bool WriteRun(const SymbolMap& symbols, const TransactionMap& transactions, HSymboDAO& symbolDao,
                ImportRunDAO& runs, const DbTransaction& writes);
  // Both walk the map in key order; a refused row is logged and the rest go
  // on, but a failure that ends the transaction (a full disk, an I/O error)
  // ends the write phase: false, and nothing is committed. Each row written
  // is linked to the run.
  bool WriteSymbols(const SymbolMap& symbols, HSymboDAO& symbolDao, ImportRunDAO& runs,
                    const DbTransaction& writes);
  // Skips what `duplicates` says.
  bool WriteTransactions(const TransactionMap& transactions, const DuplicateFilter* duplicates,
                         ImportRunDAO& runs, const DbTransaction& writes);
  // The decoded symbols that sym_table already holds, into `known`; false
  // when they cannot be read.
  bool ReadKnownSymbols(const SymbolMap& symbols, HSymboDAO& symbolDao, std::set<std::string>& known);
  // After a failed insert: true, with a fatal line, when the failure ended the transaction.
  bool WriteFailed(const DbTransaction& writes);
  // A fatal line for a run record or link that could not be written (the
  // write failure's when it ended the transaction); false.
  bool RunNotRecorded(const DbTransaction& writes);
  // Keeps a run that ended before its writes in the record, on its own.
  void RecordUnwrittenRun(ImportRunDAO& runs);
  // A Warning naming the transaction when its quantity is not a number.
  void WarnOfQuantity(std::string_view key, const TransactionFields& fields);
  // On the options path, why the database refused the row just named.
  void LogRefusal(const std::string& reason);
  // Logs a fatal line and keeps it as the reason the import failed.
  void Fail(VoServices::ImportFailure kind, const std::string& reason);
  // Reports progress to the options' callback, at most about once a percent.
  void ReportProgress(bool last);

  RunLog* log_;
  std::string accountId_;
  // The record of this run: filled as the import goes, stored with its writes.
  VoServices::ImportRunInfo run_;
  std::vector<std::unique_ptr<CsvParser>> parsers_;
  // The layouts, made when no format took the file, and the one that did.
  std::shared_ptr<const Layout> chosenLayout_;
  std::vector<std::unique_ptr<LayoutParser>> layouts_;
  LayoutParser* layout_ = nullptr;
  // The lines the formats were offered, as read (with their numbers), for
  // the layouts' turn; and those of them ReadLine serves again first.
  std::vector<std::pair<unsigned, std::string>> searched_;
  std::deque<std::pair<unsigned, std::string>> replay_;
  // Physical lines read, empty ones included: during parsing, the 1-based
  // number of the line last read.
  unsigned lineCounter_ = 0;
  TextInput input_;
  VoServices::ImportOptions options_;
  VoServices::ImportOutcome outcome_;
  uint64_t reportedBytes_ = 0;
  // The file was refused as imported before (nothing is recorded of it).
  bool refused_ = false;
  // Why the last write attempt is to be done again; empty when it is not.
  std::string retryReason_;
};

}  // namespace vo
