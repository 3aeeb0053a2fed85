#include "cli/ImportRunOptions.h"

#include <CLI/CLI.hpp>

void AddImportRunOptions(CLI::App& import, VoServices::ImportOptions& options) {
  import.add_flag("--once", options.once,
                  "Refuse a file whose content was already imported for the account");
  import.add_flag("--skip-duplicates", options.skipDuplicates,
                  "Leave out rows whose content the account already holds, once per stored row");
}

void ReportImportRun(const VoServices::ImportOptions& options,
                     const VoServices::ImportOutcome& outcome, std::ostream& err) {
  if (outcome.previousRunId != 0) {
    bool refused = options.once && !outcome.imported;
    err << "vo: " << (refused ? "refused: " : "warning: ")
        << "this file was already imported by run " << outcome.previousRunId << " for the account"
        << std::endl;
  }
  if (options.skipDuplicates && outcome.imported) {
    err << "vo: " << outcome.duplicatesSkipped << " duplicate transactions "
        << (outcome.dryRun ? "would be skipped" : "skipped") << std::endl;
  }
}
