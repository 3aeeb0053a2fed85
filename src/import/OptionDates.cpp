#include "import/OptionDates.h"

#include <map>

#include "import/FieldText.h"
#include "values/DecimalText.h"

namespace vo {

namespace {

const std::map<std::string, int32_t>& MonthNames() {
  static const std::map<std::string, int32_t> kMonths = {
      {"JAN", 1},  {"Jan", 1},  {"FEB", 2},  {"Feb", 2},  {"MAR", 3},  {"Mar", 3},
      {"APR", 4},  {"Apr", 4},  {"MAY", 5},  {"May", 5},  {"JUN", 6},  {"Jun", 6},
      {"JUL", 7},  {"Jul", 7},  {"AUG", 8},  {"Aug", 8},  {"SEP", 9},  {"Sep", 9},
      {"OCT", 10}, {"Oct", 10}, {"NOV", 11}, {"Nov", 11}, {"DEC", 12}, {"Dec", 12},
  };
  return kMonths;
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1 to 12).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  int64_t era = (year >= 0 ? year : year - 399) / 400;
  int64_t yearOfEra = year - era * 400;
  int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace

int32_t MonthNumber(const std::string& name) {
  auto it = MonthNames().find(name);
  return it == MonthNames().end() ? 0 : it->second;
}

int32_t ThirdFriday(int32_t year, int32_t month) {
  int64_t monthsFromJanuary = int64_t{month} - 1;
  int64_t yearShift =
      monthsFromJanuary >= 0 ? monthsFromJanuary / 12 : (monthsFromJanuary - 11) / 12;
  int64_t y = year + yearShift;
  int64_t m = monthsFromJanuary - yearShift * 12 + 1;
  // 1970-01-01 was a Thursday: weekday 0 is Sunday.
  int64_t days = DaysFromCivil(y, m, 1);
  int64_t weekdayOfFirst = ((days + 4) % 7 + 7) % 7;
  constexpr int64_t kFriday = 5;
  return static_cast<int32_t>(1 + (kFriday - weekdayOfFirst + 7) % 7 + 14);
}

std::string OptionExpirationDate(int32_t year, int32_t month, int32_t day) {
  if (year < 100) year += 2000;
  if (day < 1) day = ThirdFriday(year, month);
  return ToText(month) + "/" + ToText(day) + "/" + ToText(year) + " 23:59:59";
}

std::string ExpirationFromParts(const std::string& yearText, const std::string& monthName,
                                const std::string& dayText) {
  int32_t year = ToInt(yearText);
  int32_t month = MonthNumber(monthName);
  int32_t day = dayText.empty() ? 0 : ToInt(dayText);
  return OptionExpirationDate(year, month, day);
}

}  // namespace vo
