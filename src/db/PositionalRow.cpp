#include "db/PositionalRow.h"

namespace vo {

int PositionalRow(const FieldList& fields, int columnCount, std::vector<ColumnValue>& row) {
  row.clear();
  row.reserve(fields.size());
  for (const auto& [index, text] : fields) {
    if (index < 0 || index >= columnCount) return index;
    row.emplace_back(index, text);
  }
  return -1;
}

}  // namespace vo
