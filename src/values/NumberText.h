// Numbers read from and written to the text that database cells carry, with
// the system's rounding (half away from zero, at most six decimals).
#pragma once

#include <string>

namespace vo {

// atoi/atof after removing every ",", "$" and "%".
int TextToInt(const std::string& text);
double TextToDouble(const std::string& text);

double RoundDecimals(double x, int decimals);
std::string FormatNumber(double x, bool thousandsSeparators, int decimals, bool trimZeros);

}  // namespace vo
