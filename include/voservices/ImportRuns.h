// The record of import runs, beside the five functions: every import is kept
// with the file's SHA-256, what it wrote and how it ended, and any run that
// stored rows can be undone. Each call connects to the database when the
// process is not connected yet, and never throws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "voservices/Export.h"

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

// The runs of one account (of every account when accountId is empty), oldest
// first. False, with the reason in error, when the database cannot be read.
VOSERVICES_API bool ListImportRuns(const std::string& accountId, std::vector<ImportRunInfo>& runs,
                    std::string& error);

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

// Removes, in one database transaction, every transaction the run stored and
// the symbols it added that no transaction, position, corporate event,
// portfolio or other symbol uses, and marks the run undone. Refuses (nothing
// changed) when the run is unknown, was not imported, or when groups or
// events refer to its transactions.
VOSERVICES_API UndoOutcome UndoImportRun(uint64_t runId);

}  // namespace VoServices
