#include "import/TransactionMap.h"

#include <algorithm>
#include <stdexcept>
#include <string>

void TransactionMap::insert_or_assign(std::string_view key, const TransactionFields& fields) {
  // Replacing is settled when the order is made.
  rows_.Append(key, fields);
  ordered_ = false;
}

TransactionFields TransactionMap::at(std::string_view key) const {
  const std::vector<uint32_t>& order = Order();
  auto found =
      std::lower_bound(order.begin(), order.end(), key,
                       [this](uint32_t row, std::string_view k) { return rows_.Key(row) < k; });
  if (found == order.end() || rows_.Key(*found) != key) {
    throw std::out_of_range("TransactionMap::at: no transaction under " + std::string(key));
  }
  TransactionFields fields;
  rows_.Unpack(*found, fields);
  return fields;
}

void TransactionMap::ForEach(const Visit& visit) const {
  TransactionFields fields;  // reused: its texts keep their memory from row to row
  for (uint32_t row : Order()) {
    rows_.Unpack(row, fields);
    visit(rows_.Key(row), fields);
  }
}

void TransactionMap::clear() {
  rows_.Release();
  std::vector<uint32_t>().swap(order_);
  ordered_ = true;
}

const std::vector<uint32_t>& TransactionMap::Order() const {
  if (!ordered_) {
    order_ = rows_.KeyOrder();  // the last row of a key replaced the others
    ordered_ = true;
  }
  return order_;
}
