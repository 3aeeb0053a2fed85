#include "import/layouts/LayoutValues.h"

#include <array>
#include <cctype>
#include <cstdio>

namespace vo {

namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Reads 1 to `most` digits (exactly `most` when `exact`) at `at`.
bool ReadDigits(std::string_view text, size_t& at, size_t most, bool exact, int& value) {
  size_t start = at;
  value = 0;
  while (at < text.size() && at - start < most && std::isdigit(static_cast<unsigned char>(text[at]))) {
    value = value * 10 + (text[at++] - '0');
  }
  size_t read = at - start;
  return exact ? read == most : read > 0;
}

// A month name at `at`: three letters or the whole name, any case.
bool ReadMonthName(std::string_view text, size_t& at, int& month) {
  size_t end = at;
  while (end < text.size() && std::isalpha(static_cast<unsigned char>(text[end]))) ++end;
  std::string word;
  for (size_t i = at; i < end; ++i) word += Lower(text[i]);
  for (size_t m = 0; m < kMonthNames.size(); ++m) {
    if (word == kMonthNames[m] || (word.size() == 3 && kMonthNames[m].starts_with(word))) {
      month = static_cast<int>(m) + 1;
      at = end;
      return true;
    }
  }
  return false;
}

struct DateParts {
  int year = -1, month = -1, day = -1;
  int hour = 0, minute = 0, second = 0;
  int meridiem = 0;  // 1 AM, 2 PM
  bool time = false;
};

bool ReadWithForm(std::string_view text, std::string_view form, DateParts& p) {
  size_t at = 0;
  for (size_t f = 0; f < form.size(); ++f) {
    char c = form[f];
    if (IsBlank(c)) {
      if (at >= text.size() || !IsBlank(text[at])) return false;
      while (at < text.size() && IsBlank(text[at])) ++at;
      continue;
    }
    if (c != '%' || f + 1 == form.size()) {
      if (at >= text.size() || text[at] != c) return false;
      ++at;
      continue;
    }
    int value = 0;
    bool ok = true;
    switch (form[++f]) {
      case 'Y': ok = ReadDigits(text, at, 4, true, p.year); break;
      case 'y':
        ok = ReadDigits(text, at, 2, true, value);
        p.year = value + (value >= 70 ? 1900 : 2000);
        break;
      case 'm': ok = ReadDigits(text, at, 2, false, p.month); break;
      case 'b': ok = ReadMonthName(text, at, p.month); break;
      case 'd': ok = ReadDigits(text, at, 2, false, p.day); break;
      case 'H': ok = ReadDigits(text, at, 2, false, p.hour); p.time = true; break;
      case 'M': ok = ReadDigits(text, at, 2, false, p.minute); p.time = true; break;
      case 'S': ok = ReadDigits(text, at, 2, false, p.second); p.time = true; break;
      case 'p': {
        std::string word;
        for (size_t i = at; i < at + 2 && i < text.size(); ++i) word += Lower(text[i]);
        ok = word == "am" || word == "pm";
        p.meridiem = word == "am" ? 1 : 2;
        at += 2;
        break;
      }
      case '%': ok = at < text.size() && text[at++] == '%'; break;
      default: return false;
    }
    if (!ok) return false;
  }
  return at == text.size();
}

bool Valid(DateParts& p) {
  if (p.year < 0 || p.month < 1 || p.month > 12 || p.day < 1) return false;
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (p.year % 4 == 0 && p.year % 100 != 0) || p.year % 400 == 0;
  if (p.day > kDays[p.month - 1] || (p.month == 2 && p.day == 29 && !leap)) return false;
  if (p.meridiem != 0) {
    if (p.hour < 1 || p.hour > 12) return false;
    p.hour = p.hour % 12 + (p.meridiem == 2 ? 12 : 0);
  }
  return p.hour < 24 && p.minute < 60 && p.second < 60;
}

bool ReadAnyForm(std::string_view text, const std::vector<std::string>& forms, DateParts& parts) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  for (const std::string& form : forms) {
    parts = DateParts();
    if (ReadWithForm(text, form, parts) && Valid(parts)) return true;
  }
  return false;
}

}  // namespace

bool IsDateForm(std::string_view form, std::string& problem) {
  bool year = false, month = false, day = false;
  for (size_t f = 0; f < form.size(); ++f) {
    if (form[f] != '%') continue;
    if (++f == form.size()) {
      problem = "a date form cannot end with %";
      return false;
    }
    switch (form[f]) {
      case 'Y': case 'y': year = true; break;
      case 'm': case 'b': month = true; break;
      case 'd': day = true; break;
      case 'H': case 'M': case 'S': case 'p': case '%': break;
      default:
        problem = std::string("unknown date directive %") + form[f];
        return false;
    }
  }
  if (!year || !month || !day) {
    problem = "a date form needs a year, a month and a day";
    return false;
  }
  return true;
}

bool ReadDate(std::string_view text, const std::vector<std::string>& forms, std::string& date) {
  DateParts p;
  if (!ReadAnyForm(text, forms, p)) return false;
  char buffer[32];
  int length = p.time ? std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year,
                                      p.month, p.day, p.hour, p.minute, p.second)
                      : std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", p.year, p.month, p.day);
  date.assign(buffer, static_cast<size_t>(length));
  return true;
}

bool ReadDateParts(std::string_view text, const std::vector<std::string>& forms, int& year,
                   int& month, int& day) {
  DateParts p;
  if (!ReadAnyForm(text, forms, p)) return false;
  year = p.year;
  month = p.month;
  day = p.day;
  return true;
}

bool ReadNumber(std::string_view text, char decimal, LayoutNumber& number) {
  const char thousands = decimal == ',' ? '.' : ',';
  number = LayoutNumber();
  std::string& out = number.digits;
  enum { kBefore, kInside, kAfter } phase = kBefore;
  bool sign = false, opened = false, closed = false, point = false;
  for (char c : text) {
    const bool digit = std::isdigit(static_cast<unsigned char>(c)) != 0;
    if (c == '$') continue;
    if (IsBlank(c)) {
      if (phase == kInside) phase = kAfter;
    } else if (digit || (c == decimal && !point)) {
      if (phase == kAfter) return false;
      phase = kInside;
      if (!digit) {
        point = true;
        if (out.empty()) out += '0';
        out += '.';
      } else {
        out += c;
      }
    } else if (c == thousands && phase == kInside && !point) {
      continue;
    } else if ((c == '-' || c == '+') && !sign && !closed) {
      sign = true;
      number.negative = c == '-';
      if (phase == kInside) phase = kAfter;
    } else if (c == '(' && phase == kBefore && !opened) {
      opened = true;
    } else if (c == ')' && opened && !closed && phase != kBefore) {
      closed = true;
      phase = kAfter;
    } else {
      return false;
    }
  }
  if (opened != closed) return false;
  if (out.empty()) return !sign && !opened;  // an empty amount; a lone sign is no number
  if (out == "0." ) return false;
  if (opened) number.negative = true;
  if (out.back() == '.') out.pop_back();
  return true;
}

}  // namespace vo
