// vo expire-options: expirations recorded for option positions. Entries that
// would record an expiration of nothing (an id of no option position, a
// position expired or closed already, a quantity above what is open) are
// refused, with their reasons, before anything is written; --force records
// them as asked.
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "voservices/Maintenance.h"

namespace {

int RunExpireOptions(const std::vector<std::string>& pairs, bool force) {
  std::map<std::string, std::string> idToQuantity;
  for (const std::string& pair : pairs) {
    size_t equals = pair.find('=');
    if (equals == std::string::npos) {
      std::cerr << "vo: expected ID=QTY, got " << pair << std::endl;
      return kExitUsage;
    }
    idToQuantity[pair.substr(0, equals)] = pair.substr(equals + 1);
  }
  if (!OpenDatabase()) return kExitFalse;
  if (!force) {
    const std::vector<std::string> problems = VoServices::CheckExpirations(idToQuantity);
    for (const std::string& problem : problems) std::cerr << "vo: expire-options: refused " << problem << std::endl;
    if (!problems.empty()) {
      std::cerr << "vo: expire-options changed nothing (--force records them as asked)" << std::endl;
      return kExitFalse;
    }
  }
  const VoServices::MaintenanceOutcome outcome = VoServices::ExpireOptionsWithOutcome(idToQuantity);
  for (const std::string& id : outcome.expiredIds) std::cout << "expired " << id << " " << idToQuantity[id] << '\n';
  return MaintenanceResult(outcome, "expire-options");
}

}  // namespace

Command AddExpireOptionsCommand(CLI::App& app) {
  auto pairs = std::make_shared<std::vector<std::string>>();
  auto force = std::make_shared<bool>(false);
  CLI::App* expire = app.add_subcommand("expire-options", "Record expirations of option positions");
  expire->add_option("ID=QTY", *pairs, "Opening transaction id and expiring quantity")->required();
  expire->add_flag("--force", *force, "Record them even where the ledger says the position is not open");
  return {expire, [pairs, force] { return RunExpireOptions(*pairs, *force); }};
}
