// Runs the two maintenance operations (option expiration, smart time) and the
// group and event inserts they need, on the connection already open in the
// process; never opens one. Holds the Database pointer; owns nothing.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "db/TransRecord.h"
#include "voservices/MaintenanceOutcome.h"

namespace vo {

class Database;
class DbTransaction;
class GroupRecord;

class MaintenanceRunner {
 public:
  MaintenanceRunner();

  // For each listed opening transaction (id -> expiring quantity) whose
  // symbol's expiration date has passed: stores the expiration transaction,
  // its gain/loss group and its expire event. Keys that are not plain whole
  // numbers are left out. Changed when at least one expiration was stored.
  VoServices::MaintenanceOutcome ExpireOptionsCore(const std::map<std::string, std::string>& idToQuantity);

  // Among the listed transactions, moves every buy that follows a sale (and
  // every short sale that follows a buy to cover) of the same account, symbol
  // and day to one second before that sale. Ids that are not plain whole
  // numbers are left out. Changed when at least one transaction was moved.
  VoServices::MaintenanceOutcome ApplySmartTimeCore(const std::vector<std::string>& ids);

  // On success field 0 of the group holds the new id; on failure it is unchanged.
  bool InsertGroup(GroupRecord& group);
  bool InsertEvent(const std::string& transId, int eventType, const std::string& date,
                   const std::string& quantity);

  // The closing action for an opening action; TransActionIgnore (52) outside the table.
  static int ExpireAction(int openAction, int securityType);

 private:
  using Row = std::vector<std::string>;
  // The expiration transaction closing `open`; empty when the opening action
  // has no expiration action.
  static std::optional<TransRecord> MakeExpiration(const TransRecord& open,
                                                   const std::string& quantity,
                                                   const std::string& expirationDate,
                                                   int securityType);
  // Stores the group tying `open` to its stored expiration `closeId`, and the
  // expire event. Failures are not reported: the expiration stays.
  void RecordExpirationGroup(const TransRecord& open, const std::string& closeId,
                             const std::string& quantity, const std::string& expirationDate);

  // An outcome that changed nothing, and why.
  VoServices::MaintenanceOutcome Unchanged(VoServices::MaintenanceFailure kind, const std::string& why) const;
  // The outcome of a run whose writes are done: committed, and whether they
  // changed anything (`what` names what would have changed).
  VoServices::MaintenanceOutcome Finish(DbTransaction& writes, VoServices::MaintenanceOutcome outcome,
                                        const std::string& what) const;

  // Whether `cur` (a smart-time select row) is moved before `anchor`.
  static bool IsSmartTimePair(const Row& anchor, const Row& cur);

  Database* db_;
};

}  // namespace vo
