// The decoded symbols of one import: symbol text -> SymbolFields of the row to
// insert when sym_table does not have it yet, ordered by name byte by byte.
// The first fields stored under a name stay. Rows are kept packed
// (PackedRows); a hash index answers the lookups a format makes per record.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "db/SymbolFields.h"
#include "import/PackedRows.h"

namespace vo {

class SymbolMap {
 public:
  using Visit = std::function<void(std::string_view name, const SymbolFields& fields)>;

  bool contains(const std::string& name) const { return index_.contains(name); }
  // Stores the fields under the name unless it has some; true when stored.
  bool emplace(const std::string& name, const SymbolFields& fields);
  size_t size() const { return index_.size(); }
  // The fields under the name; throws std::out_of_range when there are none.
  SymbolFields at(const std::string& name) const;
  // Calls `visit` for every name in name order; the fields it is handed are
  // valid during the call only.
  void ForEach(const Visit& visit) const;

 private:
  PackedRows rows_;
  std::unordered_map<std::string, uint32_t> index_;  // name -> row
};

}  // namespace vo
