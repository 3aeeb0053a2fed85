#include "maintenance/MaintenanceRunner.h"

#include "ledgerdb/Database.h"

// Placeholder until option expiration and smart time are built.
MaintenanceRunner::MaintenanceRunner() : db_(Database::Instance()) {}

bool MaintenanceRunner::ExpireOptionsCore(const std::map<std::string, std::string>&) { return false; }
bool MaintenanceRunner::ApplySmartTimeCore(const std::vector<std::string>&) { return false; }
bool MaintenanceRunner::InsertGroup(GroupRecord&) { return false; }
bool MaintenanceRunner::InsertEvent(const std::string&, int, const std::string&, const std::string&) {
  return false;
}
