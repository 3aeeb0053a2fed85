// vo update-symbols: the symbol table refreshed from a security master server.
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
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

// The update tried and rolled back: its changes on stdout, nothing written.
int RunDryRun(const std::string& url) {
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
