#include "db/NameCounts.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace vo {

void NameCounts::Add(std::string_view name) {
  if ((size_ + 1) * 2 > slots_.size()) Grow();
  const uint64_t hash = std::hash<std::string_view>()(name);
  Slot& slot = slots_[SlotFor(name, hash)];
  if (slot.count++ > 0) return;
  ++size_;
  slot.hash = hash;
  if (name.size() <= kInline) {
    std::memcpy(slot.text, name.data(), name.size());
    slot.text[kInline] = static_cast<char>(name.size());
    return;
  }
  const uint64_t place = longNames_.size();
  const uint32_t length = static_cast<uint32_t>(name.size());
  longNames_.append(name);
  std::memcpy(slot.text, &place, sizeof place);
  std::memcpy(slot.text + sizeof place, &length, sizeof length);
  slot.text[kInline] = static_cast<char>(kLong);
}

int64_t NameCounts::CountOf(std::string_view name) const {
  if (slots_.empty()) return 0;
  return slots_[SlotFor(name, std::hash<std::string_view>()(name))].count;
}

size_t NameCounts::SlotFor(std::string_view name, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  size_t at = hash & mask;
  while (slots_[at].count != 0 && !Holds(slots_[at], name, hash)) at = (at + 1) & mask;
  return at;
}

bool NameCounts::Holds(const Slot& slot, std::string_view name, uint64_t hash) const {
  if (slot.hash != hash) return false;
  const unsigned char kind = static_cast<unsigned char>(slot.text[kInline]);
  if (kind != kLong) return kind == name.size() && std::memcmp(slot.text, name.data(), name.size()) == 0;
  uint64_t place = 0;
  uint32_t length = 0;
  std::memcpy(&place, slot.text, sizeof place);
  std::memcpy(&length, slot.text + sizeof place, sizeof length);
  return std::string_view(longNames_).substr(place, length) == name;
}

void NameCounts::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(std::max<size_t>(64, old.size() * 2), Slot{});
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.count == 0) continue;
    // Names are distinct: the first free slot from the name's own is its slot.
    size_t at = slot.hash & mask;
    while (slots_[at].count != 0) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

}  // namespace vo
