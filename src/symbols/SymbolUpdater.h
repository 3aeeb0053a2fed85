// One symbol update run: sends the checkable symbols of the VO database to the
// security master, writes back what it answers, and recalculates the amounts of
// the transactions whose symbols changed. Reports its steps through the
// caller's progress callback and its outcome in message boxes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/HSymboDAO.h"
#include "db/HTransDAO.h"
#include "db/SymbolFields.h"
#include "ledgerdb/DBQueryResult.h"
#include "symbols/SecurityMasterClient.h"
#include "symbols/SecurityMasterData.h"
#include "symbols/SecurityMasterRequest.h"
#include "voservices/ProgressCallback.h"
#include "voservices/SymbolUpdateOutcome.h"

namespace vo {

class InactiveRenames;

class SymbolUpdater {
 public:
  // `progress` may be null. The request goes out as one document unless the
  // URL's vo_batch=N or else the environment's VO_SECMASTER_BATCH asks for
  // batches of N symbols (see Run).
  SymbolUpdater(std::string url, VoServices::ProgressCallback progress);

  // Runs the update on a request holding the rows of
  // HSymboDAO::StreamSymbolsWithTransCount, writing through `symbols`. False,
  // after a message box, when a step fails or there is nothing to update;
  // steps already done stay done.
  // In batches, every broker detail goes before the first global record, as in
  // the one document, and each answer is read into the records as soon as it
  // comes, as if its lists followed the earlier answers' in one answer: the
  // records, the database writes and the messages are those of one request.
  // A batch the server refuses as too large (HTTP 413) is sent again in
  // halves, and later batches keep the smaller size.
  bool Run(SecurityMasterRequest request, HSymboDAO& symbols);

  // Symbols per request; 0 for one request.
  size_t batchSymbols() const { return batchSymbols_; }

  // Gives every transaction of a renamed symbol its canonical name, and
  // rewrites trans_total of every transaction of a canonical symbol whose
  // amount changed, in one pass over trans_table. 0 when every total was
  // written; 2 when a locked transaction kept its total or a write failed
  // (the others are still written, except where the pass is one statement,
  // which writes all or none). `renamed` turns false when a rename was not
  // written. `names`, when given, says each symbol's new name instead of
  // the database's join.
  int RewriteTransactions(const SecurityMasterData::Records& canonical, InactiveRenames* names,
                          bool& renamed);

  // A transaction's total before and after (decimal text).
  struct TotalChange {
    std::string id, from, to;
  };
  // The total of a row of HTransDAO::StreamForRenameAndRecalc, given its
  // symbol's factor; nothing when the stored total already is that to six
  // decimals.
  static std::optional<TotalChange> NewTotalOf(const std::vector<std::string>& row, double symbolFactor);

  // The factor between a quantity times price and the amount: the contract
  // size of options, lot size times multiplier of futures and currency
  // contracts, 1 otherwise.
  static double SymbolFactor(PackedFields record);

  // A transaction's new total (decimal text) in its stored form, millionths,
  // unless the transaction is locked (`lockId` not empty). 0 when it may be
  // written, 1 when locked, 2 when too large to store; the id is then kept
  // among the unchanged ones.
  int TotalToStore(const std::string& id, const std::string& lockId, const std::string& total,
                   std::string& millionths);

  // Told of each total RewriteTransactions rewrites: the transaction id, the
  // total before and after (decimal text).
  using TotalWatcher =
      std::function<void(const std::string& id, const std::string& from, const std::string& to)>;
  void WatchTotals(TotalWatcher watcher) { watchTotals_ = std::move(watcher); }

  // What the server answered (valid once Run has read the answer).
  const SecurityMasterData& answer() const { return data_; }

  // The ids RewriteTransactions left unchanged (locked or failed).
  const std::vector<long>& unchangedIds() const { return unchangedIds_; }

  // What Run wrote: the symbols, and the totals RewriteTransactions rewrote.
  const HSymboDAO::UpdateCounts& symbolCounts() const { return counts_; }
  uint64_t totalsRecalculated() const { return totalsRecalculated_; }

  // Why Run returned false (kNone after a true), and the message box it showed.
  VoServices::SymbolUpdateFailure failureKind() const { return failureKind_; }
  const std::string& failure() const { return failure_; }

 private:
  // What the pass does to one row: its new name, its new total, or neither.
  struct RowChange {
    std::optional<std::string> name;
    std::optional<TotalChange> total;
    std::string millionths;  // the new total as stored
  };
  // Forgets what a pass learned of the rows: the ids kept, the notes, the
  // last symbol looked up.
  void StartPass();
  RowChange ChangeOf(const std::vector<std::string>& row, const SecurityMasterData::Records& canonical,
                     InactiveRenames* names, int& status);
  // The pass as one statement that writes as it reads; the rows of a
  // database that cannot, read and written back a batch at a time.
  int RewriteInPlace(const SecurityMasterData::Records& canonical, InactiveRenames& names, bool& renamed);
  int RewriteInBatches(const SecurityMasterData::Records& canonical, InactiveRenames* names, bool& renamed);

  void Report(const std::string& step) const;
  bool Fail(VoServices::SymbolUpdateFailure kind, const std::string& message);
  // Sends the request and reads every answer into data_, reporting the steps
  // of one exchange once. The message box of a failing step is shown here.
  bool ExchangeAll(SecurityMasterRequest& request);

  std::string url_;
  size_t batchSymbols_ = 0;
  VoServices::ProgressCallback progress_;
  std::unique_ptr<SecurityMasterClient> client_;
  SecurityMasterData data_;
  HTransDAO transactions_;
  std::vector<long> unchangedIds_;
  HSymboDAO::UpdateCounts counts_;
  uint64_t totalsRecalculated_ = 0;
  TotalWatcher watchTotals_;
  // Debug lines of the pass, told once it ends: its rows may be decided on
  // another thread, and handlers are called on the caller's.
  std::vector<std::string> notes_;
  // The canonical symbol the pass looked up last, kept for the rows after it:
  // a symbol is looked up once for a run of its rows, not once a row.
  struct LastSymbol {
    std::string name;  // by name where the database joins the renames
    bool named = false;
    size_t key = PackedRecordTable::npos;
    size_t factorKey = PackedRecordTable::npos;  // the record whose factor is `factor`
    double factor = 1;
  } lastSymbol_;
  VoServices::SymbolUpdateFailure failureKind_ = VoServices::SymbolUpdateFailure::kNone;
  std::string failure_;
};

}  // namespace vo
