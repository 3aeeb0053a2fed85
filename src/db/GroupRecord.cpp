#include "db/GroupRecord.h"

// Placeholder: replaced with the group record.
std::string GroupRecord::GetField(int) const { return ""; }
void GroupRecord::SetField(int, const std::string&) {}
void GroupRecord::SetField(int, int) {}
void GroupRecord::SetField(int, unsigned long) {}
