// vo update-symbols: the symbol table refreshed from a security master server.
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "ledgerdb/Database.h"
#include "ledgerdb/MariaDbTarget.h"
#include "symbols/SymbolUpdatePreview.h"
#include "voservices/VoServices.h"

namespace {

bool PrintProgress(std::string message, int32_t) {
  std::cerr << message << std::endl;
  return true;
}

struct UpdateArgs {
  std::string url;
  bool dryRun = false;
};

// The update tried and rolled back: its changes on stdout, nothing written,
// and no database made where there is none.
int RunDryRun(const std::string& url) {
  const std::string location = Database::Location();
  if (!MariaDbTarget::IsUrl(location) && !std::filesystem::exists(location)) {
    std::cerr << "vo: cannot open the database: " << location << ": no such file" << std::endl;
    return kExitFalse;
  }
  std::vector<std::string> changes;
  const bool updated = PreviewSymbolUpdate(url, PrintProgress, changes);
  for (const std::string& change : changes) std::cout << change << '\n';
  std::cerr << "vo: dry run: " << changes.size() << " changes, nothing written" << std::endl;
  return ExitFor(updated);
}

}  // namespace

Command AddUpdateSymbolsCommand(CLI::App& app) {
  auto args = std::make_shared<UpdateArgs>();
  CLI::App* update = app.add_subcommand("update-symbols", "Update symbols from a security master server");
  update->add_option("URL", args->url, "Server endpoint")->required();
  update->add_flag("--dry-run", args->dryRun,
                   "Print the renames, field changes and totals the update would make; write nothing");
  return {update, [args] {
            if (args->dryRun) return RunDryRun(args->url);
            return ExitFor(VoServices::UpdateSymbols(args->url, PrintProgress));
          }};
}
