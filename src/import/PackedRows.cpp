#include "import/PackedRows.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

// A row's stored index: fields outside the slots may have any int index.
uint64_t StoredIndex(int index) { return static_cast<uint32_t>(index); }
int IndexOf(uint64_t stored) { return static_cast<int>(static_cast<uint32_t>(stored)); }

// Eight bytes of a key from `from` on as a number that orders like the bytes
// (missing bytes count as zero), so that most comparisons while sorting need
// not reach the text.
uint64_t KeyPrefix(std::string_view key, size_t from) {
  unsigned char bytes[8] = {};
  if (from < key.size()) std::memcpy(bytes, key.data() + from, std::min<size_t>(key.size() - from, 8));
  uint64_t prefix = 0;
  for (unsigned char byte : bytes) prefix = prefix << 8 | byte;
  return prefix;
}

}  // namespace

uint32_t PackedRows::Append(std::string_view key, const FieldList& fields) {
  if (rows_.size() >= UINT32_MAX) throw std::length_error("PackedRows: too many rows");
  size_t bytes = TextBlocks::TextBytes(key) + TextBlocks::NumberBytes(fields.size());
  for (const auto& [index, text] : fields) {
    bytes += TextBlocks::NumberBytes(StoredIndex(index)) + TextBlocks::TextBytes(text);
  }
  rows_.push_back(blocks_.Start(bytes));
  blocks_.PutText(key);
  blocks_.PutNumber(fields.size());
  for (const auto& [index, text] : fields) {
    blocks_.PutNumber(StoredIndex(index));
    blocks_.PutText(text);
  }
  return static_cast<uint32_t>(rows_.size() - 1);
}

std::string_view PackedRows::Key(uint32_t row) const { return blocks_.Read(rows_[row]).Text(); }

void PackedRows::Unpack(uint32_t row, FieldList& fields) const {
  fields.clear();
  TextBlocks::Reader reader = blocks_.Read(rows_[row]);
  reader.Text();  // the key
  for (uint64_t count = reader.Number(); count > 0; --count) {
    int index = IndexOf(reader.Number());
    fields[index].assign(reader.Text());
  }
}

std::vector<uint32_t> PackedRows::KeyOrder() const {
  // Keys often share a start ("Rec #1", "Rec #2"...): sixteen bytes of prefix
  // tell most of them apart without a comparison of the texts.
  struct Entry {
    uint64_t head;
    uint64_t next;
    std::string_view key;
    uint32_t row;
  };
  std::vector<Entry> entries;
  entries.reserve(rows_.size());
  for (uint32_t row = 0; row < rows_.size(); ++row) {
    std::string_view key = Key(row);
    entries.push_back({KeyPrefix(key, 0), KeyPrefix(key, 8), key, row});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    if (a.head != b.head) return a.head < b.head;
    if (a.next != b.next) return a.next < b.next;
    int order = a.key.compare(b.key);
    return order != 0 ? order < 0 : a.row < b.row;
  });
  std::vector<uint32_t> order(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) order[i] = entries[i].row;
  return order;
}

void PackedRows::Release() {
  blocks_.Release();
  std::vector<TextBlocks::Position>().swap(rows_);
}
