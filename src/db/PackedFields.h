// The present fields of one row (a FieldList) packed into a single text, for
// code that keeps a million rows at once and only reads them: a FieldList
// holds a slot for every column, about a kilobyte a row, where the packed form
// takes the bytes of its texts and five more a field. A PackedFields reads
// packed text it does not own (see PackedRecordTable); iteration yields
// (column, text) in ascending column order, as FieldList's does.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "db/FieldList.h"

namespace vo {

class PackedFields {
 public:
  // Each field: its column (one byte), its length (four bytes), its text.
  class Iterator {
   public:
    using value_type = std::pair<int, std::string_view>;

    Iterator() = default;
    value_type operator*() const { return {static_cast<unsigned char>(*at_), std::string_view(at_ + 5, Length())}; }
    struct Arrow {
      value_type entry;
      const value_type* operator->() const { return &entry; }
    };
    Arrow operator->() const { return {**this}; }
    Iterator& operator++() {
      at_ += 5 + Length();
      return *this;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    friend class PackedFields;
    explicit Iterator(const char* at) : at_(at) {}
    size_t Length() const {
      uint32_t length = 0;
      std::memcpy(&length, at_ + 1, sizeof length);
      return length;
    }
    const char* at_ = nullptr;
  };
  using const_iterator = Iterator;

  PackedFields() = default;
  // Reads packed text made by Pack; the text must outlive this.
  explicit PackedFields(std::string_view packed) : packed_(packed) {}

  // Appends the packed form of `fields` to `out`. Columns outside 0..255 are
  // not kept (no table has them).
  static void Pack(const FieldList& fields, std::string& out) {
    size_t size = 0;
    for (const auto& [column, text] : fields) size += 5 + text.size();
    out.reserve(out.size() + size);
    for (const auto& [column, text] : fields) {
      if (column < 0 || column > 255) continue;
      const uint32_t length = static_cast<uint32_t>(text.size());
      out += static_cast<char>(column);
      out.append(reinterpret_cast<const char*>(&length), sizeof length);
      out += text;
    }
  }

  FieldList Unpack() const {
    FieldList fields;
    for (const auto& [column, text] : *this) fields[column] = std::string(text);
    return fields;
  }

  // The packed text read.
  std::string_view Text() const { return packed_; }

  Iterator begin() const { return Iterator(packed_.data()); }
  Iterator end() const { return Iterator(packed_.data() + packed_.size()); }
  Iterator find(int column) const {
    for (Iterator it = begin(); it != end(); ++it) {
      if ((*it).first == column) return it;
    }
    return end();
  }
  bool contains(int column) const { return find(column) != end(); }
  size_t count(int column) const { return contains(column) ? 1 : 0; }
  // The field; throws std::out_of_range when missing, as FieldList does.
  std::string_view at(int column) const {
    Iterator it = find(column);
    if (it == end()) throw std::out_of_range("PackedFields::at: no field " + std::to_string(column));
    return (*it).second;
  }
  // The field's text, empty when missing.
  std::string_view Get(int column) const {
    Iterator it = find(column);
    return it == end() ? std::string_view() : (*it).second;
  }

 private:
  std::string_view packed_;
};

}  // namespace vo
