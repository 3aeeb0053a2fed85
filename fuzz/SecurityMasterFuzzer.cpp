// Reads arbitrary bytes as a security master answer. Whatever the parse
// answers, every record it keeps must be keyed and carry its symbol.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "db/TableColumns.h"
#include "symbols/SecurityMasterData.h"

using namespace vo;

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace SymColumn;
  SecurityMasterData answer;
  answer.Parse(std::string(reinterpret_cast<const char*>(data), size));
  for (const auto& [symbol, record] : answer.CanonicalRecords()) {
    Check(!symbol.empty());
    Check(record.at(kSymName) == symbol);
  }
  for (const auto& [symbol, record] : answer.RenameRecords()) {
    Check(!symbol.empty());
    Check(answer.CanonicalRecords().contains(record.at(kSymVoSym)));
  }
  return 0;
}
