#include "import/SymbolMap.h"

namespace vo {

bool SymbolMap::emplace(const std::string& name, const SymbolFields& fields) {
  if (index_.contains(name)) return false;
  index_.emplace(name, rows_.Append(name, fields));
  return true;
}

SymbolFields SymbolMap::at(const std::string& name) const {
  SymbolFields fields;
  rows_.Unpack(index_.at(name), fields);
  return fields;
}

void SymbolMap::ForEach(const Visit& visit) const {
  SymbolFields fields;  // reused: its texts keep their memory from row to row
  for (uint32_t row : rows_.KeyOrder()) {
    rows_.Unpack(row, fields);
    visit(rows_.Key(row), fields);
  }
}

}  // namespace vo
