// The whole symbol update behind VoServices::UpdateSymbols.
#pragma once

#include <string>

#include "voservices/VoServices.h"

bool RunSymbolUpdate(std::string url, VoServices::ProgressCallback progress);
