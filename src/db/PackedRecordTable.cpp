#include "db/PackedRecordTable.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace vo {

namespace {

constexpr size_t kBlockBytes = size_t{1} << 20;

size_t HashOf(std::string_view name) { return std::hash<std::string_view>()(name); }

void AppendLength(std::string& out, size_t length) {
  const uint32_t value = static_cast<uint32_t>(length);
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

uint32_t LengthAt(const char* at) {
  uint32_t value = 0;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// A name's first eight bytes as a number that orders as the names do (bytes
// compared unsigned, a shorter name first); names that share them tie.
uint64_t PrefixOf(std::string_view name) {
  uint64_t prefix = 0;
  for (size_t i = 0; i < 8; ++i) {
    prefix = (prefix << 8) | (i < name.size() ? static_cast<unsigned char>(name[i]) : 0u);
  }
  return prefix;
}

}  // namespace

bool PackedRecordTable::Add(std::string_view name, const FieldList& fields) {
  packing_.clear();
  PackedFields::Pack(fields, packing_);
  return Insert(name, PackedFields(packing_), false);
}

bool PackedRecordTable::Add(std::string_view name, PackedFields fields) { return Insert(name, fields, false); }

void PackedRecordTable::Put(std::string_view name, const FieldList& fields) {
  packing_.clear();
  PackedFields::Pack(fields, packing_);
  Insert(name, PackedFields(packing_), true);
}

void PackedRecordTable::Put(std::string_view name, PackedFields fields) { Insert(name, fields, true); }

bool PackedRecordTable::Insert(std::string_view name, PackedFields fields, bool replace) {
  if ((size_ + 1) * 2 > slots_.size()) Grow();
  const size_t slot = SlotFor(name);
  const bool present = slots_[slot] != 0;
  if (present && !replace) return false;
  slots_[slot] = Store(name, fields.Text()) + 1;
  if (!present) ++size_;
  orderedValid_ = false;
  return true;
}

std::optional<PackedFields> PackedRecordTable::Find(std::string_view name) const {
  const size_t slot = Slot(name);
  if (slot == npos) return std::nullopt;
  return FieldsAt(slots_[slot] - 1);
}

void PackedRecordTable::clear() {
  blocks_.clear();
  slots_.clear();
  ordered_.clear();
  size_ = 0;
  orderedValid_ = true;
}

PackedRecordTable::Entry PackedRecordTable::At(size_t index) const {
  const uint64_t place = slots_[Ordered()[index]] - 1;
  return {NameAt(place), FieldsAt(place)};
}

uint64_t PackedRecordTable::Store(std::string_view name, std::string_view packed) {
  const size_t entrySize = 8 + name.size() + packed.size();
  if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < entrySize) {
    blocks_.emplace_back().reserve(std::max(kBlockBytes, entrySize));
  }
  std::string& block = blocks_.back();
  const uint64_t place = (uint64_t{blocks_.size() - 1} << kOffsetBits) | block.size();
  AppendLength(block, name.size());
  block.append(name);
  AppendLength(block, packed.size());
  block.append(packed);
  return place;
}

std::string_view PackedRecordTable::NameAt(uint64_t place) const {
  const char* at = blocks_[place >> kOffsetBits].data() + (place & ((uint64_t{1} << kOffsetBits) - 1));
  return {at + 4, LengthAt(at)};
}

PackedFields PackedRecordTable::FieldsAt(uint64_t place) const {
  const std::string_view name = NameAt(place);
  const char* at = name.data() + name.size();
  return PackedFields(std::string_view(at + 4, LengthAt(at)));
}

size_t PackedRecordTable::Slot(std::string_view name) const {
  if (slots_.empty()) return npos;
  const size_t slot = SlotFor(name);
  return slots_[slot] == 0 ? npos : slot;
}

size_t PackedRecordTable::SlotFor(std::string_view name) const {
  const size_t mask = slots_.size() - 1;
  size_t slot = HashOf(name) & mask;
  while (slots_[slot] != 0 && NameAt(slots_[slot] - 1) != name) slot = (slot + 1) & mask;
  return slot;
}

void PackedRecordTable::Grow() {
  std::vector<uint64_t> old = std::move(slots_);
  slots_.assign(std::max<size_t>(64, old.size() * 2), 0);
  for (uint64_t entry : old) {
    if (entry == 0) continue;
    // Names are unique: the first free slot from the name's own is its slot.
    size_t slot = HashOf(NameAt(entry - 1)) & (slots_.size() - 1);
    while (slots_[slot] != 0) slot = (slot + 1) & (slots_.size() - 1);
    slots_[slot] = entry;
  }
}

const std::vector<uint32_t>& PackedRecordTable::Ordered() const {
  if (orderedValid_) return ordered_;
  // Sorted by each name's first eight bytes, held beside its slot, and only
  // names that share them compared in full: a comparison through the slots
  // reaches into the blocks twice, at a million names most of the sort's time.
  struct Keyed {
    uint64_t prefix;
    uint32_t slot;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(size_);
  for (size_t slot = 0; slot < slots_.size(); ++slot) {
    if (slots_[slot] != 0) keyed.push_back({PrefixOf(NameAt(slots_[slot] - 1)), static_cast<uint32_t>(slot)});
  }
  std::sort(keyed.begin(), keyed.end(), [this](const Keyed& left, const Keyed& right) {
    if (left.prefix != right.prefix) return left.prefix < right.prefix;
    return NameAt(slots_[left.slot] - 1) < NameAt(slots_[right.slot] - 1);
  });
  ordered_.clear();
  ordered_.reserve(size_);
  for (const Keyed& entry : keyed) ordered_.push_back(entry.slot);
  orderedValid_ = true;
  return ordered_;
}

}  // namespace vo
