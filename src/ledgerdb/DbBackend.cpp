#include "ledgerdb/DbBackend.h"

#include "ledgerdb/DBQueryResult.h"

namespace {

std::string Quoted(const std::string& text) {
  std::string literal = "'";
  for (char c : text) literal += c == '\'' ? std::string("''") : std::string(1, c);
  return literal + "'";
}

}  // namespace

bool DbBackend::UpdateByKey(const DBData& data, const DBSchemaDef& table,
                            const std::string& keyColumn, const std::string& key) {
  return Update(data, table, keyColumn + " = " + Quoted(key));
}

bool DbBackend::ExecuteWith(const std::string& statement, std::span<const std::string> values) {
  std::string text;
  size_t next = 0;
  for (char c : statement) {
    if (c == '?' && next < values.size()) {
      text += Quoted(values[next++]);
    } else {
      text += c;
    }
  }
  DBQueryResult ignored;
  return Execute(text, false, ignored);
}
