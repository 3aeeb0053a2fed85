#include "maintenance/PlainNumbers.h"

#include <algorithm>
#include <cctype>

#include "values/NumberText.h"

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

bool IsPlainWholeNumber(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

bool IsPositiveDecimal(const std::string& text) {
  size_t digits = std::count_if(text.begin(), text.end(), IsDigit);
  size_t points = std::count(text.begin(), text.end(), '.');
  return digits > 0 && points <= 1 && digits + points == text.size() && TextToDouble(text) > 0;
}

std::vector<std::string> PlainWholeNumbers(const std::vector<std::string>& ids) {
  std::vector<std::string> plain;
  std::copy_if(ids.begin(), ids.end(), std::back_inserter(plain), IsPlainWholeNumber);
  return plain;
}

std::map<std::string, std::string> WithPlainWholeNumberKeys(
    const std::map<std::string, std::string>& idToValue) {
  std::map<std::string, std::string> plain;
  for (const auto& [id, value] : idToValue) {
    if (IsPlainWholeNumber(id)) plain.emplace(id, value);
  }
  return plain;
}
