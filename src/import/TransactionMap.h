// The decoded transactions of one import: key text chosen by the format ->
// TransactionFields, ordered by key byte by byte (with keys "0" to "11",
// "10" and "11" come before "2"); the pipeline writes them in that order.
// Rows are kept packed (PackedRows), so a transaction is stored by copying
// it in, and read back by copying it out.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "db/TransactionFields.h"
#include "import/PackedRows.h"

class TransactionMap {
 public:
  using Visit = std::function<void(std::string_view key, const TransactionFields& fields)>;

  // Stores the fields under the key; fields already under it are replaced.
  void insert_or_assign(std::string_view key, const TransactionFields& fields);
  // The number of distinct keys.
  size_t size() const { return Order().size(); }
  bool empty() const { return rows_.size() == 0; }
  // The fields under the key; throws std::out_of_range when there are none.
  TransactionFields at(std::string_view key) const;
  // Calls `visit` for every key in key order; the fields it is handed are
  // valid during the call only.
  void ForEach(const Visit& visit) const;
  // Frees every transaction.
  void clear();

 private:
  // The rows that hold the fields of each key, in key order.
  const std::vector<uint32_t>& Order() const;

  PackedRows rows_;
  mutable std::vector<uint32_t> order_;
  mutable bool ordered_ = true;
};
