// vo expire-options: expirations recorded for option positions.
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "voservices/VoServices.h"

namespace {

int RunExpireOptions(const std::vector<std::string>& pairs) {
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
  return MaintenanceResult(VoServices::ExpireOptions(idToQuantity, nullptr), "expire-options");
}

}  // namespace

Command AddExpireOptionsCommand(CLI::App& app) {
  auto pairs = std::make_shared<std::vector<std::string>>();
  CLI::App* expire = app.add_subcommand("expire-options", "Record expirations of option positions");
  expire->add_option("ID=QTY", *pairs, "Opening transaction id and expiring quantity")->required();
  return {expire, [pairs] { return RunExpireOptions(*pairs); }};
}
