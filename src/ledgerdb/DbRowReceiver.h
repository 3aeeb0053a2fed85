// Receives the rows of a streamed select (Database::Stream) one at a time, as
// the statement steps, so that a reader of a large table never holds it whole.
#pragma once

#include <string>
#include <vector>

namespace vo {

// How the cells of a streamed select read. Every cell is text; NULL is empty.
enum class CellForm {
  kFriendly,  // trans_action and sym_type as their names, amounts as decimals
  kDecimal,   // every enumeration as its number, amounts as decimals
  kStored,    // every cell as stored (amounts as their whole stored number)
};

class DbRowReceiver {
 public:
  virtual ~DbRowReceiver() = default;
  // The result's column names in select-list order, once, before any row.
  virtual void Columns(const std::vector<std::string>& names) = 0;
  // One row, its cells in the same order; valid during the call only.
  // False stops the read (Stream then returns true).
  virtual bool Row(const std::vector<std::string>& cells) = 0;
};

}  // namespace vo
