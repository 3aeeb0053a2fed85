// Dates and numbers as layouts read them from broker files: dates by the
// forms a description lists, numbers with their decoration and sign.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vo {

// A date form is written with %Y (four-digit year), %y (two digits: 70 and
// above 19xx, else 20xx), %m (month 1-12), %b (month name, English, any case,
// three letters or whole), %d (day), %H (hour), %M (minute), %S (second), %p
// (AM or PM), %% (a percent sign); a blank stands for one or more blanks, and
// any other character for itself. Whether the form is one of those.
bool IsDateForm(std::string_view form, std::string& problem);

// The date of the text in the first form that reads all of it: "YYYY-MM-DD",
// with " HH:MM:SS" when the form has a time. False when no form reads it or
// the date does not exist.
bool ReadDate(std::string_view text, const std::vector<std::string>& forms, std::string& date);
// The same date's parts; false as above.
bool ReadDateParts(std::string_view text, const std::vector<std::string>& forms, int& year,
                   int& month, int& day);

// A number as brokers write it: blanks, "$" and thousands separators
// ignored; negative with a leading or trailing "-" or in parentheses.
struct LayoutNumber {
  std::string digits;  // the magnitude in plain decimal ("1234.5"); empty for an empty text
  bool negative = false;
};
// False when the text is neither empty nor such a number. `decimal` is '.'
// (thousands ',') or ',' (thousands '.').
bool ReadNumber(std::string_view text, char decimal, LayoutNumber& number);

}  // namespace vo
