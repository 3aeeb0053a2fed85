#include "symbols/InactiveRenames.h"

#include <string>

#include "db/HSymboDAO.h"
#include "db/TableColumns.h"
#include "ledgerdb/DbRowFunction.h"

namespace vo {

bool InactiveRenames::Read(HSymboDAO& symbols) {
  fromRun_.assign(runRenames_.KeyLimit(), false);
  canonicalKeys_.clear();
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

namespace {

constexpr uint32_t kNoRecord = UINT32_MAX;

}  // namespace

InactiveRenames::Outcome InactiveRenames::Resolve(std::string_view name, const PackedRecordTable& canonical) {
  const size_t runKey = runRenames_.KeyOf(name);
  const std::string_view newName = NewNameOf(runKey, name);
  auto lookUp = [&] { return canonical.KeyOf(newName.empty() ? name : newName); };
  if (runKey == PackedRecordTable::npos || canonical.KeyLimit() >= kNoRecord) return {newName, lookUp()};
  if (canonicalKeys_.empty()) canonicalKeys_.assign(runRenames_.KeyLimit(), 0);
  uint32_t& known = canonicalKeys_[runKey];
  if (known == 0) {
    const size_t key = lookUp();
    known = key == PackedRecordTable::npos ? kNoRecord : static_cast<uint32_t>(key + 1);
  }
  return {newName, known == kNoRecord ? PackedRecordTable::npos : size_t{known} - 1};
}

std::string_view InactiveRenames::NewNameOf(size_t runKey, std::string_view name) const {
  if (runKey != PackedRecordTable::npos && fromRun_[runKey]) {
    return runRenames_.FieldsOfKey(runKey).Get(SymColumn::kSymVoSym);
  }
  const std::optional<PackedFields> other = others_.Find(name);
  return other ? other->Get(SymColumn::kSymVoSym) : std::string_view();
}

}  // namespace vo
