// The record of import runs, beside the five functions: every import is kept
// with the file's SHA-256, what it wrote and how it ended, and any run that
// stored rows can be undone. Each call connects to the database when the
// process is not connected yet, and never throws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "voservices/Export.h"
#include "voservices/ImportRunInfo.h"

namespace VoServices {

// The runs of one account (of every account when accountId is empty), oldest
// first. False, with the reason in error, when the database cannot be read.
VOSERVICES_API bool ListImportRuns(const std::string& accountId, std::vector<ImportRunInfo>& runs,
                    std::string& error);

// Removes, in one database transaction, every transaction the run stored and
// the symbols it added that no transaction, position, corporate event,
// portfolio or other symbol uses, and marks the run undone. Refuses (nothing
// changed) when the run is unknown, was not imported, or when groups or
// events refer to its transactions.
VOSERVICES_API UndoOutcome UndoImportRun(uint64_t runId);

}  // namespace VoServices
