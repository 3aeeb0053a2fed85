#include "values/DecimalText.h"

#include <cstdio>

std::string ToText(int value) { return std::to_string(value); }
std::string ToText(unsigned value) { return std::to_string(value); }
std::string ToText(long value) { return std::to_string(value); }
std::string ToText(unsigned long value) { return std::to_string(value); }

std::string ToText(double value) {
  // "%g" with the default precision is exactly what an ostream writes by default.
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}
