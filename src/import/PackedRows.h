// Decoded rows (a key and the text fields of a FieldList) packed back to back
// in TextBlocks: about the size of the texts themselves, where a FieldList in
// a map node costs a kilobyte a row before its texts. A million decoded rows
// then take a few hundred megabytes of memory, and building them costs no
// allocation per row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "db/FieldList.h"
#include "import/TextBlocks.h"

namespace vo {

class PackedRows {
 public:
  // Stores a copy of the row; returns its number (0, 1, 2... in order).
  uint32_t Append(std::string_view key, const FieldList& fields);
  std::string_view Key(uint32_t row) const;
  // Makes `fields` the fields of the row, reusing the texts' memory.
  void Unpack(uint32_t row, FieldList& fields) const;
  // The row numbers ordered by key, compared byte by byte; of rows with equal
  // keys only the last appended.
  std::vector<uint32_t> KeyOrder() const;
  size_t size() const { return rows_.size(); }
  // Frees every row.
  void Release();

 private:
  TextBlocks blocks_;
  std::vector<TextBlocks::Position> rows_;
};

}  // namespace vo
