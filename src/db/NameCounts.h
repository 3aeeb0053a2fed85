// How often each name was seen, for the symbol update's count of the
// transactions of a million symbols in four million rows: open addressing
// over 32-byte slots that hold a short name in place, so that counting a
// name reads one slot, where a node-based map reads its bucket, its node and
// often the next (a quarter of the time of reading the symbols). Names
// longer than fit in a slot are kept aside.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vo {

class NameCounts {
 public:
  // Counts `name` once more.
  void Add(std::string_view name);
  // How often `name` was added; 0 when never.
  int64_t CountOf(std::string_view name) const;
  size_t size() const { return size_; }

 private:
  static constexpr size_t kInline = 15;  // the longest name held in its slot
  struct Slot {
    uint64_t hash = 0;
    int64_t count = 0;  // 0: a free slot
    // A short name and, in the last byte, its length; a longer one's place
    // in `longNames_` (8 bytes), its length (4) and kLong in the last byte.
    char text[kInline + 1] = {};
  };
  static constexpr unsigned char kLong = 0xff;

  size_t SlotFor(std::string_view name, uint64_t hash) const;
  bool Holds(const Slot& slot, std::string_view name, uint64_t hash) const;
  void Grow();

  std::vector<Slot> slots_;
  std::string longNames_;
  size_t size_ = 0;
};

}  // namespace vo
