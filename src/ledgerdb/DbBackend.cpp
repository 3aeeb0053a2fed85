#include "ledgerdb/DbBackend.h"

#include <vector>

#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/SqlLiteral.h"

namespace vo {

bool DbBackend::UpdateByKey(const DBData& data, const DBSchemaDef& table,
                            const std::string& keyColumn, const std::string& key) {
  return Update(data, table, keyColumn + " = " + SqlLiteral(key));
}

bool DbBackend::UpdateByKey(std::span<const ColumnValue> fields, const DBSchemaDef& table,
                            const std::string& keyColumn, const std::string& key) {
  // A position outside the table gets a name no column has, which the update
  // refuses with its usual error.
  DBData data(table.schemaName());
  for (const auto& [position, value] : fields) {
    const bool known = position >= 0 && static_cast<size_t>(position) < table.columns().size();
    data.SetField(known ? std::string(table.columns()[static_cast<size_t>(position)].name)
                        : "column " + std::to_string(position),
                  std::string(value));
  }
  return UpdateByKey(data, table, keyColumn, key);
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

bool DbBackend::ExecuteWith(const std::string& statement, std::span<const BoundValue> values) {
  std::vector<std::string> texts;
  texts.reserve(values.size());
  for (const BoundValue& value : values) {
    texts.push_back(value.isInteger ? std::to_string(value.integer) : value.text);
  }
  return ExecuteWith(statement, std::span<const std::string>(texts));
}

}  // namespace vo
