// The text fields of one row keyed by column index (TransactionFields,
// SymbolFields). Offers the part of std::map<int, std::string> that the code
// uses (operator[], at, find, count, contains, erase, size, iteration over the
// present fields by ascending index) with every column of the row tables in
// a fixed slot: no allocation per field, and references stay valid while
// fields are added or erased, as with a map. Indexes outside the slots (no
// table has them, but callers may pass them) are kept aside in a map.
// Iterators yield pairs of the index and a reference to the text.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>

namespace vo {

class FieldList {
 public:
  static constexpr int kSlots = 30;  // columns 0..29: every trans_table and sym_table column
  using key_type = int;
  using mapped_type = std::string;
  using value_type = std::pair<int, std::string>;

  template <bool kConst>
  class Iterator {
   public:
    using Text = std::conditional_t<kConst, const std::string, std::string>;
    using Owner = std::conditional_t<kConst, const FieldList, FieldList>;
    using OtherIt = std::conditional_t<kConst, std::map<int, std::string>::const_iterator,
                                       std::map<int, std::string>::iterator>;
    using reference = std::pair<const int, Text&>;
    struct Arrow {
      reference entry;
      reference* operator->() { return &entry; }
    };

    Iterator() = default;
    reference operator*() const {
      return slot_ == kInOthers ? reference(other_->first, other_->second)
                                : reference(slot_, owner_->slots_[static_cast<size_t>(slot_)]);
    }
    Arrow operator->() const { return {**this}; }
    Iterator& operator++() {
      if (slot_ != kInOthers) return FromSlot(slot_ + 1);
      bool wasBelowSlots = other_->first < 0;
      ++other_;
      bool atEnd = other_ == owner_->others_.end();
      if (wasBelowSlots && (atEnd || other_->first >= 0)) return FromSlot(0);
      return atEnd ? SetEnd() : *this;
    }
    bool operator==(const Iterator& other) const {
      return slot_ == other.slot_ && (slot_ != kInOthers || other_ == other.other_);
    }
    // A non-const iterator converts to a const one.
    operator Iterator<true>() const { return Iterator<true>(owner_, slot_, other_); }

   private:
    friend class FieldList;
    friend class Iterator<!kConst>;
    static constexpr int kInOthers = -1;
    static constexpr int kEnd = kSlots;

    Iterator(Owner* owner, int slot, OtherIt other) : owner_(owner), slot_(slot), other_(other) {}
    // The first present field at or after `slot`, then the fields above the slots.
    Iterator& FromSlot(int slot) {
      uint32_t rest = slot >= kSlots ? 0 : owner_->present_ >> slot;
      if (rest != 0) {
        slot_ = slot + std::countr_zero(rest);
        return *this;
      }
      other_ = owner_->others_.lower_bound(kSlots);
      slot_ = other_ == owner_->others_.end() ? kEnd : kInOthers;
      return *this;
    }
    Iterator& SetEnd() {
      slot_ = kEnd;
      return *this;
    }

    Owner* owner_ = nullptr;
    int slot_ = kEnd;
    OtherIt other_{};
  };
  using iterator = Iterator<false>;
  using const_iterator = Iterator<true>;

  FieldList() = default;
  // Like a map: of two entries with the same index the first is kept.
  FieldList(std::initializer_list<value_type> fields) {
    for (const value_type& field : fields) emplace(field.first, field.second);
  }

  // The field, created empty when missing.
  std::string& operator[](int index) {
    if (!InSlots(index)) return others_[index];
    present_ |= Bit(index);
    return slots_[static_cast<size_t>(index)];
  }
  // Adds the field unless the index is present; the bool tells whether it was added.
  std::pair<iterator, bool> emplace(int index, std::string text) {
    bool added = !contains(index);
    if (added) (*this)[index] = std::move(text);
    return {find(index), added};
  }

  iterator find(int index) { return Find<false>(*this, index); }
  const_iterator find(int index) const { return Find<true>(*this, index); }
  // The field; throws std::out_of_range when missing, as a map does.
  const std::string& at(int index) const {
    if (!contains(index)) throw std::out_of_range("FieldList::at: no field " + std::to_string(index));
    return InSlots(index) ? slots_[static_cast<size_t>(index)] : others_.at(index);
  }
  bool contains(int index) const {
    return InSlots(index) ? (present_ & Bit(index)) != 0 : others_.contains(index);
  }
  size_t count(int index) const { return contains(index) ? 1 : 0; }

  size_t erase(int index) {
    if (!InSlots(index)) return others_.erase(index);
    if (!contains(index)) return 0;
    present_ &= ~Bit(index);
    std::string().swap(slots_[static_cast<size_t>(index)]);
    return 1;
  }
  // Empties the list; the slots keep their memory for the next row. Only
  // present slots hold text, so only they need clearing.
  void clear() {
    for (uint32_t rest = present_; rest != 0; rest &= rest - 1) {
      slots_[static_cast<size_t>(std::countr_zero(rest))].clear();
    }
    present_ = 0;
    others_.clear();
  }

  size_t size() const { return static_cast<size_t>(std::popcount(present_)) + others_.size(); }
  bool empty() const { return size() == 0; }
  iterator begin() { return Begin<false>(*this); }
  iterator end() { return iterator(this, iterator::kEnd, {}); }
  const_iterator begin() const { return Begin<true>(*this); }
  const_iterator end() const { return const_iterator(this, const_iterator::kEnd, {}); }

  bool operator==(const FieldList& other) const {
    if (present_ != other.present_ || others_ != other.others_) return false;
    for (int i = 0; i < kSlots; ++i) {
      if ((present_ & Bit(i)) && slots_[static_cast<size_t>(i)] != other.slots_[static_cast<size_t>(i)]) {
        return false;
      }
    }
    return true;
  }

 private:
  static bool InSlots(int index) { return index >= 0 && index < kSlots; }
  static uint32_t Bit(int index) { return uint32_t{1} << index; }

  template <bool kConst, class Self>
  static Iterator<kConst> Find(Self& self, int index) {
    if (InSlots(index)) {
      if (!self.contains(index)) return self.end();
      return Iterator<kConst>(&self, index, {});
    }
    auto other = self.others_.find(index);
    if (other == self.others_.end()) return self.end();
    return Iterator<kConst>(&self, Iterator<kConst>::kInOthers, other);
  }
  template <bool kConst, class Self>
  static Iterator<kConst> Begin(Self& self) {
    auto first = self.others_.begin();
    if (first != self.others_.end() && first->first < 0) {
      return Iterator<kConst>(&self, Iterator<kConst>::kInOthers, first);
    }
    Iterator<kConst> it(&self, 0, {});
    return it.FromSlot(0);
  }

  std::array<std::string, kSlots> slots_;
  uint32_t present_ = 0;
  std::map<int, std::string> others_;
};

}  // namespace vo
