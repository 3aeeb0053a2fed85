// The whole symbol update behind VoServices::UpdateSymbols.
#pragma once

#include <string>

#include "voservices/VoServices.h"

namespace vo {

class HSymboDAO;
class SecurityMasterRequest;

// Opens the database and reads the symbols an update starts from into the
// request, row by row. False, after a message box, when the database cannot
// be opened or holds no symbol.
bool ReadSymbolsToUpdate(HSymboDAO& symbols, VoServices::ProgressCallback progress, SecurityMasterRequest& request);

bool RunSymbolUpdate(std::string url, VoServices::ProgressCallback progress);

}  // namespace vo
