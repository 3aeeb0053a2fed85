// The whole symbol update behind VoServices::UpdateSymbols.
#pragma once

#include <string>

#include "voservices/ProgressCallback.h"
#include "voservices/SymbolUpdateOutcome.h"

namespace vo {

class HSymboDAO;
class SecurityMasterRequest;

// Opens the database and reads the symbols an update starts from into the
// request, row by row. False, after a message box (and with the outcome's
// failure set when one is given), when the database cannot be opened or
// holds no symbol.
bool ReadSymbolsToUpdate(HSymboDAO& symbols, VoServices::ProgressCallback progress, SecurityMasterRequest& request,
                         VoServices::SymbolUpdateOutcome* outcome = nullptr);

VoServices::SymbolUpdateOutcome RunSymbolUpdate(std::string url, VoServices::ProgressCallback progress);

}  // namespace vo
