// One import, in this order:
//   1. connect to the database and open the file;
//   2. MatchParser: find a known header among the first 25 lines;
//   3. ParseAll: hand every further line to that format's parser;
//   4. DecodeAndStore: decode the records into symbols and transactions, then
//      in one database transaction insert the symbols sym_table lacks and
//      every transaction.
#include "import/FileImporter.h"

#include <algorithm>
#include <set>
#include <utility>

#include "db/HSymboDAO.h"
#include "db/HTransDAO.h"
#include "import/CsvParser.h"
#include "import/KnownParsers.h"
#include "import/WritePhasePause.h"
#include "ledgerdb/Database.h"
#include "ledgerdb/DbTransaction.h"
#include "logging/RunLog.h"
#include "values/DecimalText.h"

namespace {

constexpr unsigned kHeaderSearchLines = 25;
constexpr size_t kHeaderShownChars = 40;

std::string Count(size_t n) { return ToText(static_cast<unsigned long>(n)); }

}  // namespace

FileImporter::FileImporter(const std::string& accountId)
    : FileImporter(MakeKnownParsers(accountId)) {}

FileImporter::FileImporter(std::vector<std::unique_ptr<CsvParser>> parsers)
    : log_(RunLog::Instance("", "")), parsers_(std::move(parsers)) {}

FileImporter::~FileImporter() {
  parsers_.clear();
  RunLog::Destroy();
}

bool FileImporter::Import(const std::string& filePath) {
  outcome_ = {};
  reportedBytes_ = 0;
  HSymboDAO symbolDao;
  if (!symbolDao.init()) {
    Fail("Failed voDao.init in VoServices::ImportPensonTrans2008.");
    return false;
  }
  if (!input_.Open(filePath)) {
    Fail("Failed in FileImporter - Unable to open " + filePath);
    return false;
  }
  if (CsvParser* parser = MatchParser()) {
    outcome_.format = parser->FormatName();
    ParseAll(*parser);
    outcome_.imported = DecodeAndStore(*parser, symbolDao);
  }
  input_.Close();
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
  std::string line;
  while (ReadLine(line)) {
    // A NUL byte is no part of any text format: such a line is damaged, and
    // its fields would be cut short at the NUL wherever they are read as C text.
    if (line.find('\0') == std::string::npos && parser.Parse(line)) {
      ++accepted;
    } else {
      ++outcome_.linesRefused;
      log_->Error("Failed to parse line " + ToText(lineCounter_) + ": " + line);
    }
    ReportProgress(false);
  }
  ReportProgress(true);
  log_->Info(ToText(accepted) + " records parsed.\n");
  return accepted;
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

  // All or nothing: an import that stops half way leaves the database as it was.
  DbTransaction writes(Database::Instance());
  if (!writes.active()) {
    Fail("Unable to access VO DB.");
    return false;
  }
  bool written = WriteSymbols(symbols, symbolDao, writes) && WriteTransactions(transactions, writes);
  if (!written) {
    outcome_.transactionsStored = outcome_.symbolsAdded = 0;
    return false;
  }
  if (!writes.Commit()) {
    Fail("Failed to commit the import to VO DB: " + Database::Instance()->LastError());
    outcome_.transactionsStored = outcome_.symbolsAdded = 0;
    return false;
  }
  return true;
}

bool FileImporter::WriteSymbols(const SymbolMap& symbols, HSymboDAO& symbolDao,
                                const DbTransaction& writes) {
  std::set<std::string> known;
  if (!symbolDao.GetSymbolNames(known)) {
    Fail("Unable to access VO DB.");
    return false;
  }
  log_->Info("Writing symbols to DB...");
  size_t inserted = 0;
  bool stopped = false;
  symbols.ForEach([&](std::string_view name, const SymbolFields& fields) {
    if (stopped || known.contains(std::string(name))) return;
    if (symbolDao.InsertSymbol(fields)) {
      ++inserted;
    } else {
      log_->Error("Failed to insert (NOT duplicate) into DB: " + std::string(name));
      stopped = WriteFailed(writes);
    }
  });
  if (stopped) return false;
  outcome_.symbolsAdded = inserted;
  log_->Info(Count(inserted) + " of " + Count(symbols.size()) + " symbols inserted into DB.\n");
  return true;
}

bool FileImporter::WriteTransactions(TransactionMap& transactions, const DbTransaction& writes) {
  HTransDAO transDao;
  log_->Info("Writing transactions to DB...");
  const size_t decoded = transactions.size();
  size_t inserted = 0;
  bool stopped = false;
  transactions.ForEach([&](std::string_view key, const TransactionFields& fields) {
    if (stopped) return;
    if (transDao.InsertFields(fields)) {
      ++inserted;
      PauseInWritePhase(inserted, decoded);
    } else {
      log_->Error("Failed to insert into DB: " + std::string(key));
      stopped = WriteFailed(writes);
    }
  });
  // The decoded rows are not needed any more.
  transactions.clear();
  if (stopped) return false;
  outcome_.transactionsStored = inserted;
  outcome_.transactionsRefused = decoded - inserted;
  log_->Info(Count(inserted) + " of " + Count(decoded) + " transactions inserted into DB.\n");
  return true;
}

bool FileImporter::WriteFailed(const DbTransaction& writes) {
  std::string reason;
  if (!writes.failed(reason)) return false;
  Fail("Failed to write to VO DB, nothing of this file was stored: " + reason);
  return true;
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
