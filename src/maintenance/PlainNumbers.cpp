#include "maintenance/PlainNumbers.h"

#include <algorithm>
#include <cctype>

#include "values/NumberText.h"

namespace vo {

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

bool IsPositiveDecimal(const std::string& text) {
  size_t digits = std::count_if(text.begin(), text.end(), IsDigit);
  size_t points = std::count(text.begin(), text.end(), '.');
  return digits > 0 && points <= 1 && digits + points == text.size() && TextToDouble(text) > 0;
}

}  // namespace vo
