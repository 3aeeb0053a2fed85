// The symbol update with its outcome: the same update as UpdateSymbols (see
// VoServices.h), the same messages and message boxes, and why it stopped as a
// kind that code can branch on.
#pragma once

#include <string>
#include <vector>

#include "voservices/Export.h"
#include "voservices/SymbolUpdateOutcome.h"
#include "voservices/ProgressCallback.h"

namespace VoServices {

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
