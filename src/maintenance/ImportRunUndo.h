// Undoes one recorded import run: removes the transactions it stored and the
// symbols it added that nothing else uses, and marks the run undone, all in one
// database transaction. Uses the process's connection; owns nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "voservices/ImportRunInfo.h"

namespace vo {

class DBQueryResult;
class Database;

class ImportRunUndo {
 public:
  ImportRunUndo();

  // Nothing changes unless the outcome says undone.
  VoServices::UndoOutcome Undo(uint64_t runId);

 private:
  using Names = std::vector<std::string>;

  bool Select(const std::string& select, DBQueryResult& result);
  // The first column of every row of a select; false when it fails.
  bool Column(const std::string& select, Names& cells);
  bool Run(const std::string& statement);
  // The groups and events that refer to the transactions, one text each.
  bool FindReferrers(const std::string& transIds, Names& referrers);
  // Of the run's symbols, those no row outside the run uses any more.
  bool UnusedSymbols(const std::string& runId, Names& symbols);

  Database* db_;
};

}  // namespace vo
