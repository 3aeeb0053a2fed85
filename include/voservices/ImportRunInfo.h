// An import as the run record keeps it, and what undoing one did, apart from
// the functions that list and undo runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace VoServices {

// One import as recorded. Dates are "YYYY-MM-DD HH:MM:SS" in local standard time.
struct ImportRunInfo {
  uint64_t id = 0;
  std::string accountId;
  std::string filePath;
  uint64_t fileSize = 0;
  std::string sha256;  // of the file's bytes, 64 lower-case hex digits
  std::string format;
  std::string started;
  std::string ended;
  uint64_t transactionsStored = 0;
  uint64_t symbolsAdded = 0;
  uint64_t duplicatesSkipped = 0;
  std::string logPath;
  // "imported", "undone", or "failed: " and the reason.
  std::string result;
  std::string undone;  // when it was undone; empty when it was not
};

struct UndoOutcome {
  bool undone = false;
  uint64_t transactionsRemoved = 0;
  uint64_t symbolsRemoved = 0;
  // Why nothing was undone; empty when the run was undone.
  std::string failure;
  // When rows made later refer to the run's transactions: each such row, as
  // "grp_table 3 (trans_id_open 12)" or "event_table 5 (trans_id 12)".
  std::vector<std::string> blockers;
};

}  // namespace VoServices
