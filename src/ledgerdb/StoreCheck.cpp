#include "ledgerdb/StoreCheck.h"

#include <algorithm>
#include <cctype>

#include "ledgerdb/DBSchemaDef.h"

namespace vo {

namespace {

// Tables that every database we ever made holds; an unmarked database with
// them (and no table of anyone else) was made before databases were marked.
constexpr const char* kCoreTables[] = {"trans_table", "sym_table"};

bool SameWord(std::string a, std::string b) {
  auto lower = [](std::string& text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  };
  lower(a);
  lower(b);
  return a == b;
}

std::string ColumnsDiffer(const DBSchemaDef& table, const std::vector<StoreCheck::Column>& found,
                          const StoreCheck::DeclaredType& declaredType) {
  const std::vector<ColumnDef>& expected = table.columns();
  for (size_t i = 0; i < expected.size() && i < found.size(); ++i) {
    if (found[i].name != expected[i].name) {
      return table.tableName() + " column " + std::to_string(i + 1) + " is " + found[i].name +
             ", expected " + expected[i].name;
    }
    std::string type = declaredType(expected[i].kind);
    if (!SameWord(found[i].declaredType, type)) {
      return table.tableName() + "." + found[i].name + " is declared " +
             (found[i].declaredType.empty() ? "without a type" : found[i].declaredType) +
             ", expected " + type;
    }
  }
  if (found.size() != expected.size()) {
    return table.tableName() + " has " + std::to_string(found.size()) + " columns, expected " +
           std::to_string(expected.size());
  }
  return "";
}

}  // namespace

std::string StoreCheck::Difference(const Found& found, const DeclaredType& declaredType) {
  if (found.owner != 0 && found.owner != kApplicationId) {
    return "it belongs to another program (application id " + std::to_string(found.owner) + ")";
  }
  if (found.owner == kApplicationId && found.version > kSchemaVersion) {
    return "it was made by a newer version of this program (schema version " +
           std::to_string(found.version) + ", this one knows up to " +
           std::to_string(kSchemaVersion) + ")";
  }
  for (const DBSchemaDef& table : DBSchemaDef::All()) {
    auto columns = found.tables.find(table.tableName());
    if (columns == found.tables.end()) continue;
    std::string difference = ColumnsDiffer(table, columns->second, declaredType);
    if (!difference.empty()) return difference;
  }
  if (found.owner == 0 && !found.tables.empty()) {
    for (const auto& [name, columns] : found.tables) {
      if (!DBSchemaDef::ForTable(name)) return "it has a table that is not ours: " + name;
    }
    for (const char* core : kCoreTables) {
      if (!found.tables.contains(core)) return std::string("it has no ") + core;
    }
  }
  return "";
}

}  // namespace vo
