#include "import/PackedRows.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vo {

namespace {

// A row's stored index: fields outside the slots may have any int index.
uint64_t StoredIndex(int index) { return static_cast<uint32_t>(index); }
int IndexOf(uint64_t stored) { return static_cast<int>(static_cast<uint32_t>(stored)); }

// Up to eight bytes of a key from `from` on as a number that orders like
// the bytes; missing bytes count as zero.
uint64_t KeyWord(std::string_view key, size_t from) {
  unsigned char bytes[8] = {};
  if (from < key.size())
    std::memcpy(bytes, key.data() + from, std::min<size_t>(key.size() - from, 8));
  uint64_t word = 0;
  for (unsigned char byte : bytes) word = word << 8 | byte;
  return word;
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
  // The first 24 bytes of each key ride along with its row number, so that
  // sorting compares numbers in one array and reaches the texts only for
  // longer keys that agree that far.
  constexpr size_t kInline = 24;
  struct Entry {
    uint64_t words[3];
    uint32_t length;
    uint32_t row;
  };
  std::vector<Entry> entries(rows_.size());
  for (uint32_t row = 0; row < entries.size(); ++row) {
    std::string_view key = Key(row);
    entries[row] = {{KeyWord(key, 0), KeyWord(key, 8), KeyWord(key, 16)},
                    static_cast<uint32_t>(key.size()),
                    row};
  }
  // Negative, zero or positive as a's key orders before, with or after b's.
  auto compareKeys = [this](const Entry& a, const Entry& b) {
    for (int i = 0; i < 3; ++i) {
      if (a.words[i] != b.words[i]) return a.words[i] < b.words[i] ? -1 : 1;
    }
    if (a.length > kInline && b.length > kInline) {
      return Key(a.row).substr(kInline).compare(Key(b.row).substr(kInline));
    }
    return a.length == b.length ? 0 : (a.length < b.length ? -1 : 1);
  };
  std::sort(entries.begin(), entries.end(), [&compareKeys](const Entry& a, const Entry& b) {
    int order = compareKeys(a, b);
    return order != 0 ? order < 0 : a.row < b.row;
  });

  std::vector<uint32_t> order;
  order.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    bool replacedLater = i + 1 < entries.size() && compareKeys(entries[i], entries[i + 1]) == 0;
    if (!replacedLater) order.push_back(entries[i].row);
  }
  return order;
}

void PackedRows::Release() {
  blocks_.Release();
  std::vector<TextBlocks::Position>().swap(rows_);
}

}  // namespace vo
