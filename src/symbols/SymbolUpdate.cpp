#include "symbols/SymbolUpdate.h"

// Placeholder until the symbol update is built.
bool RunSymbolUpdate(std::string, VoServices::ProgressCallback) { return false; }
