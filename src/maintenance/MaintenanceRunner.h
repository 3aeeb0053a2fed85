// Runs the two maintenance operations (option expiration, smart time) and the
// group and event inserts they need, on the connection already open in the
// process; never opens one. Holds the Database pointer; owns nothing.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "db/TransRecord.h"
#include "voservices/SmartTimeMove.h"

namespace vo {

class Database;
class GroupRecord;

class MaintenanceRunner {
 public:
  MaintenanceRunner();

  // For each listed opening transaction (id -> expiring quantity) whose
  // symbol's expiration date has passed: stores the expiration transaction,
  // its gain/loss group and its expire event. Keys that are not plain whole
  // numbers are left out. True when at least one expiration was stored; false
  // for an empty map or when nothing expired.
  bool ExpireOptionsCore(const std::map<std::string, std::string>& idToQuantity);

  // Among the listed transactions, moves every buy that follows a sale (and
  // every short sale that follows a buy to cover) of the same account, symbol
  // and day to one second before that sale. Ids that are not plain whole
  // numbers are left out. True when at least one transaction was moved.
  // `moves`, when given, gets the trades moved once the run has committed.
  bool ApplySmartTimeCore(const std::vector<std::string>& ids,
                          std::vector<VoServices::SmartTimeMove>* moves = nullptr);

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

  // Whether `cur` (a smart-time select row) is moved before `anchor`.
  static bool IsSmartTimePair(const Row& anchor, const Row& cur);

  Database* db_;
};

}  // namespace vo
