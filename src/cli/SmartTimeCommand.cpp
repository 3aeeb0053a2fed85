// vo smart-time: same-day trades re-ordered.
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "voservices/VoServices.h"

Command AddSmartTimeCommand(CLI::App& app) {
  auto ids = std::make_shared<std::vector<std::string>>();
  CLI::App* smartTime = app.add_subcommand("smart-time", "Re-order same-day trades");
  smartTime->add_option("ID", *ids, "Transaction ids")->required();
  return {smartTime, [ids] {
            if (!OpenDatabase()) return kExitFalse;
            return MaintenanceResult(VoServices::ApplySmartTime(*ids, nullptr), "smart-time");
          }};
}
