#include "db/TransRecord.h"

#include <algorithm>

namespace vo {

TransRecord::TransRecord(const std::vector<std::string>& row) {
  size_t count = std::min(row.size(), static_cast<size_t>(kMaxFields));
  for (size_t i = 0; i < count; ++i) fields_.emplace(static_cast<int>(i), row[i]);
}

std::string TransRecord::GetField(int index) const {
  auto it = fields_.find(index);
  return it == fields_.end() ? std::string() : it->second;
}

void TransRecord::SetField(int index, const std::string& text) {
  auto it = fields_.find(index);
  if (it != fields_.end()) it->second = text;
}

void TransRecord::SetField(int index, int value) { SetField(index, std::to_string(value)); }

void TransRecord::SetField(int index, unsigned long value) {
  SetField(index, std::to_string(value));
}

}  // namespace vo
