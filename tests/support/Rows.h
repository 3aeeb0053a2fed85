// Reading and writing rows through the process-wide connection in tests:
// selects rendered one row a line, cells joined by "|", so a test compares
// the whole picture at once.
#pragma once

#include <map>
#include <string>

#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/Database.h"

inline std::string Render(const vo::DBQueryResult& result) {
  std::string text;
  for (const vo::DBQueryResult::Row& row : result) {
    for (size_t i = 0; i < row.size(); ++i) text += (i ? "|" : "") + row[i];
    text += "\n";
  }
  return text;
}

// The rows of a select; enumerations as friendly strings when `friendly`,
// else as decimal values. "FAILED: " and the error when the select fails.
inline std::string Rows(const std::string& select, bool friendly = false) {
  vo::Database* db = vo::Database::Instance();
  unsigned long id = 0;
  if (!db->Query(id, select, friendly, friendly, false)) return "FAILED: " + db->LastError();
  vo::DBQueryResult result;
  db->GetQueryResult(id, result);
  db->DeleteQuery(id);
  return Render(result);
}

// Runs a statement that returns no rows; false when it fails.
inline bool Execute(const std::string& sql) {
  unsigned long id = 0;
  bool ok = vo::Database::Instance()->Query(id, sql);
  if (ok) vo::Database::Instance()->DeleteQuery(id);
  return ok;
}

// Stores one row by column name; its new id as text, "" when the insert failed.
inline std::string StoreRow(const std::string& schema, const std::string& table,
                            const std::map<std::string, std::string>& fields) {
  vo::DBData data(schema);
  for (const auto& [name, value] : fields) data.SetField(name, value);
  vo::Database* db = vo::Database::Instance();
  unsigned long id = 0;
  if (!db->insert(data, table, false) || !db->GetLastID(id)) return "";
  return std::to_string(id);
}
