#include "maintenance/MaintenanceRunner.h"

#include "db/GroupRecord.h"
#include "ledgerdb/DBData.h"
#include "ledgerdb/Database.h"
#include "ledgerdb/DbTransaction.h"

namespace vo {

namespace {

// grp_table columns by GroupRecord index, in the order they are set.
struct GroupColumn {
  const char* name;
  int index;
};
constexpr GroupColumn kGroupColumns[] = {
    {"grp_st_gl", GroupRecord::kGrpStGl},
    {"grp_lt_gl", GroupRecord::kGrpLtGl},
    {"grp_vlt_gl", GroupRecord::kGrpVltGl},
    {"grp_qty", GroupRecord::kGrpQty},
    {"trans_id_open", GroupRecord::kTransIdOpen},
    {"trans_id_close", GroupRecord::kTransIdClose},
    {"grp_type", GroupRecord::kGrpType},
    {"grp_open_qty", GroupRecord::kGrpOpenQty},
    {"grp_locked", GroupRecord::kGrpLocked},
};

}  // namespace

MaintenanceRunner::MaintenanceRunner() : db_(Database::Instance()) {}

VoServices::MaintenanceOutcome MaintenanceRunner::Unchanged(VoServices::MaintenanceFailure kind,
                                                            const std::string& why) const {
  VoServices::MaintenanceOutcome outcome;
  outcome.failureKind = kind;
  outcome.failure = why;
  return outcome;
}

VoServices::MaintenanceOutcome MaintenanceRunner::Finish(DbTransaction& writes, VoServices::MaintenanceOutcome outcome,
                                                         const std::string& what) const {
  if (!writes.Commit()) {
    return Unchanged(VoServices::MaintenanceFailure::kWriteFailed,
                     "the changes could not be committed: " + db_->LastError());
  }
  if (!outcome.changed) return Unchanged(VoServices::MaintenanceFailure::kNothingToChange, what);
  return outcome;
}

bool MaintenanceRunner::InsertGroup(GroupRecord& group) {
  DBData data("grp_schema");
  data.SetField("grp_id", "NULL");
  for (const GroupColumn& column : kGroupColumns) {
    data.SetField(column.name, group.GetField(column.index));
  }
  if (!db_->insert(data, "grp_table", false)) return false;
  unsigned long id = 0;
  if (db_->GetLastID(id)) group.SetField(GroupRecord::kGrpId, id);
  return true;
}

bool MaintenanceRunner::InsertEvent(const std::string& transId, int eventType,
                                    const std::string& date, const std::string& quantity) {
  DBData data("event_schema");
  data.SetField("event_id", "NULL");
  data.SetField("trans_id", transId);
  data.SetField("event_type", eventType);
  data.SetField("event_date", date);
  data.SetField("event_qty", quantity);
  data.SetField("gen_trans_id", "NULL");
  return db_->insert(data, "event_table", false);
}

}  // namespace vo
