// vo update-symbols: the symbol table refreshed from a security master server.
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "voservices/SymbolUpdate.h"
#include "voservices/VoServices.h"

namespace {

bool PrintProgress(std::string message, int32_t) {
  std::cerr << message << std::endl;
  return true;
}

struct UpdateArgs {
  std::string url;
  bool dryRun = false;
  size_t batch = 0;
};

// The update tried and rolled back: its changes on stdout, nothing written,
// and no database made where there is none.
int RunDryRun(const std::string& url) {
  if (!DatabaseExists()) return kExitFalse;
  std::vector<std::string> changes;
  const bool updated = VoServices::PreviewSymbolUpdate(url, PrintProgress, changes);
  for (const std::string& change : changes) std::cout << change << '\n';
  std::cerr << "vo: dry run: " << changes.size() << " changes, nothing written" << std::endl;
  return ExitFor(updated);
}

int RunUpdate(const std::string& url) {
  std::string line;
  const int status = SymbolUpdateResult(VoServices::UpdateSymbolsWithOutcome(url, PrintProgress), line);
  std::cerr << "vo: " << line << std::endl;
  return status;
}

}  // namespace

// The library sends one request unless asked for batches; vo asks for
// batches of this many symbols unless told otherwise, so that no request
// grows past what a server accepts.
constexpr size_t kDefaultBatch = 10000;

void AskForSymbolBatches(size_t batch) {
  if (batch > 0) {
    setenv("VO_SECMASTER_BATCH", std::to_string(batch).c_str(), 1);
  } else {
    setenv("VO_SECMASTER_BATCH", std::to_string(kDefaultBatch).c_str(), 0);
  }
}

// Nothing to change is no failure: every symbol current, or none to send.
int SymbolUpdateResult(const VoServices::SymbolUpdateOutcome& outcome, std::string& line) {
  switch (outcome.failureKind) {
    case VoServices::SymbolUpdateFailure::kNone:
      line = "updated: " + std::to_string(outcome.symbolsRenamed) + " symbols renamed, " +
             std::to_string(outcome.symbolsChanged) + " changed, " + std::to_string(outcome.symbolsAdded) +
             " added, " + std::to_string(outcome.totalsRecalculated) + " transaction totals recalculated";
      return 0;
    case VoServices::SymbolUpdateFailure::kAllCurrent:
    case VoServices::SymbolUpdateFailure::kNoSymbols:
      line = "nothing to update: " + outcome.failure;
      return 0;
    default:
      line = "update-symbols failed: " + outcome.failure;
      return kExitFalse;
  }
}

Command AddUpdateSymbolsCommand(CLI::App& app) {
  auto args = std::make_shared<UpdateArgs>();
  CLI::App* update = app.add_subcommand("update-symbols", "Update symbols from a security master server");
  update->add_option("URL", args->url, "Server endpoint")->required();
  update->add_flag("--dry-run", args->dryRun,
                   "Print the renames, field changes and totals the update would make; write nothing");
  update->add_option("--batch", args->batch,
                     "Symbols per request (default: $VO_SECMASTER_BATCH, else 10000); "
                     "a URL's vo_batch=N wins over both");
  return {update, [args] {
            AskForSymbolBatches(args->batch);
            if (args->dryRun) return RunDryRun(args->url);
            if (!DatabaseExists()) return kExitFalse;
            return RunUpdate(args->url);
          }};
}
