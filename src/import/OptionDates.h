// Month names and option expiration dates as the import writes them:
// month/day/four-digit year followed by " 23:59:59", no leading zeros.
#pragma once

#include <cstdint>
#include <string>

namespace vo {

// 1 to 12 for "JAN"/"Jan" to "DEC"/"Dec" (exactly these 24 names); 0 otherwise.
int32_t MonthNumber(const std::string& name);

// Day of the month (15 to 21) of the third Friday. A month outside 1 to 12
// counts from January of the year (0 is the December before).
int32_t ThirdFriday(int32_t year, int32_t month);

// A year below 100 is 2000 plus the year; a day below 1 means the third Friday.
// Example: (9, 1, 0) gives "1/16/2009 23:59:59".
std::string OptionExpirationDate(int32_t year, int32_t month, int32_t day);

// The expiration of a year text, a month name and a day text (empty: third
// Friday). The year and a non-empty day must read as whole numbers, else the
// conversion error of ToInt leaves the caller; an unknown month gives month 0.
std::string ExpirationFromParts(const std::string& yearText, const std::string& monthName,
                                const std::string& dayText);

}  // namespace vo
