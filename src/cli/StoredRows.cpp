#include "cli/StoredRows.h"

#include <vector>

#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/Database.h"

namespace {

bool PrintTable(const std::string& table, std::ostream& out) {
  Database* db = Database::Instance();
  unsigned long queryId = 0;
  if (!db->Query(queryId, "SELECT * FROM " + table)) return false;
  DBQueryResult result;
  db->GetQueryResult(queryId, result);
  db->DeleteQuery(queryId);
  out << "== " << table << " (" << result.size() << " rows)\n";
  const std::vector<std::string>& names = result.getFields();
  for (const DBQueryResult::Row& row : result) {
    bool first = true;
    for (size_t i = 0; i < row.size(); ++i) {
      if (row[i].empty()) continue;
      out << (first ? "" : " | ") << (i < names.size() ? names[i] : "?") << "=" << row[i];
      first = false;
    }
    out << '\n';
  }
  return true;
}

}  // namespace

bool PrintStoredRows(const std::string& table, std::ostream& out) {
  if (table != "all") return PrintTable(table, out);
  return PrintTable("sym_table", out) && PrintTable("trans_table", out);
}
