#include "ledgerdb/DbBackend.h"

#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/SqlLiteral.h"

namespace vo {

bool DbBackend::UpdateByKey(const DBData& data, const DBSchemaDef& table,
                            const std::string& keyColumn, const std::string& key) {
  return Update(data, table, keyColumn + " = " + SqlLiteral(key));
}

// Never asked of an engine without it: Database checks RewritesRowsInPlace.
bool DbBackend::RewriteRows(const DBSchemaDef&, std::span<const std::string>, std::span<const std::string>, CellForm,
                            DbRowRewriter&) {
  return false;
}

bool DbBackend::ColumnSetOf(std::span<const ColumnValue> fields, const DBSchemaDef& table, uint64_t& set,
                            std::string& refusal) {
  set = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    const int position = fields[i].first;
    if (position < 0 || static_cast<size_t>(position) >= table.columns().size() || position >= 64) {
      refusal = table.tableName() + " has no column at position " + std::to_string(position);
      return false;
    }
    if (i > 0 && fields[i - 1].first >= position) {
      refusal = "fields out of column order";
      return false;
    }
    set |= uint64_t{1} << position;
  }
  return true;
}

bool DbBackend::ExecuteWith(const std::string& statement, std::span<const std::string> values) {
  std::string text;
  size_t next = 0;
  for (char c : statement) {
    if (c == '?' && next < values.size()) {
      text += SqlLiteral(values[next++]);
    } else {
      text += c;
    }
  }
  DBQueryResult ignored;
  return Execute(text, false, ignored);
}

}  // namespace vo
