// Helpers for the maintenance tests: rows stored and read back through the
// process-wide connection, and days computed from today's date.
#pragma once

#include <cstdio>
#include <map>
#include <string>

#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/Database.h"
#include "values/DateTime.h"

// Stores one row; its new id as text, or "" when the insert failed.
inline std::string StoreRow(const std::string& schema, const std::string& table,
                            const std::map<std::string, std::string>& fields) {
  DBData data(schema);
  for (const auto& [name, value] : fields) data.SetField(name, value);
  Database* db = Database::Instance();
  unsigned long id = 0;
  if (!db->insert(data, table, false) || !db->GetLastID(id)) return "";
  return std::to_string(id);
}

// The rows of a select (enumeration cells as decimal values), one per line,
// cells joined by "|".
inline std::string Rows(const std::string& statement) {
  Database* db = Database::Instance();
  unsigned long query = 0;
  if (!db->Query(query, statement, false, false, false)) return "select failed: " + statement;
  DBQueryResult result;
  db->GetQueryResult(query, result);
  db->DeleteQuery(query);
  std::string text;
  for (const DBQueryResult::Row& row : result) {
    for (size_t i = 0; i < row.size(); ++i) text += (i ? "|" : "") + row[i];
    text += "\n";
  }
  return text;
}

// The day `days` away from `day` (negative: earlier).
inline DateTime Shifted(DateTime day, int days) {
  if (days < 0) day.Subtract(0, 0, -days, 0, 0, 0);
  else day.Add(0, 0, days, 0, 0, 0);
  return day;
}

inline DateTime DayFromToday(int days) { return Shifted(DateTime::Now(), days); }

// "YYYY-MM-DD hh:mm:ss", the form dates are stored and read in.
inline std::string Stored(const DateTime& day, const char* time) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %s", day.year(), day.month(), day.day(), time);
  return text;
}

// "MM/DD/YYYY hh:mm:ss", the display form.
inline std::string Display(const DateTime& day, const char* time) {
  char text[40];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d %s", day.month(), day.day(), day.year(), time);
  return text;
}
