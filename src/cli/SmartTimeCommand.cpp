// vo smart-time: same-day trades re-ordered, each trade moved printed as
// "moved ID FROM -> TO".
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "voservices/Maintenance.h"

Command AddSmartTimeCommand(CLI::App& app) {
  auto ids = std::make_shared<std::vector<std::string>>();
  CLI::App* smartTime = app.add_subcommand("smart-time", "Re-order same-day trades");
  smartTime->add_option("ID", *ids, "Transaction ids")->required();
  return {smartTime, [ids] {
            if (!OpenDatabase()) return kExitFalse;
            const VoServices::MaintenanceOutcome outcome = VoServices::ApplySmartTimeWithOutcome(*ids);
            for (const VoServices::SmartTimeMove& move : outcome.moves) {
              std::cout << "moved " << move.id << " " << move.from << " -> " << move.to << '\n';
            }
            return MaintenanceResult(outcome, "smart-time");
          }};
}
