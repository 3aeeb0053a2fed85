#include "cli/web/JsonRows.h"

void JsonRows::Columns(const std::vector<std::string>& names) {
  columns_ = Json::Value(Json::arrayValue);
  for (const std::string& name : names) columns_.append(name);
}

bool JsonRows::Row(const std::vector<std::string>& cells) {
  ++count_;
  if (count_ > limit_) return true;  // counted, not kept
  Json::Value& row = rows_.append(Json::Value(Json::arrayValue));
  for (const std::string& cell : cells) row.append(cell);
  return true;
}
