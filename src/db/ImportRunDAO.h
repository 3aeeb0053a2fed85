// Every statement about the record of import runs (import_run and its links to
// the transactions and symbols each run wrote). Holds the process-wide
// Database; owns nothing. Writes join whatever transaction is open.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "voservices/ImportRunInfo.h"

namespace vo {

class Database;

class ImportRunDAO {
 public:
  using Run = VoServices::ImportRunInfo;

  ImportRunDAO();

  // Stores the run (its id is ignored); on success run.id holds the new id.
  bool Insert(Run& run);
  // Rewrites the run's end, counts and result.
  bool Finish(const Run& run);
  // Links the stored transactions whose ids run from `first` to `last`,
  // `step` apart.
  bool LinkTransactions(uint64_t runId, uint64_t first, uint64_t last, uint64_t step);
  // Writes the account's row of import_claim in the open transaction: every
  // import into an account writes the same row, so two imports into one
  // account that run at once on two nodes of a cluster cannot both commit;
  // the one done again then sees what the other stored.
  bool Claim(const std::string& accountId, uint64_t runId);
  // Links the symbols the run added, in their order, many to a statement.
  bool LinkSymbols(uint64_t runId, std::span<const std::string> symbols);

  // The last run that imported this content for the account and was not
  // undone. False on a failed read; found tells whether there is one.
  bool FindImported(const std::string& accountId, const std::string& sha256, Run& run,
                    bool& found);
  // The runs of the account (of every account when it is empty), by id.
  bool List(const std::string& accountId, std::vector<Run>& runs);
  // The run of that id; found tells whether there is one.
  bool Get(uint64_t runId, Run& run, bool& found);
  bool MarkUndone(uint64_t runId);

 private:
  bool Select(const std::string& condition, std::vector<Run>& runs);

  Database* db_;
};

}  // namespace vo
