// Runs the two maintenance operations (option expiration, smart time) and the
// group and event inserts they need, on the connection already open in the
// process. Holds the Database pointer; owns nothing.
#pragma once

#include <map>
#include <string>
#include <vector>

class Database;
class GroupRecord;

class MaintenanceRunner {
 public:
  MaintenanceRunner();

  bool ExpireOptionsCore(const std::map<std::string, std::string>& idToQuantity);
  bool ApplySmartTimeCore(const std::vector<std::string>& ids);

  // On success field 0 of the group holds the new id.
  bool InsertGroup(GroupRecord& group);
  bool InsertEvent(const std::string& transId, int eventType, const std::string& date,
                   const std::string& quantity);

 private:
  Database* db_;
};
