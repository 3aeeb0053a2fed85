// The run, step by step:
//   1. put every checkable symbol row into the request;
//   2. connect to the security master (with its test exchange);
//   3. exchange the request (whole, or in batches) and read each answer;
//   4. parse the answer into canonical records and renames;
//   5. write symbols, inactive symbols and renames to the database;
//   6. recalculate the totals of the transactions of updated symbols.
#include "symbols/SymbolUpdater.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "db/HSymboDAO.h"
#include "db/TableColumns.h"
#include "import/TradeSides.h"
#include "symbols/BatchExchanger.h"
#include "symbols/InactiveRenames.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DbRowFunction.h"
#include "ledgerdb/DbRowRewriteFunction.h"
#include "ledgerdb/DbTransaction.h"
#include "platform/DebugOutput.h"
#include "platform/MessageBox.h"
#include "values/NumberText.h"

namespace vo {

using namespace SymColumn;

namespace {

constexpr char kCaption[] = "Orbel Symbol Update";

// Cells of a HTransDAO::StreamForRenameAndRecalc row.
enum RecalcCell {
  kId = 0,
  kSymbol = 2,
  kAction = 3,
  kQuantity = 4,
  kUnitPrice = 5,
  kCommission = 6,
  kSecFee = 7,
  kMiscFee = 8,
  kFedTax = 9,
  kExAssAdj = 10,
  kBaseAdj = 11,
  kFx = 12,
  kTotal = 13,
  kLockId = 14,
  kNewName = 15,
  kRecalculated = 16,
  kRewriteCells = 17,
};

constexpr int kPositionClose = 2;
constexpr size_t kRowsPerStatement = 100;
constexpr int kTypeShort = 2;

// Factor by security type: options count contracts, futures and currency
// contracts lots times multiplier.
enum class FactorKind { kOne, kContract, kLotTimesMultiplier };
constexpr FactorKind kFactorByType[] = {
    FactorKind::kOne,                 // 0 stock
    FactorKind::kContract,            // 1 equity call
    FactorKind::kContract,            // 2 equity put
    FactorKind::kContract,            // 3 index call
    FactorKind::kContract,            // 4 index put
    FactorKind::kOne,                 // 5 ETF
    FactorKind::kOne,                 // 6 mutual fund
    FactorKind::kOne,                 // 7 bond
    FactorKind::kLotTimesMultiplier,  // 8 stock future
    FactorKind::kLotTimesMultiplier,  // 9 other future
    FactorKind::kLotTimesMultiplier,  // 10 currency contract
};

// Just under the largest whole count of millionths a stored amount holds (2^63).
constexpr double kLargestMillionths = 9.2e18;

double PositiveOrOne(double value) { return value > 0 ? value : 1; }

double NumberAt(PackedFields record, int column) {
  auto it = record.find(column);
  return it == record.end() ? 0 : TextToDouble(std::string(it->second));
}

}  // namespace

SymbolUpdater::SymbolUpdater(std::string url, VoServices::ProgressCallback progress)
    : url_(std::move(url)), progress_(progress) {
  batchSymbols_ = SecurityMasterClient::TakeBatchSize(url_);
}

bool SymbolUpdater::Run(SecurityMasterRequest request, HSymboDAO& symbols) {
  if (request.Count() == 0) return Fail(VoServices::SymbolUpdateFailure::kNoSymbols, "Symbols do not require updating.");

  const std::string connecting = "Connecting to Zudazuzo Diroza server.";
  Report(connecting);
  client_ = std::make_unique<SecurityMasterClient>(url_);
  if (!client_->connected()) {
    DebugOutput("Security master at " + SecurityMasterClient::ShownUrl(url_) + ": " + client_->lastError());
    client_.reset();
    return Fail(VoServices::SymbolUpdateFailure::kServerUnreachable, "Error " + connecting);
  }

  if (!ExchangeAll(request)) return false;
  if (data_.CanonicalRecords().empty()) return Fail(VoServices::SymbolUpdateFailure::kAllCurrent, "Zudazuzo Diroza found all symbols to be current.");

  const std::string updating = "Updating your VO database with new data.";
  Report(updating);
  // The run's writes land together. A failure that ends the transaction (a
  // full disk, an I/O error) leaves the database as it was; a step that
  // fails for another reason keeps what the run wrote, as it always has.
  DbTransaction writes;
  if (!writes.active()) return Fail(VoServices::SymbolUpdateFailure::kDatabaseUnusable, "Error " + updating);
  // trans_table's renames are written with the new totals, in one pass over
  // its rows instead of two.
  bool saved = symbols.UpdateFromSecurityMaster(data_.RenameRecords(), data_.CanonicalRecords(), counts_,
                                                HSymboDAO::TransRenames::kByCaller);
  const std::string recalculating = "Recalculating transaction amounts.";
  int status = 0;
  if (saved) {
    Report(recalculating);
    InactiveRenames names(data_.RenameRecords());
    const bool namesRead = names.Read(symbols);
    bool renamed = true;
    status = RewriteTransactions(data_.CanonicalRecords(), namesRead ? &names : nullptr, renamed);
    saved = renamed;
  }
  if (!writes.Commit() || !saved) return Fail(VoServices::SymbolUpdateFailure::kWriteFailed, "Error " + updating);
  if (status != 0) return Fail(VoServices::SymbolUpdateFailure::kWriteFailed, "Error " + recalculating);
  return true;
}

int SymbolUpdater::RewriteTransactions(const SecurityMasterData::Records& canonical, InactiveRenames* names,
                                       bool& renamed) {
  StartPass();
  renamed = true;
  // One transaction for every rewritten row, committed whatever the status
  // (a locked or failed row leaves the others written).
  DbTransaction transaction;
  int status = names && transactions_.RewritesInPlace() ? RewriteInPlace(canonical, *names, renamed)
                                                        : RewriteInBatches(canonical, names, renamed);
  if (!transaction.Commit()) status = 2;
  for (const std::string& note : notes_) DebugOutput(note);
  notes_.clear();
  return status;
}

void SymbolUpdater::StartPass() {
  unchangedIds_.clear();
  notes_.clear();
  lastSymbol_ = {};
}

SymbolUpdater::RowChange SymbolUpdater::ChangeOf(const std::vector<std::string>& row,
                                                 const SecurityMasterData::Records& canonical,
                                                 InactiveRenames* names, int& status) {
  RowChange change;
  if (row.size() < kRewriteCells) return change;
  LastSymbol& last = lastSymbol_;
  size_t key = PackedRecordTable::npos;  // the record of the symbol the row ends with
  if (names) {
    const InactiveRenames::Outcome outcome = names->Resolve(row[kSymbol], canonical);
    if (!outcome.newName.empty()) change.name = std::string(outcome.newName);
    key = outcome.canonicalKey;
  } else if (!row[kNewName].empty()) {
    change.name = row[kNewName];
  }
  if (row[kRecalculated] != "1") return change;
  if (!names) {
    const std::string& name = change.name ? *change.name : row[kSymbol];
    // A symbol is looked up once for a run of its rows, not once a row.
    if (!last.named || name != last.name) {
      last.named = true;
      last.name = name;
      last.key = canonical.KeyOf(name);
    }
    key = last.key;
  }
  if (key == PackedRecordTable::npos) return change;

  if (key != last.factorKey) {
    last.factorKey = key;
    last.factor = SymbolFactor(canonical.FieldsOfKey(key));
  }
  change.total = NewTotalOf(row, last.factor);
  if (change.total && TotalToStore(change.total->id, row[kLockId], change.total->to, change.millionths) != 0) {
    status = 2;
    change.total.reset();
  }
  return change;
}

int SymbolUpdater::RewriteInPlace(const SecurityMasterData::Records& canonical, InactiveRenames& names,
                                  bool& renamed) {
  int status = 0;
  // Counted and told only once the statement has written them all.
  uint64_t totals = 0;
  std::vector<TotalChange> watched;
  // The rows may be decided on the engine's own thread, ahead of its
  // statement: until the rewrite returns, only that thread touches what the
  // decisions change, and a restart forgets it all.
  auto restart = [&] {
    status = 0;
    totals = 0;
    watched.clear();
    StartPass();
  };
  DbRowRewriteFunction rewrite(
      [&](const std::vector<std::string>& row, std::vector<std::optional<std::string>>& values) {
        RowChange change = ChangeOf(row, canonical, &names, status);
        if (change.name) values[0] = std::move(*change.name);
        if (!change.total) return;
        values[1] = std::move(change.millionths);
        ++totals;
        if (watchTotals_) watched.push_back(std::move(*change.total));
      },
      restart);
  if (!transactions_.RewriteForRenameAndRecalc(rewrite)) {
    // Nothing was written: the renames may not have been, and the totals
    // counted were not (their ids are not kept, as nothing reports them).
    renamed = false;
    return totals > 0 ? 2 : status;
  }
  totalsRecalculated_ += totals;
  for (const TotalChange& change : watched) watchTotals_(change.id, change.from, change.to);
  return status;
}

int SymbolUpdater::RewriteInBatches(const SecurityMasterData::Records& canonical, InactiveRenames* names,
                                    bool& renamed) {
  int status = 0;
  // The rows come one at a time: held together they would be the largest
  // thing in memory of the whole update. They are written a batch at a time,
  // each batch one statement; a batch holds one kind of change (a name, a
  // total, both), so that its statement has one of a few shapes.
  struct Batch {
    std::vector<HTransDAO::Rewrite> rows;
    std::vector<TotalChange> totals;  // the rows' new totals, as the watcher is told them
  };
  Batch batches[3];  // names, totals, both
  auto writeBatch = [&](Batch& batch) {
    if (batch.rows.empty()) return;
    const bool written = transactions_.UpdateRows(batch.rows);
    if (!written && batch.rows[0].name) renamed = false;
    for (const TotalChange& change : batch.totals) {
      if (!written) {
        unchangedIds_.push_back(TextToInt(change.id));
        continue;
      }
      ++totalsRecalculated_;
      if (watchTotals_) watchTotals_(change.id, change.from, change.to);
    }
    if (!written && !batch.totals.empty()) status = 2;
    batch.rows.clear();
    batch.totals.clear();
  };
  DbRowFunction rewrite([&](const DBQueryResult::Row& row) {
    RowChange change = ChangeOf(row, canonical, names, status);
    if (!change.name && !change.total) return;
    Batch& batch = batches[change.name && change.total ? 2 : change.total ? 1 : 0];
    batch.rows.push_back({row[kId], std::move(change.name),
                          change.total ? std::optional<std::string>(std::move(change.millionths)) : std::nullopt});
    if (change.total) batch.totals.push_back(std::move(*change.total));
    if (batch.rows.size() == kRowsPerStatement) writeBatch(batch);
  });
  if (!transactions_.StreamForRenameAndRecalc(
          rewrite, names ? HTransDAO::Renames::kByCaller : HTransDAO::Renames::kJoined)) {
    renamed = false;
  }
  for (Batch& batch : batches) writeBatch(batch);
  return status;
}

std::optional<SymbolUpdater::TotalChange> SymbolUpdater::NewTotalOf(const std::vector<std::string>& row,
                                                                  double symbolFactor) {
  double factor = PositiveOrOne(symbolFactor * TextToDouble(row[kFx]));
  double amount = factor * (TextToDouble(row[kQuantity]) * TextToDouble(row[kUnitPrice]));
  double fees = TextToDouble(row[kCommission]) + TextToDouble(row[kSecFee]) + TextToDouble(row[kMiscFee]) +
                TextToDouble(row[kFedTax]);
  double adjustments = TextToDouble(row[kBaseAdj]) + TextToDouble(row[kExAssAdj]);

  // Proceeds: a sale of a long position or a short sale, but not both at once.
  int action = TextToInt(row[kAction]);
  bool proceeds = (TransPosOf(action) == kPositionClose) != (TransTypeOf(action) == kTypeShort);
  double total = proceeds ? amount - fees + adjustments : amount + (fees + adjustments);

  if (RoundDecimals(total, 6) == RoundDecimals(TextToDouble(row[kTotal]), 6)) return std::nullopt;
  return TotalChange{row[kId], row[kTotal], FormatNumber(total, false, 6, true)};
}

double SymbolUpdater::SymbolFactor(PackedFields record) {
  auto type = record.find(kSymType);
  int securityType = type == record.end() ? 0 : TextToInt(std::string(type->second));
  double contract = PositiveOrOne(NumberAt(record, kSymContSize));
  double lot = PositiveOrOne(NumberAt(record, kSymLotSize));
  double multiplier = PositiveOrOne(NumberAt(record, kSymMultiplier));

  if (securityType < 0 || securityType >= static_cast<int>(std::size(kFactorByType))) return 1;
  switch (kFactorByType[securityType]) {
    case FactorKind::kContract:
      return contract;
    case FactorKind::kLotTimesMultiplier:
      return lot * multiplier;
    case FactorKind::kOne:
      break;
  }
  return 1;
}

int SymbolUpdater::TotalToStore(const std::string& id, const std::string& lockId, const std::string& total,
                               std::string& millionths) {
  if (!lockId.empty()) {
    unchangedIds_.push_back(TextToInt(id));
    return 1;
  }
  // The raw update bypasses the amount conversion: trans_total is kept in millionths.
  const double value = TextToDouble(total) * 1000000;
  // A total past what a stored amount holds would be kept as a REAL and read
  // back as nonsense: that row keeps its total, and the run says why.
  if (!std::isfinite(value) || std::fabs(value) >= kLargestMillionths) {
    notes_.push_back("Transaction " + id + " keeps its total: " + total + " is too large for a stored amount");
    unchangedIds_.push_back(TextToInt(id));
    return 2;
  }
  millionths = FormatNumber(value, false, 6, true);
  return 0;
}

bool SymbolUpdater::ExchangeAll(SecurityMasterRequest& request) {
  const std::string requesting = "Requesting update for " + std::to_string(request.Count()) + " symbols.";
  const std::string parsing = "Parsing Zudazuzo Diroza data.";
  Report(requesting);
  if (!request.ok()) {
    DebugOutput("The symbols to send could not be kept in a temporary file");
    return Fail(VoServices::SymbolUpdateFailure::kRequestFailed, "Error " + requesting);
  }
  auto transportFailed = [&](const std::string& reason) {
    DebugOutput("Security master at " + SecurityMasterClient::ShownUrl(url_) + ": " + reason);
    return Fail(VoServices::SymbolUpdateFailure::kRequestFailed, "Error " + requesting);
  };
  // Each answer as it comes: the first reported and read afresh, the later
  // ones read into it.
  auto readAnswer = [&](const std::string& answer, bool first) {
    if (first) {
      Report("Reading Zudazuzo Diroza data.");
      Report(parsing);
    }
    return (first ? data_.Parse(answer) : data_.ParseMore(answer)) ||
           Fail(VoServices::SymbolUpdateFailure::kBadAnswer, "Error " + parsing);
  };
  std::string answer;
  if (batchSymbols_ == 0) {
    // The document goes before the answer comes, which may be as large.
    if (!client_->Exchange(request.TakeText())) return transportFailed(client_->lastError());
    client_->ReadResponse(answer);
    return readAnswer(answer, true);
  }

  BatchExchanger exchanger(*client_, request, batchSymbols_);
  for (bool first = true; exchanger.Next(answer); first = false) {
    if (!readAnswer(answer, first)) return false;
  }
  return !exchanger.failed() || transportFailed(exchanger.failure());
}

void SymbolUpdater::Report(const std::string& step) const {
  if (progress_) progress_(step + "..", 0);
}

bool SymbolUpdater::Fail(VoServices::SymbolUpdateFailure kind, const std::string& message) {
  failureKind_ = kind;
  failure_ = message;
  ShowMessage(message, kCaption, kMbIconExclamation);
  return false;
}

}  // namespace vo
