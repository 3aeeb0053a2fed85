// A symbol update tried and undone: what it would write, and nothing kept.
#pragma once

#include <string>
#include <vector>

#include "voservices/VoServices.h"

namespace vo {

// Runs the whole update inside a transaction that is rolled back, and lists
// its changes as lines: the renames, each sym_table field it changes (and the
// symbols it adds or removes), and each transaction total it recalculates.
// The result is what the update itself would return.
bool PreviewSymbolUpdate(std::string url, VoServices::ProgressCallback progress,
                         std::vector<std::string>& changes);

}  // namespace vo
