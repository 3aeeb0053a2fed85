#include "db/TransRecord.h"

// Placeholder: replaced with the transaction record.
TransRecord::TransRecord(const std::vector<std::string>&) {}
std::string TransRecord::GetField(int) const { return ""; }
void TransRecord::SetField(int, const std::string&) {}
void TransRecord::SetField(int, int) {}
void TransRecord::SetField(int, unsigned long) {}
