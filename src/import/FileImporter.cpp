// One import, in this order:
//   1. connect to the database and open the file;
//   2. MatchParser: find a known header among the first 25 lines, else a
//      layout's header (or title) as far as the layout searches;
//   3. ParseAll: hand every further line to that format's parser;
//   4. CheckReimport: with the whole file read (and hashed), look for an earlier
//      run of the same content for the account;
//   5. DecodeAndStore: decode the records into symbols and transactions, then
//      in one database transaction, under the database's writer lock, check
//      again for an earlier run (once) and for stored duplicates (when asked),
//      record the run, insert the symbols sym_table lacks and every
//      transaction, each linked to the run. When the database asks for it (a
//      deadlock, another node of a cluster winning), all of step 5's writes
//      are done again from the decoded rows, a few times at most; when the
//      answer to the commit is lost, the run is looked up to tell whether it
//      was stored;
//   6. a run that ended before its writes is recorded on its own.
//   A dry run stops after decoding: it counts what would be written, hands
//   each transaction to the options' row function, and writes nothing (no
//   rows, no run record).
#include "import/FileImporter.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <random>
#include <set>
#include <thread>
#include <utility>

#include "db/HSymboDAO.h"
#include "db/HTransDAO.h"
#include "db/TableColumns.h"
#include "db/ImportRunDAO.h"
#include "db/TransactionLinks.h"
#include "import/CsvParser.h"
#include "import/DuplicateFilter.h"
#include "import/KnownParsers.h"
#include "import/WorkerThread.h"
#include "import/layouts/LayoutCatalog.h"
#include "import/layouts/LayoutParser.h"
#include "import/WritePhasePause.h"
#include "ledgerdb/Database.h"
#include "ledgerdb/DbTransaction.h"
#include "logging/RunLog.h"
#include "values/DateTime.h"
#include "values/DecimalText.h"
#include "values/Utf8Text.h"

namespace vo {

using VoServices::ImportFailure;

namespace {

constexpr unsigned kHeaderSearchLines = 25;
// No header is this long: a longer line is read past, not kept, so a file
// with no line breaks costs no more memory than a short one.
constexpr size_t kHeaderLineBytes = 64 * 1024;
// No broker writes a transaction this long; a longer line is refused.
constexpr size_t kDataLineBytes = 8 * 1024 * 1024;
constexpr size_t kHeaderShownChars = 40;
constexpr char kImported[] = "imported";
constexpr char kFailed[] = "failed: ";
// Writes of one import, counting the first: enough for a few writers that
// keep colliding to get through one after another.
constexpr unsigned kWriteAttempts = 5;

std::string Count(size_t n) { return ToText(static_cast<unsigned long>(n)); }

// The wait before attempt `attempt` (2, 3, ...): longer each time, and partly
// random, so that writers that collided do not meet again at once.
std::chrono::milliseconds PauseBefore(unsigned attempt) {
  static thread_local std::minstd_rand random{std::random_device{}()};
  const int base = 50 << (attempt - 2);
  return std::chrono::milliseconds(base + std::uniform_int_distribution<int>(0, base)(random));
}

// Drops the double quotes that enclose a whole line, unless the one before
// the closing quote is a quote too; a line of blanks stays as it is.
void UnquoteWholeLine(std::string& line) {
  size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return;
  size_t last = line.find_last_not_of(' ');
  if (last > first && line[first] == '"' && line[last] == '"' && line[last - 1] != '"') {
    line.erase(last);
    line.erase(0, first + 1);
  }
}

// Whether a line holds nothing but separators, blanks and quotes.
bool IsSeparatorLine(const std::string& line) { return line.find_first_not_of(",\t \"") == std::string::npos; }

std::string ProblemText(const LayoutProblem& problem) {
  return (problem.line ? "line " + ToText(problem.line) + ": " : std::string()) + problem.reason;
}

}  // namespace

FileImporter::FileImporter(const std::string& accountId)
    : FileImporter(MakeKnownParsers(accountId), accountId) {}

FileImporter::FileImporter(std::vector<std::unique_ptr<CsvParser>> parsers,
                           const std::string& accountId)
    : log_(RunLog::Instance("", "")), accountId_(accountId), parsers_(std::move(parsers)) {}

FileImporter::~FileImporter() {
  parsers_.clear();
  RunLog::Destroy();
}

bool FileImporter::Import(const std::string& filePath) {
  outcome_ = {};
  run_ = {};
  run_.accountId = accountId_;
  // The record outlives the working folder the path may be relative to.
  std::error_code unknown;
  std::filesystem::path absolute = std::filesystem::absolute(filePath, unknown);
  run_.filePath = !options_.recordedName.empty() ? options_.recordedName : unknown ? filePath : absolute.string();
  run_.logPath = log_->path();
  run_.started = DateTime::Now().ToDisplayText();
  reportedBytes_ = 0;
  HSymboDAO symbolDao;
  if (!symbolDao.init()) {
    log_->Fatal("Failed voDao.init in VoServices::ImportPensonTrans2008.");
    Fail(ImportFailure::kDatabaseUnusable, "Unable to open VO DB: " + Database::Instance()->LastError());
    return false;
  }
  ImportRunDAO runs;
  refused_ = false;
  input_.SetHashOnOwnThread(!options_.singleThreaded);
  if (!LoadChosenLayout()) {
    // The import failed before the file was read.
  } else if (!input_.Open(filePath)) {
    Fail(ImportFailure::kFileUnreadable, "Failed in FileImporter - Unable to open " + filePath);
  } else if (CsvParser* parser = MatchParser()) {
    outcome_.format = parser->FormatName();
    ParseAll(*parser);
    run_.sha256 = input_.ContentSha256();
    run_.fileSize = input_.contentBytes();
    if (layout_) outcome_.brokerAccounts = layout_->brokerAccounts();
    const std::string refusal = layout_ ? layout_->Refusal() : "";
    if (!refusal.empty()) {
      Fail(ImportFailure::kBrokerAccount, refusal);
    } else if (CheckReimport(runs)) {
      outcome_.imported = DecodeAndStore(*parser, symbolDao);
    }
  }
  input_.Close();
  // A refused file leaves nothing behind, not even a run; nor does a dry run,
  // nor a commit whose outcome could not be found out.
  if (!options_.dryRun && outcome_.runId == 0 && !refused_ && !outcome_.commitUnknown) {
    RecordUnwrittenRun(runs);
  }
  return outcome_.imported;
}

bool FileImporter::CanImport(const std::string& filePath) {
  if (!LoadChosenLayout()) return false;
  if (!input_.Open(filePath)) {
    log_->Fatal("Failed in FileImporter - Unable to open " + filePath);
    return false;
  }
  bool known = MatchParser() != nullptr;
  input_.Close();
  return known;
}

std::string FileImporter::Identify(const std::string& filePath,
                                   std::vector<std::string>* brokerAccounts) {
  if (brokerAccounts) brokerAccounts->clear();
  if (!LoadChosenLayout() || !input_.Open(filePath)) return "";
  CsvParser* parser = MatchParser();
  if (parser && layout_ && brokerAccounts) {
    ParseAll(*parser);
    *brokerAccounts = layout_->brokerAccounts();
  }
  input_.Close();
  return parser ? parser->FormatName() : "";
}

bool FileImporter::LoadChosenLayout() {
  chosenLayout_.reset();
  if (options_.layoutFile.empty()) return true;
  LayoutEntry entry = LoadLayoutFile(options_.layoutFile);
  if (entry.layout) {
    chosenLayout_ = entry.layout;
    return true;
  }
  for (const LayoutProblem& problem : entry.problems) {
    log_->Error("Layout " + options_.layoutFile + ": " + ProblemText(problem));
  }
  Fail(ImportFailure::kLayoutUnusable,
       "The layout " + options_.layoutFile + " cannot be used: " + ProblemText(entry.problems.front()));
  return false;
}

bool FileImporter::ReadLine(std::string& line, bool unquote) {
  while (!replay_.empty()) {
    lineCounter_ = replay_.front().first;
    line = std::move(replay_.front().second);
    replay_.pop_front();
    if (unquote) UnquoteWholeLine(line);
    if (!line.empty()) return true;
  }
  while (input_.ReadLine(line)) {
    ++lineCounter_;
    // A CRLF file reads like an LF one.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (unquote) UnquoteWholeLine(line);
    if (!line.empty()) return true;
  }
  return false;
}

CsvParser* FileImporter::MatchParser() {
  lineCounter_ = 0;
  layout_ = nullptr;
  searched_.clear();
  replay_.clear();
  input_.SetLineLimit(kHeaderLineBytes);
  std::string line;
  while (ReadLine(line, false)) {
    searched_.emplace_back(lineCounter_, line);
    UnquoteWholeLine(line);
    if (line.empty()) continue;
    size_t misspelt = line.find("Commision");
    if (misspelt != std::string::npos) line.replace(misspelt, 9, "Commission");
    for (const std::unique_ptr<CsvParser>& parser : parsers_) {
      if (!parser->MatchesHeader(line)) continue;
      log_->Info("Header: " + line.substr(0, kHeaderShownChars) + "...");
      log_->EndLine();
      searched_.clear();
      return parser.get();
    }
    if (lineCounter_ >= kHeaderSearchLines) break;
  }
  if (CsvParser* parser = MatchLayout()) return parser;
  Fail(ImportFailure::kUnknownFormat, "Unable to match a parser for given file.");
  return nullptr;
}

CsvParser* FileImporter::MatchLayout() {
  layouts_.clear();
  auto add = [&](const std::shared_ptr<const Layout>& layout) {
    layouts_.push_back(std::make_unique<LayoutParser>(layout, accountId_, options_.brokerAccount));
  };
  if (chosenLayout_) add(chosenLayout_);
  for (const LayoutEntry& entry : BuiltInLayouts()) {
    if (entry.layout) add(entry.layout);
  }
  for (const std::string& file : options_.moreLayoutFiles) {
    LayoutEntry entry = LoadLayoutFile(file);
    if (entry.layout) {
      add(entry.layout);
    } else {
      log_->Warning("Layout " + file + " left out: " + ProblemText(entry.problems.front()));
    }
  }
  unsigned reach = 0;
  for (const std::unique_ptr<LayoutParser>& parser : layouts_) reach = std::max(reach, parser->searchLines());

  // The lines the formats saw come again first (ReadLine serves them), then
  // more as far as a layout searches; those after the header are the rows.
  replay_.assign(searched_.begin(), searched_.end());
  searched_.clear();
  std::string line;
  while ((!replay_.empty() || lineCounter_ < reach) && ReadLine(line, false)) {
    for (const std::unique_ptr<LayoutParser>& parser : layouts_) {
      if (lineCounter_ > parser->searchLines() || !parser->MatchesHeader(line)) continue;
      log_->Info("Header: " + line.substr(0, kHeaderShownChars) + "...");
      log_->EndLine();
      layout_ = parser.get();
      return layout_;
    }
  }
  replay_.clear();
  return nullptr;
}

unsigned FileImporter::ParseAll(CsvParser& parser) {
  log_->Info("Parsing...");
  log_->Info("Format Name: " + parser.FormatName());
  unsigned accepted = 0;
  input_.SetLineLimit(kDataLineBytes);
  std::string line;
  // A layout reads each line as it stands, quotes included.
  while (ReadLine(line, layout_ == nullptr)) {
    if (input_.lastLineCut()) {
      ++outcome_.linesRefused;
      log_->Error("Failed to parse line " + ToText(lineCounter_) + ": longer than " +
                  ToText(static_cast<unsigned>(kDataLineBytes)) + " bytes, starting " +
                  line.substr(0, kHeaderShownChars) + "...");
      ReportProgress(false);
      continue;
    }
    // A NUL byte is no part of any text format: the line is read up to it (the
    // fields before it kept, the record padded as a short line is), and the
    // user is told that line was cut.
    size_t nul = line.find('\0');
    if (nul != std::string::npos) {
      log_->Warning("Line " + ToText(lineCounter_) + " holds a NUL byte: only the text before it was read");
      line.resize(nul);
    }
    // Stored text is UTF-8; a line that is not was most likely saved on
    // Windows, and is read that way rather than refused.
    if (!Utf8Text::IsValid(line)) {
      log_->Warning("Line " + ToText(lineCounter_) + " is not UTF-8: the bytes that are not were read as Windows-1252");
      line = Utf8Text::Repaired(line);
    }
    // (A layout has its own rules for lines without content.)
    if (options_.separatorLinesAreEmpty && !layout_ && IsSeparatorLine(line)) continue;
    outcome_.conversionLine = lineCounter_;  // where a conversion error would come from
    const LayoutParser::LineUse use =
        layout_ ? layout_->TakeLine(line, lineCounter_)
                : parser.Parse(line) ? LayoutParser::LineUse::kRecord : LayoutParser::LineUse::kRefused;
    if (use == LayoutParser::LineUse::kRecord) {
      ++accepted;
    } else if (use == LayoutParser::LineUse::kRefused) {
      ++outcome_.linesRefused;
      log_->Error("Failed to parse line " + ToText(lineCounter_) + ": " + line);
    }
    ReportProgress(false);
  }
  outcome_.conversionLine = 0;
  if (layout_) layout_->EndOfLines();
  ReportProgress(true);
  log_->Info(ToText(accepted) + " records parsed.\n");
  return accepted;
}

bool FileImporter::CheckReimport(ImportRunDAO& runs) {
  VoServices::ImportRunInfo previous;
  bool found = false;
  if (!runs.FindImported(accountId_, run_.sha256, previous, found)) {
    Fail(ImportFailure::kDatabaseUnusable, "Unable to access VO DB.");
    return false;
  }
  if (!found) return true;
  outcome_.previousRunId = previous.id;
  std::string already = AlreadyImported(previous);
  if (options_.once) {
    refused_ = true;
    Fail(ImportFailure::kAlreadyImported, already + " Not imported again.");
    return false;
  }
  log_->Warning(already);
  return true;
}

std::string FileImporter::AlreadyImported(const VoServices::ImportRunInfo& previous) const {
  return "This file was already imported by run " + std::to_string(previous.id) + " for account " +
         accountId_ + " on " + previous.started + ".";
}

bool FileImporter::RefusedUnderLock(ImportRunDAO& runs, const DbTransaction& writes) {
  if (!options_.once) return false;
  VoServices::ImportRunInfo previous;
  bool found = false;
  if (!runs.FindImported(accountId_, run_.sha256, previous, found)) {
    if (!Retrying(writes)) Fail(ImportFailure::kDatabaseUnusable, "Unable to access VO DB.");
    return true;
  }
  if (!found) return false;
  // Another import of the same content committed since the first look.
  outcome_.previousRunId = previous.id;
  refused_ = true;
  Fail(ImportFailure::kAlreadyImported, AlreadyImported(previous) + " Not imported again.");
  return true;
}

bool FileImporter::DecodeAndStore(CsvParser& parser, HSymboDAO& symbolDao) {
  SymbolMap symbols;
  TransactionMap transactions;
  log_->Info("Decoding....");
  bool decoded = parser.Decode(symbols, transactions);
  parser.ReleaseRecords();
  log_->Info(Count(symbols.size()) + " unique symbols and " + Count(transactions.size()) +
             " unique transactions decoded.\n");
  if (!decoded) {
    outcome_.failure = "the file's records could not be decoded";
    return false;
  }

  if (options_.dryRun) return ReportWithoutWriting(symbols, transactions, symbolDao);

  for (unsigned attempt = 1;; ++attempt) {
    outcome_.writeAttempts = attempt;
    retryReason_.clear();
    Written written = WriteAttempt(symbols, transactions, symbolDao);
    if (written == Written::kCommitLost) written = LookUpCommit();
    if (written == Written::kStored) break;
    outcome_.transactionsStored = outcome_.symbolsAdded = outcome_.duplicatesSkipped = 0;
    outcome_.transactionsRefused = 0;
    outcome_.firstRefusal.clear();
    if (written != Written::kAgain) return false;
    if (attempt == kWriteAttempts) {
      Fail(ImportFailure::kWriteFailed, "Failed to write to VO DB in " + std::to_string(attempt) +
           " attempts, nothing of this file was stored: " + retryReason_);
      return false;
    }
    log_->Warning("The database asked for the import to be written again (" + retryReason_ +
                  "); attempt " + std::to_string(attempt + 1) + " of " + std::to_string(kWriteAttempts) +
                  ".");
    std::this_thread::sleep_for(PauseBefore(attempt + 1));
  }
  if (outcome_.writeAttempts > 1) {
    log_->Info("Written in " + std::to_string(outcome_.writeAttempts) + " attempts.");
  }
  outcome_.runId = run_.id;
  return true;
}

FileImporter::Written FileImporter::WriteAttempt(const SymbolMap& symbols,
                                                 const TransactionMap& transactions,
                                                 HSymboDAO& symbolDao) {
  // All or nothing: an import that stops half way leaves the database as it
  // was, its run record included.
  DbTransaction writes(Database::Instance());
  auto failed = [&] { return retryReason_.empty() ? Written::kFailed : Written::kAgain; };
  if (!writes.active()) {
    if (!Retrying(writes)) Fail(ImportFailure::kDatabaseUnusable, "Unable to access VO DB.");
    return failed();
  }
  ImportRunDAO runs;
  if (RefusedUnderLock(runs, writes) || !WriteRun(symbols, transactions, symbolDao, runs, writes)) {
    return failed();
  }
  if (writes.Commit()) return Written::kStored;
  if (Retrying(writes)) return Written::kAgain;
  if (writes.failure() == DbFailure::kCommitUnknown) return Written::kCommitLost;
  Fail(ImportFailure::kWriteFailed, "Failed to commit the import to VO DB: " + Database::Instance()->LastError());
  return Written::kFailed;
}

bool FileImporter::Retrying(const DbTransaction& writes) {
  std::string reason;
  const bool ended = writes.failed(reason) || !writes.active();
  if (!ended || writes.failure() != DbFailure::kConflict) return false;
  retryReason_ = reason.empty() ? Database::Instance()->LastError() : reason;
  return true;
}

// The answer to the commit was lost with the connection. The run was given
// its id inside the transaction: on a new connection, once the server has
// finished with the lost one, the run is there (and is this file's) if and
// only if the commit took place.
FileImporter::Written FileImporter::LookUpCommit() {
  const std::string lost = Database::Instance()->LastError();
  Database* db = Database::Instance();
  VoServices::ImportRunInfo stored;
  bool found = false;
  ImportRunDAO runs;
  if (!db->Reconnect() || !runs.Get(run_.id, stored, found)) {
    outcome_.commitUnknown = true;
    Fail(ImportFailure::kCommitUnknown, "The connection to VO DB was lost while the import was committing (" + lost +
         "), and the database cannot be asked whether it was stored (" + db->LastError() +
         "): outcome unknown; look for run " + std::to_string(run_.id) + " in the import runs.");
    return Written::kFailed;
  }
  if (found && stored.sha256 == run_.sha256 && stored.result == kImported) {
    log_->Warning("The connection to VO DB was lost while the import was committing (" + lost +
                  "); run " + std::to_string(run_.id) + " was found stored.");
    return Written::kStored;
  }
  Fail(ImportFailure::kWriteFailed,
       "The connection to VO DB was lost while the import was committing (" + lost + "); run " +
       std::to_string(run_.id) + " was not stored, nothing of this file was stored.");
  return Written::kFailed;
}

bool FileImporter::ReportWithoutWriting(const SymbolMap& symbols,
                                        const TransactionMap& transactions,
                                        HSymboDAO& symbolDao) {
  outcome_.dryRun = true;
  std::set<std::string> known;
  if (!ReadKnownSymbols(symbols, symbolDao, known)) {
    Fail(ImportFailure::kDatabaseUnusable, "Unable to access VO DB.");
    return false;
  }
  symbols.ForEach([&](std::string_view name, const SymbolFields&) {
    if (!known.contains(std::string(name))) ++outcome_.symbolsAdded;
  });
  // The same duplicates the import would skip.
  std::unique_ptr<DuplicateFilter> duplicates;
  if (options_.skipDuplicates) {
    duplicates = std::make_unique<DuplicateFilter>();
    if (!duplicates->Load(accountId_, transactions)) {
      Fail(ImportFailure::kDatabaseUnusable,
           "Unable to read the stored transactions: " + Database::Instance()->LastError());
      return false;
    }
  }
  size_t position = 0;
  std::vector<std::string> cells(static_cast<size_t>(TransactionFields::kSlots));
  transactions.ForEach([&](std::string_view, const TransactionFields& fields) {
    if (duplicates && duplicates->Skip(position++)) {
      ++outcome_.duplicatesSkipped;
      return;
    }
    ++outcome_.transactionsStored;
    if (options_.row) {
      for (std::string& cell : cells) cell.clear();
      for (const auto& [index, text] : fields) {
        // trans_id is the database's to give.
        if (index > 0 && index < TransactionFields::kSlots) cells[static_cast<size_t>(index)] = text;
      }
      options_.row(cells, options_.rowUserData);
    }
  });
  if (duplicates) log_->Info(Count(outcome_.duplicatesSkipped) + " duplicate transactions would be skipped.");
  log_->Info("Dry run: " + Count(outcome_.symbolsAdded) + " symbols and " +
             Count(outcome_.transactionsStored) + " transactions would be written; nothing written.\n");
  return true;
}

bool FileImporter::WriteRun(const SymbolMap& symbols, const TransactionMap& transactions,
                            HSymboDAO& symbolDao, ImportRunDAO& runs, const DbTransaction& writes) {
  run_.format = outcome_.format;
  if (!runs.Insert(run_) || !runs.Claim(accountId_, run_.id)) return RunNotRecorded(writes);
  // Read under the writer lock: an import of the same rows that commits
  // before this one is seen, and its rows are skipped here.
  std::unique_ptr<DuplicateFilter> duplicates;
  if (options_.skipDuplicates) {
    duplicates = std::make_unique<DuplicateFilter>();
    if (!duplicates->Load(accountId_, transactions)) {
      if (!Retrying(writes)) {
        Fail(ImportFailure::kDatabaseUnusable,
             "Unable to read the stored transactions: " + Database::Instance()->LastError());
      }
      return false;
    }
  }
  // The transactions' write order is made on a second thread while the
  // symbols are written (the duplicate filter has made it already).
  WorkerThread orderer(!options_.singleThreaded && !duplicates);
  orderer.Post([&transactions] { transactions.MakeOrder(); });
  const bool symbolsWritten = WriteSymbols(symbols, symbolDao, runs, writes);
  orderer.Wait();
  if (!symbolsWritten || !WriteTransactions(transactions, duplicates.get(), runs, writes)) {
    return false;
  }
  run_.ended = DateTime::Now().ToDisplayText();
  run_.transactionsStored = outcome_.transactionsStored;
  run_.symbolsAdded = outcome_.symbolsAdded;
  run_.duplicatesSkipped = outcome_.duplicatesSkipped;
  run_.result = kImported;
  return runs.Finish(run_) || RunNotRecorded(writes);
}

bool FileImporter::WriteSymbols(const SymbolMap& symbols, HSymboDAO& symbolDao,
                                ImportRunDAO& runs, const DbTransaction& writes) {
  std::set<std::string> known;
  if (!ReadKnownSymbols(symbols, symbolDao, known)) {
    if (!Retrying(writes)) Fail(ImportFailure::kDatabaseUnusable, "Unable to access VO DB.");
    return false;
  }
  log_->Info("Writing symbols to DB...");
  std::vector<std::string> inserted;
  bool stopped = false;
  symbols.ForEach([&](std::string_view name, const SymbolFields& fields) {
    if (stopped || known.contains(std::string(name))) return;
    if (symbolDao.InsertSymbol(fields)) {
      inserted.emplace_back(name);
    } else {
      log_->Error("Failed to insert (NOT duplicate) into DB: " + std::string(name));
      LogRefusal(name.empty() ? "a symbol without a name is never stored" : Database::Instance()->LastError());
      stopped = WriteFailed(writes);
    }
  });
  stopped = stopped || (!runs.LinkSymbols(run_.id, inserted) && !RunNotRecorded(writes));
  if (stopped) return false;
  outcome_.symbolsAdded = inserted.size();
  log_->Info(Count(inserted.size()) + " of " + Count(symbols.size()) + " symbols inserted into DB.\n");
  return true;
}

bool FileImporter::WriteTransactions(const TransactionMap& transactions,
                                     const DuplicateFilter* duplicates, ImportRunDAO& runs,
                                     const DbTransaction& writes) {
  HTransDAO transDao;
  Database* db = Database::Instance();
  log_->Info("Writing transactions to DB...");
  const size_t decoded = transactions.size();
  size_t inserted = 0;
  size_t skipped = 0;
  size_t position = 0;
  bool stopped = false;
  TransactionLinks links(runs, run_.id);
  // The ids the rows got, handed out by the database as it stores them
  // (a server stores many rows at a time).
  InsertedIds ids;
  InsertedIds given;
  auto link = [&] {
    given.clear();
    given.swap(ids);  // linking may store held rows, whose ids then arrive in `ids`
    for (uint64_t id : given) {
      if (!links.Add(id)) return false;
    }
    return true;
  };
  transactions.ForEach([&](std::string_view key, const TransactionFields& fields) {
    if (stopped) return;
    if (duplicates && duplicates->Skip(position++)) {
      ++skipped;
      return;
    }
    WarnOfQuantity(key, fields);
    if (transDao.InsertFields(fields, &ids)) {
      ++inserted;
      stopped = !link() && !RunNotRecorded(writes);
      PauseInWritePhase(inserted, decoded);
    } else {
      log_->Error("Failed to insert into DB: " + std::string(key));
      const std::string reason = Database::Instance()->LastError();
      LogRefusal(reason);
      if (outcome_.firstRefusal.empty()) outcome_.firstRefusal = "transaction " + std::string(key) + ": " + reason;
      stopped = WriteFailed(writes);
    }
  }, !options_.singleThreaded);
  stopped = stopped || (!(db->SendHeldRows() && link() && links.Flush()) && !RunNotRecorded(writes));
  if (stopped) return false;
  outcome_.transactionsStored = inserted;
  outcome_.duplicatesSkipped = skipped;
  outcome_.transactionsRefused = decoded - inserted - skipped;
  if (duplicates) log_->Info(Count(skipped) + " duplicate transactions skipped.");
  log_->Info(Count(inserted) + " of " + Count(decoded) + " transactions inserted into DB.\n");
  return true;
}

bool FileImporter::ReadKnownSymbols(const SymbolMap& symbols, HSymboDAO& symbolDao,
                                    std::set<std::string>& known) {
  // Only the decoded names are looked up: reading every name of a large
  // symbol table would cost each import what the table costs.
  std::vector<std::string> names;
  symbols.ForEach([&](std::string_view name, const SymbolFields&) { names.emplace_back(name); });
  return symbolDao.GetSymbolNames(known, names);
}

bool FileImporter::WriteFailed(const DbTransaction& writes) {
  std::string reason;
  if (!writes.failed(reason)) return false;
  if (!Retrying(writes)) {
    Fail(ImportFailure::kWriteFailed, "Failed to write to VO DB, nothing of this file was stored: " + reason);
  }
  return true;
}

bool FileImporter::RunNotRecorded(const DbTransaction& writes) {
  if (!WriteFailed(writes)) {
    Fail(ImportFailure::kWriteFailed, "Unable to record the import run: " + Database::Instance()->LastError());
  }
  return false;
}

void FileImporter::RecordUnwrittenRun(ImportRunDAO& runs) {
  run_.format = outcome_.format;
  // Nothing of it was stored, whatever it had counted.
  run_.transactionsStored = run_.symbolsAdded = run_.duplicatesSkipped = 0;
  run_.ended = DateTime::Now().ToDisplayText();
  run_.result = kFailed + (outcome_.failure.empty() ? std::string("not imported") : outcome_.failure);
  if (runs.Insert(run_)) outcome_.runId = run_.id;
}

void FileImporter::LogRefusal(const std::string& reason) {
  if (options_.refusalReasonsLogged) log_->Error("The database refused it: " + reason);
}

void FileImporter::WarnOfQuantity(std::string_view key, const TransactionFields& fields) {
  auto quantity = fields.find(TransColumn::kTransQty);
  if (quantity == fields.end()) return;
  const std::string& text = quantity->second;
  if (text.empty() || text == "NULL") return;
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc() && end == text.data() + text.size() && std::isfinite(value)) return;
  // Kept as it stands, but a later symbol update would take it for 0.
  log_->Warning("Transaction " + std::string(key) + ": the quantity '" + text +
                "' is not a number; it is stored as it stands");
}

void FileImporter::Fail(ImportFailure kind, const std::string& reason) {
  log_->Fatal(reason);
  outcome_.failure = reason;
  outcome_.failureKind = kind;
}

void FileImporter::ReportProgress(bool last) {
  if (!options_.progress) return;
  const uint64_t read = input_.bytesRead();
  const uint64_t step = std::max<uint64_t>(input_.totalBytes() / 100, 1 << 20);
  if (!last && read - reportedBytes_ < step) return;
  reportedBytes_ = read;
  options_.progress({read, input_.totalBytes(), lineCounter_}, options_.progressUserData);
}

}  // namespace vo
