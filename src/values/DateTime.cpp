#include "values/DateTime.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <limits>
#include <string_view>

#include "platform/TimeZone.h"

namespace vo {

namespace {

// Days in 400 Gregorian years: shifting a valid date by this many days shifts
// only its year, by 400. Lets huge day amounts carry without a long walk.
constexpr int64_t kDaysPer400Years = 146097;

enum Field { kYear, kMonth, kDay, kHour, kMinute, kSecond, kFieldCount };
using Fields = std::array<int64_t, kFieldCount>;

// The scanf-style layouts ParseText reads, each with the field every "%d" fills.
struct TextLayout {
  char separator;
  bool withTime;
  const char* format;
  std::array<Field, kFieldCount> order;
};
const TextLayout kLayouts[] = {
    {'/', true, "%d/%d/%d %d:%d:%d", {kMonth, kDay, kYear, kHour, kMinute, kSecond}},
    {'/', false, "%d/%d/%d", {kMonth, kDay, kYear, kHour, kMinute, kSecond}},
    {'-', true, "%d-%d-%d %d:%d:%d", {kYear, kMonth, kDay, kHour, kMinute, kSecond}},
    {'-', false, "%d-%d-%d", {kYear, kMonth, kDay, kHour, kMinute, kSecond}},
};

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads blanks, an optional sign and decimal digits at `pos`, like strtoll:
// the value saturates at the 64-bit limits instead of overflowing. False (and
// `pos` unchanged) when no digit follows.
bool ReadInteger(std::string_view text, size_t& pos, int64_t& value) {
  size_t at = pos;
  while (at < text.size() && IsBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  if (at >= text.size() || !IsDigit(text[at])) return false;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  uint64_t limit = negative ? static_cast<uint64_t>(kMax) + 1 : static_cast<uint64_t>(kMax);
  uint64_t magnitude = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    unsigned digit = static_cast<unsigned>(text[at] - '0');
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  pos = at;
  return true;
}

// The number at the start of `text` the way atoi reads it; 0 without digits.
int64_t LeadingInteger(std::string_view text) {
  size_t pos = 0;
  int64_t value = 0;
  return ReadInteger(text, pos, value) ? value : 0;
}

// sscanf with only "%d", blanks (any run of white space, possibly none) and
// literal characters: fills `values` in order and stops at the first mismatch.
void ScanIntegers(std::string_view text, std::string_view format, std::array<int64_t, kFieldCount>& values) {
  size_t pos = 0;
  size_t next = 0;
  for (size_t f = 0; f < format.size(); ++f) {
    if (format[f] == '%' && f + 1 < format.size() && format[f + 1] == 'd') {
      if (next >= values.size() || !ReadInteger(text, pos, values[next])) return;
      ++next;
      ++f;
    } else if (IsBlank(format[f])) {
      while (pos < text.size() && IsBlank(text[pos])) ++pos;
    } else {
      if (pos >= text.size() || text[pos] != format[f]) return;
      ++pos;
    }
  }
}

uint64_t Pack(const Fields& f) {
  return static_cast<uint64_t>(static_cast<uint16_t>(f[kYear])) << 48 |
         static_cast<uint64_t>(static_cast<uint8_t>(f[kMonth])) << 40 |
         static_cast<uint64_t>(static_cast<uint8_t>(f[kDay])) << 32 |
         static_cast<uint64_t>(static_cast<uint8_t>(f[kHour])) << 24 |
         static_cast<uint64_t>(static_cast<uint8_t>(f[kMinute])) << 16 |
         static_cast<uint64_t>(static_cast<uint8_t>(f[kSecond])) << 8;
}

int DaysIn(int64_t month, int64_t year) {
  // Out-of-range years reach here only from unchecked input; fold them into
  // int range keeping the leap rule's period of 400 years.
  return DateTime::DaysInMonth(static_cast<int>(month), static_cast<int>(year % 400));
}

// Moves whole `unit`s from `low` into `high` while `low` is at least `unit`.
void Carry(int64_t& low, int64_t& high, int64_t unit) {
  if (low >= unit) {
    high += low / unit;
    low %= unit;
  }
}

// Moves whole `unit`s from `high` into `low` while `low` is below `floor`.
void Borrow(int64_t& low, int64_t& high, int64_t unit, int64_t floor) {
  if (low < floor) {
    int64_t units = (floor - low + unit - 1) / unit;
    high -= units;
    low += units * unit;
  }
}

// A day beyond its month moves on into the following months.
void CarryDays(Fields& f) {
  while (f[kDay] > DaysIn(f[kMonth], f[kYear])) {
    if (f[kMonth] >= 1 && f[kMonth] <= 12 && f[kDay] > kDaysPer400Years) {
      int64_t cycles = (f[kDay] - 1) / kDaysPer400Years;
      f[kDay] -= cycles * kDaysPer400Years;
      f[kYear] += cycles * 400;
      continue;
    }
    if (f[kMonth] < 0) {
      // Months below 1 count 31 days each; pass over them at once.
      int64_t months = std::min(1 - f[kMonth], (f[kDay] - 1) / 31);
      f[kDay] -= months * 31;
      f[kMonth] += months;
      continue;
    }
    f[kDay] -= DaysIn(f[kMonth], f[kYear]);
    if (++f[kMonth] > 12) {
      f[kMonth] = 1;
      ++f[kYear];
    }
  }
}

// A day below 1 takes in whole previous months.
void BorrowDays(Fields& f) {
  while (f[kDay] < 1) {
    if (f[kMonth] >= 1 && f[kMonth] <= 12 && f[kDay] < -kDaysPer400Years) {
      int64_t cycles = -f[kDay] / kDaysPer400Years;
      f[kDay] += cycles * kDaysPer400Years;
      f[kYear] -= cycles * 400;
      continue;
    }
    if (f[kMonth] > 13) {
      // Months above 12 count 31 days each; pass over them at once.
      int64_t months = std::min(f[kMonth] - 13, (31 - f[kDay]) / 31);
      f[kDay] += months * 31;
      f[kMonth] -= months;
      continue;
    }
    if (--f[kMonth] < 1) {
      f[kMonth] = 12;
      --f[kYear];
    }
    f[kDay] += DaysIn(f[kMonth], f[kYear]);
  }
}

}  // namespace

DateTime::DateTime(uint64_t packed)
    : year_(static_cast<uint16_t>(packed >> 48)),
      month_(static_cast<uint8_t>(packed >> 40)),
      day_(static_cast<uint8_t>(packed >> 32)),
      hour_(static_cast<uint8_t>(packed >> 24)),
      minute_(static_cast<uint8_t>(packed >> 16)),
      second_(static_cast<uint8_t>(packed >> 8)) {}

void DateTime::ParseText(const std::string& text) {
  *this = DateTime();
  bool hasTime = text.find(':') != std::string::npos;
  char separator = text.find('/') != std::string::npos ? '/' : text.find('-') != std::string::npos ? '-' : '\0';
  if (separator == '\0') {
    // A packed value; small numbers (and negative ones) cannot be a date.
    int64_t packed = LeadingInteger(text);
    if (packed > 99) *this = DateTime(static_cast<uint64_t>(packed));
    return;
  }
  for (const TextLayout& layout : kLayouts) {
    if (layout.separator != separator || layout.withTime != hasTime) continue;
    std::array<int64_t, kFieldCount> read{};
    ScanIntegers(text, layout.format, read);
    Fields fields{};
    for (size_t i = 0; i < read.size(); ++i) fields[layout.order[i]] = read[i];
    *this = DateTime(Pack(fields));
    return;
  }
}

uint64_t DateTime::ParseLoose(const std::string& text) {
  if (text.empty()) return 0;
  size_t first = text.find('/');
  if (first == std::string::npos) first = text.find('-');
  if (first == std::string::npos) return static_cast<uint64_t>(LeadingInteger(text));

  // Where the date part ends: before a " h:" or " hh:" time, if there is one.
  size_t colon = text.find(':');
  size_t dateEnd = text.size();
  bool oneDigitHour = false;
  if (colon != std::string::npos) {
    if (colon < 3) {
      dateEnd = 0;
    } else if (text[colon - 2] == ' ') {
      dateEnd = colon - 2;
      oneDigitHour = true;
    } else {
      dateEnd = colon - 3;
    }
  }

  std::string_view view(text);
  Fields f{};
  f[kMonth] = LeadingInteger(view.substr(0, first));
  size_t second = text.find('/', first + 1);
  if (second == std::string::npos) second = text.find('-', first + 1);
  if (second == std::string::npos) return Pack(f);
  f[kDay] = LeadingInteger(view.substr(first + 1, second - first - 1));
  int64_t year = dateEnd > second ? LeadingInteger(view.substr(second + 1, dateEnd - second - 1)) : 0;
  if (year < 30) {
    year += 2000;
  } else if (year <= 99) {
    year += 1900;
  }
  f[kYear] = year;

  size_t end = oneDigitHour ? dateEnd - 1 : dateEnd;
  if (end + 6 <= text.size()) {
    f[kHour] = LeadingInteger(view.substr(end + 1, 2));
    f[kMinute] = LeadingInteger(view.substr(end + 4, 2));
  }
  if (end + 9 <= text.size()) f[kSecond] = LeadingInteger(view.substr(end + 7, 2));

  bool afternoon = text.find("PM") != std::string::npos || text.find("pm") != std::string::npos;
  if (afternoon && f[kHour] < 12) f[kHour] += 12;
  return Pack(f);
}

uint64_t DateTime::packed() const {
  return Pack({year_, month_, day_, hour_, minute_, second_});
}

std::string DateTime::ToDisplayText() const {
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", month_, day_, year_, hour_, minute_, second_);
  return text;
}

std::string DateTime::ToPackedText() const { return std::to_string(packed()); }

void DateTime::Add(int years, int months, int days, int hours, int minutes, int seconds) {
  Fields f{int64_t{year_} + years,    int64_t{month_} + months,   int64_t{day_} + days,
           int64_t{hour_} + hours,    int64_t{minute_} + minutes, int64_t{second_} + seconds};
  Carry(f[kSecond], f[kMinute], 60);
  Carry(f[kMinute], f[kHour], 60);
  Carry(f[kHour], f[kDay], 24);
  // Months first, so that the day is measured against a real month.
  if (f[kMonth] > 12) {
    int64_t over = f[kMonth] - 1;
    f[kYear] += over / 12;
    f[kMonth] = over % 12 + 1;
  }
  CarryDays(f);
  *this = DateTime(Pack(f));
}

void DateTime::Subtract(int years, int months, int days, int hours, int minutes, int seconds) {
  Fields f{int64_t{year_} - years,    int64_t{month_} - months,   int64_t{day_} - days,
           int64_t{hour_} - hours,    int64_t{minute_} - minutes, int64_t{second_} - seconds};
  Borrow(f[kSecond], f[kMinute], 60, 0);
  Borrow(f[kMinute], f[kHour], 60, 0);
  Borrow(f[kHour], f[kDay], 24, 0);
  Borrow(f[kMonth], f[kYear], 12, 1);
  BorrowDays(f);
  // March 31 less a month is March 3 (or 2), as adding a month to January 31
  // would give, rather than a February 31 that no calendar has.
  CarryDays(f);
  *this = DateTime(Pack(f));
}

DateTime DateTime::UtcNow() {
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  if (gmtime_r(&now, &utc) == nullptr) return DateTime();
  Fields f{int64_t{utc.tm_year} + 1900, int64_t{utc.tm_mon} + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec};
  return DateTime(Pack(f));
}

void DateTime::ToLocal() { ToLocal(TimeZoneBiasMinutes()); }

void DateTime::ToLocal(int biasMinutes) {
  int hours = biasMinutes / 60;
  int minutes = biasMinutes % 60;
  if (biasMinutes > 0) {
    Subtract(0, 0, 0, hours, minutes, 0);
  } else {
    Add(0, 0, 0, -hours, -minutes, 0);
  }
}

DateTime DateTime::Now() {
  DateTime now = UtcNow();
  now.ToLocal();
  return now;
}

int DateTime::DaysInMonth(int month, int year) {
  switch (month) {
    case 2: {
      bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
      return leap ? 29 : 28;
    }
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    default:
      return 31;
  }
}

int DateTime::HeldTerm(const std::string& openText, const std::string& closeText) {
  // Wrapping unsigned subtraction: the two's complement difference without
  // signed overflow for dates in the far years.
  auto difference = static_cast<int64_t>(DateTime(closeText).packed() - DateTime(openText).packed());
  int64_t daysPart = difference >> 32;  // years, months and days, borrowed by the time of day
  if (daysPart >= 0x50001) return 3;
  if (daysPart >= 0x10001) return 2;
  return 1;
}

}  // namespace vo
