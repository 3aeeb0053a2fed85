// The symbol update with its outcome: the same update as UpdateSymbols (see
// VoServices.h), the same messages and message boxes, and why it stopped as a
// kind that code can branch on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "voservices/Export.h"
#include "voservices/VoServices.h"

namespace VoServices {

enum class SymbolUpdateFailure : uint8_t {
  kNone,               // updated
  kNoSymbols,          // the database holds no symbol worth sending
  kAllCurrent,         // the server found every symbol current: nothing to change
  kDatabaseUnusable,   // the database could not be opened, or the writes could not begin
  kServerUnreachable,  // no answer to the connection test (address, TLS, timeout)
  kRequestFailed,      // the request was not answered, or answered with a status from 400
  kBadAnswer,          // the answer could not be read
  kWriteFailed,        // the renames, the symbols or the recalculated totals could not all be written
};

struct SymbolUpdateOutcome {
  bool updated = false;  // what UpdateSymbols returns for the same run
  SymbolUpdateFailure failureKind = SymbolUpdateFailure::kNone;
  std::string failure;  // the message box text of the step that stopped it; empty when updated
  // What was written (also by an update that failed at a later step):
  uint64_t symbolsRenamed = 0;      // symbols now known by another name, in every table
  uint64_t symbolsChanged = 0;      // symbols rewritten from the server's record
  uint64_t symbolsAdded = 0;        // canonical symbols the ledger did not have
  uint64_t totalsRecalculated = 0;  // transactions whose trans_total was rewritten
};

VOSERVICES_API SymbolUpdateOutcome UpdateSymbolsWithOutcome(std::string url, ProgressCallback progress);

// The whole update run inside a transaction that is rolled back: nothing is
// kept, and its changes are listed as lines, the renames ("rename OLD ->
// NEW"), each sym_table field it changes and each symbol it adds or removes
// ("sym_table NAME: ..."), and each transaction total it recalculates
// ("trans_table ID: trans_total FROM -> TO"). Returns what UpdateSymbols
// would return; shows the same messages.
VOSERVICES_API bool PreviewSymbolUpdate(std::string url, ProgressCallback progress,
                                        std::vector<std::string>& changes);

}  // namespace VoServices
