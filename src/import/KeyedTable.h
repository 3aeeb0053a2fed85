// Constant tables keyed by text, for the words a format maps to sides and
// actions: arrays compiled into the library (nothing is built while it
// loads), their keys in ascending byte order, which the formats check at
// compile time with KeysAscending, so that a lookup can be a binary search
// and a walk goes in key order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace vo {

template <typename Value>
struct Keyed {
  std::string_view key;
  Value value;
};

template <typename Value, std::size_t N>
constexpr bool KeysAscending(const Keyed<Value> (&table)[N]) {
  for (std::size_t i = 1; i < N; ++i) {
    if (!(table[i - 1].key < table[i].key)) return false;
  }
  return true;
}

// The value under `key` (the whole key, case-sensitive); null when there is none.
template <typename Value, std::size_t N>
const Value* FindKey(const Keyed<Value> (&table)[N], std::string_view key) {
  const Keyed<Value>* end = table + N;
  const Keyed<Value>* found = std::lower_bound(
      table, end, key, [](const Keyed<Value>& entry, std::string_view wanted) { return entry.key < wanted; });
  return found != end && found->key == key ? &found->value : nullptr;
}

}  // namespace vo
