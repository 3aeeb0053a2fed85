// Numbers as decimal text the way a default-formatted stream writes them: whole
// numbers without leading zeros, doubles with at most 6 significant digits, no
// trailing zeros, exponent form for large or small magnitudes (2.5e+06).
#pragma once

#include <string>

namespace vo {

std::string ToText(int value);
std::string ToText(unsigned value);
std::string ToText(long value);
std::string ToText(unsigned long value);
std::string ToText(double value);

}  // namespace vo
