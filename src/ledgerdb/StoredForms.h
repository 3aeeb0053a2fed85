// Conversions between the text that callers pass and the forms the VO
// database stores: dates as "YYYY-MM-DD HH:MM:SS", amounts as integer
// millionths, enumeration values as integers. Each reader tells apart a value,
// an absent value (stored as NULL) and text that cannot take the stored form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vo {

enum class StoredForm { kValue, kNull, kInvalid };

// Reads M/D/Y, Y-M-D (or M-D-YYYY) with an optional h:m[:s] time and AM/PM,
// or a packed date-time in decimal. Two-digit years are windowed: below 30
// means 20xx, otherwise 19xx. Blank text is kNull; the packed zero (no
// date) is kInvalid like any other text that names no calendar date.
// On kValue `normalised` holds the 19-character stored form.
StoredForm NormaliseDate(std::string_view text, std::string& normalised);

// Reads an amount: optional sign, "$", thousands commas in groups of three,
// decimals, an exponent, or enclosing parentheses for a negative. Rounded
// half away from zero to millionths. Blank text is kNull.
StoredForm ParseAmount(std::string_view text, int64_t& millionths);

// Reads a whole number with an optional sign (enumeration values, ids).
// Blank text is kNull.
StoredForm ParseWholeNumber(std::string_view text, int64_t& value);

// Millionths as a plain decimal amount: no exponent, no trailing zeros
// ("1500", "-12.5", "0").
std::string FormatMillionths(int64_t millionths);

}  // namespace vo
