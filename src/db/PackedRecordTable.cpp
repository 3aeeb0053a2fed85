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
  indexBySlot_.clear();
  size_ = 0;
  orderedValid_ = true;
}

size_t PackedRecordTable::IndexOf(std::string_view name) const {
  const size_t slot = Slot(name);
  if (slot == npos) return npos;
  const std::vector<uint32_t>& ordered = Ordered();  // sorting again empties indexBySlot_
  if (indexBySlot_.empty()) {
    indexBySlot_.assign(slots_.size(), 0);
    for (size_t index = 0; index < ordered.size(); ++index) indexBySlot_[ordered[index]] = static_cast<uint32_t>(index);
  }
  return indexBySlot_[slot];
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
  ordered_.clear();
  ordered_.reserve(size_);
  for (size_t slot = 0; slot < slots_.size(); ++slot) {
    if (slots_[slot] != 0) ordered_.push_back(static_cast<uint32_t>(slot));
  }
  std::sort(ordered_.begin(), ordered_.end(), [this](uint32_t left, uint32_t right) {
    return NameAt(slots_[left] - 1) < NameAt(slots_[right] - 1);
  });
  indexBySlot_.clear();  // made again when IndexOf needs it
  orderedValid_ = true;
  return ordered_;
}

}  // namespace vo
