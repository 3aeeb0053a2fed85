// HSymboDAO::UpdateFromSecurityMaster: the database side of the symbol update.
//   1. copy the renamed symbols that have no canonical symbol yet to inactive_sym_table;
//   2. save each canonical record into sym_table (modify or insert) and point
//      the inactive row of each broker symbol at its canonical symbol;
//   3. rename the inactive symbols in every table that refers to symbols;
//   4. drop the renamed symbols that still have no canonical symbol.
// All of it is one database transaction, committed whatever the outcome: a
// failed save leaves the others written, as it would statement by statement,
// but the run pays for one commit instead of one per row.
#include "db/HSymboDAO.h"

#include <algorithm>
#include <set>
#include <vector>

#include "db/TableColumns.h"
#include "ledgerdb/DbTransaction.h"

namespace vo {

namespace {

std::string FieldOf(const PackedFields& record, int column) { return std::string(record.Get(column)); }

}  // namespace

bool HSymboDAO::UpdateFromSecurityMaster(const PackedRecords& renames, const PackedRecords& canonical,
                                         UpdateCounts& counts) {
  // Which canonical symbols sym_table has a row for: only those the renames
  // name are looked up, so that a table of a million symbols is not read whole.
  std::vector<std::string> wanted;
  wanted.reserve(renames.size());
  for (const auto& [oldName, record] : renames) wanted.push_back(FieldOf(record, SymColumn::kSymVoSym));
  std::sort(wanted.begin(), wanted.end());
  wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
  std::set<std::string> existing;
  GetSymbolNames(existing, wanted);
  std::vector<std::string>().swap(wanted);

  std::set<std::string> oldNames;
  for (const auto& [oldName, record] : renames) oldNames.insert(oldName);
  const std::string condition = "sym_name" + InList(oldNames);

  DbTransaction transaction(db_);
  if (!CopyUnmatchedToInactive(condition)) return false;

  bool outcome = true;
  std::set<std::string> saved;  // canonical symbols written, counted once
  for (const auto& [oldName, record] : renames) {
    const std::string voSymbol = FieldOf(record, SymColumn::kSymVoSym);
    auto data = canonical.find(voSymbol);
    if (data == canonical.end()) {
      outcome = false;
      continue;
    }
    const std::string existingName = existing.contains(voSymbol) ? voSymbol : std::string();
    if (!SaveSymbol(existingName, data->second.Unpack())) {
      outcome = false;
      continue;
    }
    if (saved.insert(voSymbol).second) ++(existingName.empty() ? counts.added : counts.changed);
    if (oldName != voSymbol) ++counts.renamed;
    if (FieldOf(record, SymColumn::kSymSource) != kSecurityMasterSource && !SaveInactiveSymbol(record.Unpack())) {
      outcome = false;
    }
  }

  if (!RenameInTables()) outcome = false;
  if (!DeleteUnmatched(condition)) outcome = false;
  return transaction.Commit() && outcome;
}

}  // namespace vo
