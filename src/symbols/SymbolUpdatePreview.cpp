// A symbol update tried and undone: what it would write, and nothing kept.
#include <map>
#include <utility>

#include "db/HSymboDAO.h"
#include "db/TableColumns.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/Database.h"
#include "ledgerdb/DbTransaction.h"
#include "platform/MessageBox.h"
#include "symbols/SecurityMasterRequest.h"
#include "symbols/SymbolUpdate.h"
#include "symbols/SymbolUpdater.h"
#include "voservices/SymbolUpdate.h"

namespace vo {

using namespace SymColumn;

namespace {

// sym_table as it stands, by symbol, with its column names.
struct SymbolTable {
  std::vector<std::string> columns;
  std::map<std::string, DBQueryResult::Row> rows;
};

bool ReadSymbolTable(SymbolTable& table) {
  DBQueryResult result;
  if (!Database::Instance()->Select("SELECT * FROM sym_table", false, result)) return false;
  table.columns = result.getFields();
  for (const DBQueryResult::Row& row : result) table.rows.emplace(row[kSymName], row);
  return true;
}

void ListSymbolChanges(const SymbolTable& before, const SymbolTable& after, std::vector<std::string>& changes) {
  for (const auto& [name, row] : before.rows) {
    auto now = after.rows.find(name);
    if (now == after.rows.end()) {
      changes.push_back("sym_table " + name + ": removed");
      continue;
    }
    for (size_t i = 0; i < row.size() && i < now->second.size() && i < before.columns.size(); ++i) {
      if (row[i] != now->second[i]) {
        changes.push_back("sym_table " + name + ": " + before.columns[i] + " '" + row[i] + "' -> '" +
                          now->second[i] + "'");
      }
    }
  }
  for (const auto& [name, row] : after.rows) {
    if (!before.rows.contains(name)) changes.push_back("sym_table " + name + ": added");
  }
}

}  // namespace

}  // namespace vo

bool VoServices::PreviewSymbolUpdate(std::string url, ProgressCallback progress, std::vector<std::string>& changes) {
  using namespace vo;
  HSymboDAO symbols;
  SecurityMasterRequest request;
  if (!ReadSymbolsToUpdate(symbols, progress, request)) return false;

  // Never committed: leaving this function rolls back every write the update
  // made (its own transactions nest inside this one).
  DbTransaction preview;
  SymbolTable before;
  if (!preview.active() || !ReadSymbolTable(before)) {
    ShowMessage("Failed to read your VO database.", "Error", kMbIconExclamation);
    return false;
  }

  std::vector<std::string> totals;
  SymbolUpdater updater(std::move(url), progress);
  updater.WatchTotals([&totals](const std::string& id, const std::string& from, const std::string& to) {
    totals.push_back("trans_table " + id + ": trans_total " + from + " -> " + to);
  });
  const bool updated = updater.Run(std::move(request), symbols);

  for (const auto& [symbol, fields] : updater.answer().RenameRecords()) {
    auto canonical = fields.find(kSymVoSym);
    if (canonical != fields.end() && !canonical->second.empty() && canonical->second != symbol) {
      changes.push_back("rename " + std::string(symbol) + " -> " + std::string(canonical->second));
    }
  }
  SymbolTable after;
  if (ReadSymbolTable(after)) ListSymbolChanges(before, after, changes);
  changes.insert(changes.end(), totals.begin(), totals.end());
  return updated;
}
