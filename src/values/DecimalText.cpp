#include "values/DecimalText.h"

#include <charconv>

namespace vo {

std::string ToText(int value) { return std::to_string(value); }
std::string ToText(unsigned value) { return std::to_string(value); }
std::string ToText(long value) { return std::to_string(value); }
std::string ToText(unsigned long value) { return std::to_string(value); }

std::string ToText(double value) {
  // General notation with six significant digits is exactly what an ostream
  // (and printf's "%g") writes by default; to_chars writes the same text
  // several times faster.
  char text[32];
  auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
  return std::string(text, written.ptr);
}

}  // namespace vo
