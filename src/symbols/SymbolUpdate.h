// The whole symbol update behind VoServices::UpdateSymbols.
#pragma once

#include <string>

#include "voservices/VoServices.h"

class DBQueryResult;
class HSymboDAO;

// Opens the database and reads the symbols an update starts from. False,
// after a message box, when the database cannot be opened or holds no symbol.
bool ReadSymbolsToUpdate(HSymboDAO& symbols, VoServices::ProgressCallback progress, DBQueryResult& rows);

bool RunSymbolUpdate(std::string url, VoServices::ProgressCallback progress);
