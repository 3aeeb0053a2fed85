#include "values/NumberText.h"

// Placeholder: replaced by the real conversions.
int TextToInt(const std::string&) { return 0; }
double TextToDouble(const std::string&) { return 0; }
double RoundDecimals(double x, int) { return x; }
std::string FormatNumber(double, bool, int, bool) { return "0"; }
