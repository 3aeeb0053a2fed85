#include "symbols/InactiveRenames.h"

#include <string>

#include "db/HSymboDAO.h"
#include "db/TableColumns.h"
#include "ledgerdb/DbRowFunction.h"

namespace vo {

bool InactiveRenames::Read(HSymboDAO& symbols) {
  fromRun_.assign(runRenames_.KeyLimit(), false);
  others_.clear();
  bool unnamed = false;
  DbRowFunction keep([&](const std::vector<std::string>& cells) {
    if (cells.size() < 2) return;
    const std::string& name = cells[0];
    const std::string& canonical = cells[1];
    // A transaction without a symbol reads as an empty name too: only the
    // database tells it from a symbol named "".
    if (name.empty()) unnamed = true;
    const size_t key = runRenames_.KeyOf(name);
    if (key != PackedRecordTable::npos && runRenames_.FieldsOfKey(key).Get(SymColumn::kSymVoSym) == canonical) {
      fromRun_[key] = true;
    } else {
      others_.Put(name, FieldList{{SymColumn::kSymVoSym, canonical}});
    }
  });
  return symbols.StreamInactiveRenames(keep) && !unnamed;
}

std::string_view InactiveRenames::NewNameOf(std::string_view name) const {
  const size_t key = runRenames_.KeyOf(name);
  if (key != PackedRecordTable::npos && fromRun_[key]) return runRenames_.FieldsOfKey(key).Get(SymColumn::kSymVoSym);
  const std::optional<PackedFields> other = others_.Find(name);
  return other ? other->Get(SymColumn::kSymVoSym) : std::string_view();
}

}  // namespace vo
