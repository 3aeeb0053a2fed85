// Every import format the library knows, built for one import.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "import/CsvParser.h"

namespace vo {

// One parser of each format, each holding the account identifier, in the
// order in which they are offered a header line (the first that accepts it wins).
std::vector<std::unique_ptr<CsvParser>> MakeKnownParsers(const std::string& accountId);

}  // namespace vo
