#include "values/NumberText.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace vo {

namespace {

constexpr int kMaxDecimals = 6;
constexpr int64_t kMillion = 1000000;
// 10^0 .. 10^15, exact in a double; indexed by decimals, by 6 + decimals and
// by the fraction digits of a plain decimal.
constexpr double kPowersOf10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
// 2^63: the first millionths count that no longer fits a signed 64-bit integer.
constexpr double kFirstTooLarge = 9223372036854775808.0;

// Amount text as cells and broker files write it, without its decorations.
std::string WithoutDecorations(const std::string& text) {
  std::string plain;
  plain.reserve(text.size());
  for (char c : text) {
    if (c != ',' && c != '$' && c != '%') plain += c;
  }
  return plain;
}

// The value of plain decimal text ("-12.25", "100") of at most 15 digits, or
// nothing for any other text. Digits and power of ten are both exact in a
// double, so one division rounds once to the double nearest the text's value:
// what strtod gives, without its general machinery.
std::optional<double> PlainDecimalValue(const std::string& text) {
  constexpr int kMaxDigits = 15;
  size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
  int64_t digits = 0;
  int count = 0, fractionDigits = -1;  // -1: no point yet
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && fractionDigits < 0 && count > 0) {
      fractionDigits = 0;
      continue;
    }
    if (c < '0' || c > '9' || ++count > kMaxDigits) return std::nullopt;
    digits = digits * 10 + (c - '0');
    if (fractionDigits >= 0) ++fractionDigits;
  }
  if (count == 0 || fractionDigits == 0) return std::nullopt;
  const double value = static_cast<double>(digits) / kPowersOf10[std::max(fractionDigits, 0)];
  return text[0] == '-' ? -value : value;
}

int ClampDecimals(int decimals) { return decimals < 0 || decimals > kMaxDecimals ? kMaxDecimals : decimals; }

// "1234567" -> "1,234,567".
std::string WithThousandsSeparators(const std::string& digits) {
  std::string grouped;
  grouped.reserve(digits.size() + digits.size() / 3);
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

}  // namespace

int TextToInt(const std::string& text) {
  // strtol rather than atoi: out-of-range text saturates instead of being undefined.
  std::string plain = WithoutDecorations(text);
  long value = std::strtol(plain.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double TextToDouble(const std::string& text) {
  if (const std::optional<double> plain = PlainDecimalValue(text)) return *plain;
  // Most other texts carry no decorations either and are read where they are.
  if (text.find_first_of(",$%") == std::string::npos) return std::strtod(text.c_str(), nullptr);
  return std::strtod(WithoutDecorations(text).c_str(), nullptr);
}

double RoundDecimals(double x, int decimals) {
  decimals = ClampDecimals(decimals);
  double scale = kPowersOf10[decimals];
  // The nudge of 10^-(6+decimals) keeps a half that binary cannot hold exactly
  // (2.345 is 2.34499...) rounding away from zero.
  double rounded = std::floor((std::fabs(x) + 0.5 / scale) * scale + 1 / kPowersOf10[kMaxDecimals + decimals]) / scale;
  return x < 0 ? -rounded : rounded;
}

std::string FormatNumber(double x, bool thousandsSeparators, int decimals, bool trimZeros) {
  decimals = ClampDecimals(decimals);
  if (x == 0) return "0";
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x < 0 ? "-inf" : "inf";

  double a = std::fabs(x) + 0.5 / kPowersOf10[decimals];
  std::string whole;
  int64_t fraction = 0;  // millionths
  if (a * kMillion < kFirstTooLarge) {
    auto n = static_cast<int64_t>(a * kMillion);
    if (n < kMillion / static_cast<int64_t>(kPowersOf10[decimals])) return "0";
    whole = std::to_string(n / kMillion);
    fraction = n % kMillion;
  } else {
    // Beyond 9.2e12 the millionths do not fit 64 bits; a double this large
    // holds its whole part exactly and its fraction only coarsely.
    double wholePart = std::floor(a);
    char digits[400];
    std::snprintf(digits, sizeof digits, "%.0f", wholePart);
    whole = digits;
    fraction = static_cast<int64_t>((a - wholePart) * kMillion);
  }

  std::string text = x < 0 ? "-" : "";
  text += thousandsSeparators ? WithThousandsSeparators(whole) : whole;
  if (fraction == 0) return text;

  // The six digits of the millionths, leading zeros kept; then the first
  // `decimals` of them, less trailing zeros when asked.
  char digits[6];
  for (int i = 5; i >= 0; --i, fraction /= 10) digits[i] = static_cast<char>('0' + fraction % 10);
  size_t length = static_cast<size_t>(decimals);
  while (trimZeros && length > 0 && digits[length - 1] == '0') --length;
  if (length > 0) text.append(".").append(digits, length);
  return text;
}

}  // namespace vo
