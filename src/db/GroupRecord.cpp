#include "db/GroupRecord.h"

namespace vo {

std::string GroupRecord::GetField(int index) const {
  if (index < 0 || index >= kFieldCount) return "";
  return fields_[index];
}

void GroupRecord::SetField(int index, const std::string& text) {
  if (index < 0 || index >= kFieldCount) return;
  fields_[index] = text;
}

void GroupRecord::SetField(int index, int value) { SetField(index, std::to_string(value)); }

void GroupRecord::SetField(int index, unsigned long value) {
  SetField(index, std::to_string(value));
}

}  // namespace vo
