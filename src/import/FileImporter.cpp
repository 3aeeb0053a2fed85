// One import, in this order:
//   1. connect to the database and open the file;
//   2. MatchParser: find a known header among the first 25 lines;
//   3. ParseAll: hand every further line to that format's parser;
//   4. CheckReimport: with the whole file read (and hashed), look for an earlier
//      run of the same content for the account;
//   5. DecodeAndStore: decode the records into symbols and transactions, then
//      in one database transaction record the run, insert the symbols
//      sym_table lacks and every transaction (less the duplicates when asked),
//      each linked to the run;
//   6. a run that ended before its writes is recorded on its own.
//   A dry run stops after decoding: it counts what would be written, hands
//   each transaction to the options' row function, and writes nothing (no
//   rows, no run record).
#include "import/FileImporter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <set>
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
#include "import/WritePhasePause.h"
#include "ledgerdb/Database.h"
#include "ledgerdb/DbTransaction.h"
#include "logging/RunLog.h"
#include "values/DateTime.h"
#include "values/DecimalText.h"

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

std::string Count(size_t n) { return ToText(static_cast<unsigned long>(n)); }

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
  run_.filePath = unknown ? filePath : absolute.string();
  run_.logPath = log_->path();
  run_.started = DateTime::Now().ToDisplayText();
  reportedBytes_ = 0;
  HSymboDAO symbolDao;
  if (!symbolDao.init()) {
    log_->Fatal("Failed voDao.init in VoServices::ImportPensonTrans2008.");
    Fail("Unable to open VO DB: " + Database::Instance()->LastError());
    return false;
  }
  ImportRunDAO runs;
  bool refused = false;
  input_.SetHashOnOwnThread(!options_.singleThreaded);
  if (!input_.Open(filePath)) {
    Fail("Failed in FileImporter - Unable to open " + filePath);
  } else if (CsvParser* parser = MatchParser()) {
    outcome_.format = parser->FormatName();
    ParseAll(*parser);
    run_.sha256 = input_.ContentSha256();
    run_.fileSize = input_.contentBytes();
    refused = !CheckReimport(runs);
    if (!refused) outcome_.imported = DecodeAndStore(*parser, symbolDao);
  }
  input_.Close();
  // A refused file leaves nothing behind, not even a run; nor does a dry run.
  if (!options_.dryRun && outcome_.runId == 0 && !(refused && outcome_.previousRunId != 0)) {
    RecordUnwrittenRun(runs);
  }
  return outcome_.imported;
}

bool FileImporter::CanImport(const std::string& filePath) {
  if (!input_.Open(filePath)) {
    log_->Fatal("Failed in FileImporter - Unable to open " + filePath);
    return false;
  }
  bool known = MatchParser() != nullptr;
  input_.Close();
  return known;
}

std::string FileImporter::Identify(const std::string& filePath) {
  if (!input_.Open(filePath)) return "";
  CsvParser* parser = MatchParser();
  input_.Close();
  return parser ? parser->FormatName() : "";
}

bool FileImporter::ReadLine(std::string& line) {
  while (input_.ReadLine(line)) {
    ++lineCounter_;
    // A CRLF file reads like an LF one.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;

    size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return true;
    size_t last = line.find_last_not_of(' ');
    if (last > first && line[first] == '"' && line[last] == '"' && line[last - 1] != '"') {
      line.erase(last);
      line.erase(0, first + 1);
    }
    if (!line.empty()) return true;
  }
  return false;
}

CsvParser* FileImporter::MatchParser() {
  lineCounter_ = 0;
  input_.SetLineLimit(kHeaderLineBytes);
  std::string line;
  while (ReadLine(line)) {
    size_t misspelt = line.find("Commision");
    if (misspelt != std::string::npos) line.replace(misspelt, 9, "Commission");
    for (const std::unique_ptr<CsvParser>& parser : parsers_) {
      if (!parser->MatchesHeader(line)) continue;
      log_->Info("Header: " + line.substr(0, kHeaderShownChars) + "...");
      log_->EndLine();
      return parser.get();
    }
    if (lineCounter_ >= kHeaderSearchLines) break;
  }
  Fail("Unable to match a parser for given file.");
  return nullptr;
}

unsigned FileImporter::ParseAll(CsvParser& parser) {
  log_->Info("Parsing...");
  log_->Info("Format Name: " + parser.FormatName());
  unsigned accepted = 0;
  input_.SetLineLimit(kDataLineBytes);
  std::string line;
  while (ReadLine(line)) {
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
    outcome_.conversionLine = lineCounter_;  // where a conversion error would come from
    if (parser.Parse(line)) {
      ++accepted;
    } else {
      ++outcome_.linesRefused;
      log_->Error("Failed to parse line " + ToText(lineCounter_) + ": " + line);
    }
    ReportProgress(false);
  }
  outcome_.conversionLine = 0;
  ReportProgress(true);
  log_->Info(ToText(accepted) + " records parsed.\n");
  return accepted;
}

bool FileImporter::CheckReimport(ImportRunDAO& runs) {
  VoServices::ImportRunInfo previous;
  bool found = false;
  if (!runs.FindImported(accountId_, run_.sha256, previous, found)) {
    Fail("Unable to access VO DB.");
    return false;
  }
  if (!found) return true;
  outcome_.previousRunId = previous.id;
  std::string already = "This file was already imported for account " + accountId_ + " by run " +
                        std::to_string(previous.id) + " on " + previous.started + ".";
  if (options_.once) {
    Fail(already + " Not imported again.");
    return false;
  }
  log_->Warning(already);
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

  if (options_.skipDuplicates && !DuplicateFilter::PrepareIndex()) {
    Fail("Unable to index the stored transactions: " + Database::Instance()->LastError());
    return false;
  }
  // All or nothing: an import that stops half way leaves the database as it
  // was, its run record included.
  DbTransaction writes(Database::Instance());
  if (!writes.active()) {
    Fail("Unable to access VO DB.");
    return false;
  }
  if (!WriteRun(symbols, transactions, symbolDao, writes)) {
    outcome_.transactionsStored = outcome_.symbolsAdded = outcome_.duplicatesSkipped = 0;
    return false;
  }
  if (!writes.Commit()) {
    Fail("Failed to commit the import to VO DB: " + Database::Instance()->LastError());
    outcome_.transactionsStored = outcome_.symbolsAdded = outcome_.duplicatesSkipped = 0;
    return false;
  }
  outcome_.runId = run_.id;
  return true;
}

bool FileImporter::ReportWithoutWriting(const SymbolMap& symbols,
                                        const TransactionMap& transactions,
                                        HSymboDAO& symbolDao) {
  outcome_.dryRun = true;
  std::set<std::string> known;
  if (!symbolDao.GetSymbolNames(known)) {
    Fail("Unable to access VO DB.");
    return false;
  }
  symbols.ForEach([&](std::string_view name, const SymbolFields&) {
    if (!known.contains(std::string(name))) ++outcome_.symbolsAdded;
  });
  // The same duplicates the import would skip (read without making the
  // index the import makes: a dry run changes nothing).
  std::unique_ptr<DuplicateFilter> duplicates;
  if (options_.skipDuplicates) {
    duplicates = std::make_unique<DuplicateFilter>();
    if (!duplicates->Load(accountId_, transactions)) {
      Fail("Unable to read the stored transactions: " + Database::Instance()->LastError());
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

bool FileImporter::WriteRun(const SymbolMap& symbols, TransactionMap& transactions,
                            HSymboDAO& symbolDao, const DbTransaction& writes) {
  ImportRunDAO runs;
  run_.format = outcome_.format;
  if (!runs.Insert(run_)) return RunNotRecorded(writes);
  std::unique_ptr<DuplicateFilter> duplicates;
  if (options_.skipDuplicates) {
    duplicates = std::make_unique<DuplicateFilter>();
    if (!duplicates->Load(accountId_, transactions)) {
      Fail("Unable to read the stored transactions: " + Database::Instance()->LastError());
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
  if (!symbolDao.GetSymbolNames(known)) {
    Fail("Unable to access VO DB.");
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
      stopped = WriteFailed(writes);
    }
  });
  stopped = stopped || (!runs.LinkSymbols(run_.id, inserted) && !RunNotRecorded(writes));
  if (stopped) return false;
  outcome_.symbolsAdded = inserted.size();
  log_->Info(Count(inserted.size()) + " of " + Count(symbols.size()) + " symbols inserted into DB.\n");
  return true;
}

bool FileImporter::WriteTransactions(TransactionMap& transactions,
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
  transactions.ForEach([&](std::string_view key, const TransactionFields& fields) {
    if (stopped) return;
    if (duplicates && duplicates->Skip(position++)) {
      ++skipped;
      return;
    }
    WarnOfQuantity(key, fields);
    if (transDao.InsertFields(fields)) {
      ++inserted;
      unsigned long id = 0;
      stopped = !(db->GetLastID(id) && links.Add(id)) && !RunNotRecorded(writes);
      PauseInWritePhase(inserted, decoded);
    } else {
      log_->Error("Failed to insert into DB: " + std::string(key));
      stopped = WriteFailed(writes);
    }
  }, !options_.singleThreaded);
  stopped = stopped || (!links.Flush() && !RunNotRecorded(writes));
  // The decoded rows are not needed any more.
  transactions.clear();
  if (stopped) return false;
  outcome_.transactionsStored = inserted;
  outcome_.duplicatesSkipped = skipped;
  outcome_.transactionsRefused = decoded - inserted - skipped;
  if (duplicates) log_->Info(Count(skipped) + " duplicate transactions skipped.");
  log_->Info(Count(inserted) + " of " + Count(decoded) + " transactions inserted into DB.\n");
  return true;
}

bool FileImporter::WriteFailed(const DbTransaction& writes) {
  std::string reason;
  if (!writes.failed(reason)) return false;
  Fail("Failed to write to VO DB, nothing of this file was stored: " + reason);
  return true;
}

bool FileImporter::RunNotRecorded(const DbTransaction& writes) {
  if (!WriteFailed(writes)) Fail("Unable to record the import run: " + Database::Instance()->LastError());
  return false;
}

void FileImporter::RecordUnwrittenRun(ImportRunDAO& runs) {
  run_.format = outcome_.format;
  run_.ended = DateTime::Now().ToDisplayText();
  run_.result = kFailed + (outcome_.failure.empty() ? std::string("not imported") : outcome_.failure);
  if (runs.Insert(run_)) outcome_.runId = run_.id;
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

void FileImporter::Fail(const std::string& reason) {
  log_->Fatal(reason);
  outcome_.failure = reason;
}

void FileImporter::ReportProgress(bool last) {
  if (!options_.progress) return;
  const uint64_t read = input_.bytesRead();
  const uint64_t step = std::max<uint64_t>(input_.totalBytes() / 100, 1 << 20);
  if (!last && read - reportedBytes_ < step) return;
  reportedBytes_ = read;
  options_.progress({read, input_.totalBytes(), lineCounter_}, options_.progressUserData);
}
