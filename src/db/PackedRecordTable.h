// Packed records by name, for the million records of a large symbol update:
// each record's name and fields are written one after another into large
// blocks, found through an open-addressing table of their places, and listed
// in name order. A record costs its texts, five bytes a field and about
// thirty more, where a std::map of strings to strings costs a hundred and more.
// Records are only added or replaced, never removed one by one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/FieldList.h"
#include "db/PackedFields.h"

namespace vo {

class PackedRecordTable {
 public:
  struct Entry {
    std::string_view name;
    PackedFields fields;
  };

  // Steps through the records in name order.
  class Iterator {
   public:
    Iterator(const PackedRecordTable* table, size_t index) : table_(table), index_(index) {}
    Entry operator*() const { return table_->At(index_); }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    bool operator==(const Iterator& other) const { return index_ == other.index_; }

   private:
    const PackedRecordTable* table_;
    size_t index_;
  };

  static constexpr size_t npos = static_cast<size_t>(-1);

  // Adds the record unless one of that name is kept; true when added.
  bool Add(std::string_view name, const FieldList& fields);
  bool Add(std::string_view name, PackedFields fields);
  // Adds the record, or replaces the one of that name.
  void Put(std::string_view name, const FieldList& fields);
  void Put(std::string_view name, PackedFields fields);

  std::optional<PackedFields> Find(std::string_view name) const;
  bool contains(std::string_view name) const { return Slot(name) != npos; }
  size_t count(std::string_view name) const { return contains(name) ? 1 : 0; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear();

  // The record at a place in name order.
  Entry At(size_t index) const;
  // A number of its own for each kept name, below KeyLimit(), until the table
  // changes; npos when the name is absent. Callers keep per-record marks in
  // vectors indexed so, and read the record back by it, without the table
  // sorting its names.
  size_t KeyOf(std::string_view name) const { return Slot(name); }
  size_t KeyLimit() const { return slots_.size(); }
  PackedFields FieldsOfKey(size_t key) const { return FieldsAt(slots_[key] - 1); }

  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, size_); }

 private:
  // A record's place: its block in the upper bits, its offset in the block below.
  static constexpr int kOffsetBits = 40;

  // Writes name and packed fields at the end of the blocks and returns their place.
  uint64_t Store(std::string_view name, std::string_view packed);
  std::string_view NameAt(uint64_t place) const;
  PackedFields FieldsAt(uint64_t place) const;
  // Adds, or replaces when `replace`, the record; true when it did.
  bool Insert(std::string_view name, PackedFields fields, bool replace);
  // The slot holding `name`, or npos; SlotFor gives the free slot where it
  // would go instead of npos (the table must have slots).
  size_t Slot(std::string_view name) const;
  size_t SlotFor(std::string_view name) const;
  void Grow();
  // The slots in name order, sorted when first asked for after a change.
  // Slot numbers take 32 bits: four billion slots, far past any update's
  // records.
  const std::vector<uint32_t>& Ordered() const;

  std::vector<std::string> blocks_;  // each filled within its reserved capacity, so never moved
  std::vector<uint64_t> slots_;      // place + 1; 0 is a free slot
  size_t size_ = 0;
  std::string packing_;  // a FieldList being packed, kept for its capacity
  mutable std::vector<uint32_t> ordered_;
  mutable bool orderedValid_ = true;
};

}  // namespace vo
