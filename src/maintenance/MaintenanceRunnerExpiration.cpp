// Option expiration:
//  1. an empty map: false;
//  2. select the listed transactions whose symbol has expired (the select
//     lists only keys that are plain whole numbers);
//  3. per row: build the expiration transaction and store it, then its
//     gain/loss group and its expire event.
// The run's rows are written in one database transaction, so an interrupted
// run leaves no expiration without its group and event.
// Rows that cannot be expired sensibly are skipped and write nothing: an
// opening action without an expiration action, an id that is not a key of the
// map, an expiring quantity that is not a positive number, an opening quantity
// that is not positive (the gain would divide by it).
#include "maintenance/MaintenanceRunner.h"

#include "db/EnumValues.h"
#include "db/GroupRecord.h"
#include "db/HTransDAO.h"
#include "db/TableColumns.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DbTransaction.h"
#include "maintenance/PlainNumbers.h"
#include "values/DateTime.h"
#include "values/NumberText.h"

namespace vo {

namespace {

using namespace TransColumn;

// Cells the expired select appends after the 30 transaction columns.
constexpr size_t kExpirationDateCell = 30;
constexpr size_t kSecurityTypeCell = 31;

// Opening action -> expiration action (journal-ins depend on the symbol's type).
struct Expiry {
  int openAction;
  int expireAction;
};
constexpr Expiry kExpiries[] = {
    {5, 17},   // Buy Call -> Buy Call - Expired
    {7, 19},   // Buy Put -> Buy Put - Expired
    {9, 18},   // Sell Call to Open -> Sell Call to Open - Expired
    {11, 20},  // Sell Put to Open -> Sell Put to Open - Expired
};

// Fields an expiration carries no amount in.
constexpr int kZeroedFields[] = {kTransSecFee,  kTransFedTax,     kTransBaseAdj, kTransCommission,
                                 kTransMiscFee, kTransUnitPrice, kTransTotal};
constexpr int kDateFields[] = {kTransDtTrade, kTransDtSettle, kTransDtJrnl};

// The group field that carries the gain of each holding term (HeldType value).
struct HeldGain {
  int term;
  int field;
};
constexpr HeldGain kHeldGains[] = {
    {1, GroupRecord::kGrpStGl}, {2, GroupRecord::kGrpLtGl}, {3, GroupRecord::kGrpVltGl}};

}  // namespace

int MaintenanceRunner::ExpireAction(int openAction, int securityType) {
  if (openAction == kTransActionJournalIn) {
    return securityType == kSecurityTypeCall ? kTransActionExpireBuyCall : kTransActionExpireBuyPut;
  }
  for (const Expiry& expiry : kExpiries) {
    if (expiry.openAction == openAction) return expiry.expireAction;
  }
  return kTransActionIgnore;
}

std::optional<TransRecord> MaintenanceRunner::MakeExpiration(const TransRecord& open,
                                                             const std::string& quantity,
                                                             const std::string& expirationDate,
                                                             int securityType) {
  int action = ExpireAction(TextToInt(open.GetField(kTransAction)), securityType);
  if (action == kTransActionIgnore) return std::nullopt;

  TransRecord close(open);
  close.SetField(kTransAction, action);
  close.SetField(kTransPos, kTransPosClose);
  close.SetField(kTransQty, quantity);
  for (int field : kDateFields) close.SetField(field, expirationDate);
  for (int field : kZeroedFields) close.SetField(field, std::string("0.0"));
  close.SetField(kTransNoteUser, std::string());
  close.SetField(kTransChangeDate, DateTime::Now().ToDisplayText());
  return close;
}

void MaintenanceRunner::RecordExpirationGroup(const TransRecord& open, const std::string& closeId,
                                              const std::string& quantity,
                                              const std::string& expirationDate) {
  GroupRecord group;
  group.SetField(GroupRecord::kGrpId, std::string("NULL"));
  group.SetField(GroupRecord::kGrpType, kGroupTypeVOManagedOption);
  group.SetField(GroupRecord::kGrpQty, quantity);

  double amount = TextToDouble(open.GetField(kTransTotal)) *
                  (TextToDouble(quantity) / TextToDouble(open.GetField(kTransQty)));
  if (TextToInt(open.GetField(kTransType)) == kTransTypeLong) amount = -amount;
  std::string gain = FormatNumber(amount, false, 6, true);

  int term = DateTime::HeldTerm(open.GetField(kTransDtTrade), expirationDate);
  for (const HeldGain& held : kHeldGains) {
    group.SetField(held.field, term == held.term ? gain : std::string("0"));
  }

  group.SetField(GroupRecord::kTransIdOpen, open.GetField(kTransId));
  group.SetField(GroupRecord::kTransIdClose, closeId);
  group.SetField(GroupRecord::kGrpOpenQty, open.GetField(kTransQty));
  group.SetField(GroupRecord::kGrpLocked, kGroupLockStatusNotLocked);
  InsertGroup(group);
  InsertEvent(closeId, kEventTypeExpire, expirationDate, quantity);
}

VoServices::MaintenanceOutcome MaintenanceRunner::ExpireOptionsCore(
    const std::map<std::string, std::string>& idToQuantity) {
  using VoServices::MaintenanceFailure;
  if (idToQuantity.empty()) return Unchanged(MaintenanceFailure::kNothingAsked, "no positions were given");

  DbTransaction writes(db_);  // no write of the run may happen outside it
  if (!writes.active()) return Unchanged(MaintenanceFailure::kDatabaseUnusable, db_->LastError());
  HTransDAO transactions;
  DBQueryResult rows;
  transactions.SelectExpired(idToQuantity, rows);  // a failed select leaves no rows

  VoServices::MaintenanceOutcome outcome;
  for (const Row& row : rows) {
    if (row.size() <= kSecurityTypeCell) continue;
    const std::string& expirationDate = row[kExpirationDateCell];
    int securityType = TextToInt(row[kSecurityTypeCell]);
    TransRecord open(row);

    auto quantity = idToQuantity.find(open.GetField(kTransId));
    if (quantity == idToQuantity.end() || !IsPositiveDecimal(quantity->second)) continue;
    if (TextToDouble(open.GetField(kTransQty)) <= 0) continue;

    std::optional<TransRecord> close =
        MakeExpiration(open, quantity->second, expirationDate, securityType);
    if (!close || !transactions.InsertRecord(*close)) continue;
    RecordExpirationGroup(open, close->GetField(kTransId), quantity->second, expirationDate);
    outcome.expiredIds.push_back(open.GetField(kTransId));
  }
  outcome.changed = !outcome.expiredIds.empty();
  return Finish(writes, std::move(outcome),
                "none of them is an expired option position with a positive quantity to expire");
}

}  // namespace vo
