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

namespace vo {

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
  // Puts the keys in order now (what size, at and ForEach otherwise do on
  // first use), so that another thread can do it ahead of them.
  void MakeOrder() const { Order(); }
  // Calls `visit` for every key in key order; the fields it is handed are
  // valid during the call only. With `unpackAhead` the next rows are unpacked
  // on a second thread while `visit` runs on the caller's.
  void ForEach(const Visit& visit, bool unpackAhead = false) const;
  // Frees every transaction.
  void clear();

 private:
  // The rows that hold the fields of each key, in key order.
  const std::vector<uint32_t>& Order() const;

  PackedRows rows_;
  mutable std::vector<uint32_t> order_;
  mutable bool ordered_ = true;
};

}  // namespace vo
