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
#include <cstddef>
#include <string>
#include <vector>

#include "db/TableColumns.h"
#include "ledgerdb/DbRowFunction.h"
#include "ledgerdb/DbTransaction.h"
#include "ledgerdb/SqlLiteral.h"

namespace vo {

namespace {

std::string FieldOf(PackedFields record, int column) { return std::string(record.Get(column)); }

// Names are looked up and listed in statements this many at a time.
constexpr size_t kNamesPerStatement = 500;

}  // namespace

bool HSymboDAO::UpdateFromSecurityMaster(const PackedRecordTable& renames, const PackedRecordTable& canonical,
                                         UpdateCounts& counts, TransRenames trans) {
  // Which canonical symbols sym_table has a row for, before anything is
  // written, marked by their key in `canonical`: the table's names are read
  // once, as a stream, rather than looked up a few hundred to a statement.
  std::vector<bool> existing(canonical.KeyLimit());
  DbRowFunction markExisting([&](const std::vector<std::string>& cells) {
    const size_t key = cells.empty() ? PackedRecordTable::npos : canonical.KeyOf(cells[0]);
    if (key != PackedRecordTable::npos) existing[key] = true;
  });
  if (!db_->Stream("SELECT sym_name FROM sym_table", {}, CellForm::kStored, markExisting)) return false;

  // The renamed symbols, in statements of a few hundred names each, bound
  // to placeholders: every full list is the same statement, prepared once.
  auto forEachOldNameList = [&](const auto& statement) {
    bool allRan = true;
    std::vector<std::string> names;
    for (size_t first = 0; first < renames.size(); first += kNamesPerStatement) {
      names.clear();
      for (size_t i = first; i < std::min(renames.size(), first + kNamesPerStatement); ++i) {
        names.emplace_back(renames.At(i).name);
      }
      allRan = statement("sym_name IN " + SqlPlaceholders(names.size()), names) && allRan;
    }
    return allRan;
  };

  DbTransaction transaction(db_);
  if (!forEachOldNameList([this](const std::string& condition, const std::vector<std::string>& names) {
        return CopyUnmatchedToInactive(condition, names);
      })) {
    return false;
  }

  bool outcome = true;
  std::vector<bool> saved(canonical.KeyLimit());  // canonical symbols written, counted once
  for (const auto& [oldName, record] : renames) {
    const std::string voSymbol = FieldOf(record, SymColumn::kSymVoSym);
    const size_t key = canonical.KeyOf(voSymbol);
    if (key == PackedRecordTable::npos) {
      outcome = false;
      continue;
    }
    const std::string existingName = existing[key] ? voSymbol : std::string();
    if (!SaveSymbol(existingName, canonical.FieldsOfKey(key).Unpack())) {
      outcome = false;
      continue;
    }
    if (!saved[key]) {
      saved[key] = true;
      ++(existingName.empty() ? counts.added : counts.changed);
    }
    if (oldName != voSymbol) ++counts.renamed;
    if (FieldOf(record, SymColumn::kSymSource) != kSecurityMasterSource && !SaveInactiveSymbol(record.Unpack())) {
      outcome = false;
    }
  }

  if (!RenameInTables(trans)) outcome = false;
  if (!forEachOldNameList([this](const std::string& condition, const std::vector<std::string>& names) {
        return DeleteUnmatched(condition, names);
      })) {
    outcome = false;
  }
  return transaction.Commit() && outcome;
}

}  // namespace vo
