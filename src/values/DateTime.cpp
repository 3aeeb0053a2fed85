#include "values/DateTime.h"

// Placeholder: replaced by the real date arithmetic.
DateTime::DateTime(uint64_t) {}
void DateTime::ParseText(const std::string&) {}
uint64_t DateTime::ParseLoose(const std::string&) { return 0; }
uint64_t DateTime::packed() const { return 0; }
std::string DateTime::ToDisplayText() const { return ""; }
std::string DateTime::ToPackedText() const { return "0"; }
void DateTime::Add(int, int, int, int, int, int) {}
void DateTime::Subtract(int, int, int, int, int, int) {}
DateTime DateTime::UtcNow() { return DateTime(); }
void DateTime::ToLocal() {}
void DateTime::ToLocal(int) {}
DateTime DateTime::Now() { return DateTime(); }
int DateTime::DaysInMonth(int, int) { return 31; }
int DateTime::HeldTerm(const std::string&, const std::string&) { return 1; }
