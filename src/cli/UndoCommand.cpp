// vo undo: removes what one recorded import stored.
#include <iostream>
#include <memory>

#include "cli/Command.h"
#include "voservices/ImportRuns.h"

namespace {

int RunUndo(uint64_t runId) {
  if (!DatabaseExists()) return kExitFalse;
  VoServices::UndoOutcome outcome = VoServices::UndoImportRun(runId);
  if (!outcome.undone) {
    std::cerr << "vo: cannot undo run " << runId << ": " << outcome.failure << std::endl;
    return kExitFalse;
  }
  std::cout << "run " << runId << " undone: " << outcome.transactionsRemoved
            << " transactions and " << outcome.symbolsRemoved << " symbols removed" << std::endl;
  return 0;
}

}  // namespace

Command AddUndoCommand(CLI::App& app) {
  auto runId = std::make_shared<uint64_t>(0);
  CLI::App* undo = app.add_subcommand("undo", "Undo one recorded import (see vo runs)");
  undo->add_option("RUN", *runId, "The run's number (see vo runs)")
      ->required()
      ->check(PositiveWholeNumber("a run number as vo runs lists them"));
  return {undo, [runId] { return RunUndo(*runId); }};
}
