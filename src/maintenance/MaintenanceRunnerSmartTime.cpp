// Smart time: within one account, symbol and day, a buy that the select lists
// after a sale (or a short sale after a buy to cover) is moved to one second
// before that sale, so that the sale closes the older lot first. The row that
// matched last stays the anchor, so several buys after one sale all move to
// the same time; the anchor's time is always the one the select returned.
#include "maintenance/MaintenanceRunner.h"

#include <utility>

#include "db/EnumLookup.h"
#include "db/EnumValues.h"
#include "db/HTransDAO.h"
#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DbTransaction.h"
#include "values/DateTime.h"

namespace vo {

namespace {

// Cells of a smart-time select row.
constexpr size_t kIdCell = 0;
constexpr size_t kTradeTimeCell = 1;
constexpr size_t kSymbolCell = 2;
constexpr size_t kActionCell = 3;
constexpr size_t kAccountCell = 5;
constexpr size_t kRowCells = 6;

// (anchor action, action moved before it): Sell then Buy, Buy to Cover then Short Sell.
struct MovedPair {
  int anchorAction;
  int movedAction;
};
constexpr MovedPair kMovedPairs[] = {{kTransActionSale, kTransActionBuy},
                                    {kTransActionBuyToCover, kTransActionShortSale}};

int ActionOf(const std::string& friendly) { return ValueOfFriendlyString("TransAction", friendly); }

uint32_t DayOf(const DateTime& time) { return static_cast<uint32_t>(time.packed() >> 32); }

}  // namespace

bool MaintenanceRunner::IsSmartTimePair(const Row& anchor, const Row& cur) {
  if (anchor.size() < kRowCells || cur.size() < kRowCells) return false;
  if (anchor[kAccountCell] != cur[kAccountCell] || anchor[kSymbolCell] != cur[kSymbolCell]) {
    return false;
  }
  // A row without a trade date has no day to share.
  DateTime anchorTime(anchor[kTradeTimeCell]);
  DateTime curTime(cur[kTradeTimeCell]);
  if (anchorTime.IsZero() || DayOf(anchorTime) != DayOf(curTime)) return false;

  int anchorAction = ActionOf(anchor[kActionCell]);
  int curAction = ActionOf(cur[kActionCell]);
  for (const MovedPair& pair : kMovedPairs) {
    if (pair.anchorAction == anchorAction && pair.movedAction == curAction) return true;
  }
  return false;
}

VoServices::MaintenanceOutcome MaintenanceRunner::ApplySmartTimeCore(const std::vector<std::string>& ids) {
  using VoServices::MaintenanceFailure;
  if (ids.empty()) return Unchanged(MaintenanceFailure::kNothingAsked, "no transaction ids were given");

  DbTransaction writes(db_);  // every move of the run lands, or none
  if (!writes.active()) return Unchanged(MaintenanceFailure::kDatabaseUnusable, db_->LastError());
  HTransDAO transactions;
  DBQueryResult rows;
  if (!transactions.SelectForSmartTime(rows, ids)) {
    return Unchanged(MaintenanceFailure::kDatabaseUnusable, db_->LastError());
  }

  if (rows.empty()) return Unchanged(MaintenanceFailure::kNothingToChange, "none of the ids names a transaction");

  VoServices::MaintenanceOutcome outcome;
  const Row* anchor = &rows[0];
  for (const Row& cur : rows) {
    if (!IsSmartTimePair(*anchor, cur)) {
      anchor = &cur;
      continue;
    }
    DateTime moved((*anchor)[kTradeTimeCell]);
    moved.Subtract(0, 0, 0, 0, 0, 1);
    const std::string newTime = moved.ToPackedText();

    const std::string was = DateTime(cur[kTradeTimeCell]).ToDisplayText();
    DBData data("trans_schema");
    data.SetField("trans_id", cur[kIdCell]);
    data.SetField("trans_dttrade", newTime);
    data.SetField("trans_dtsettle", newTime);
    data.SetField("trans_note_user", was);
    if (!transactions.UpdateTradeTime(data)) continue;
    outcome.moves.push_back({cur[kIdCell], was, moved.ToDisplayText()});
  }
  outcome.changed = !outcome.moves.empty();
  return Finish(writes, std::move(outcome), "no buy follows a sale (nor a short sale a buy to cover) of its day among them");
}

}  // namespace vo
