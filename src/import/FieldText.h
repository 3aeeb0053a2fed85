// Turning the text of a delimited line into columns and numbers, as every
// import format does it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vo {

// Splits `line` at `separator` into `columns` (cleared first). A double quote
// that opens a column starts a quoted column, inside which the separator is
// text and "" stands for one quote; a quote elsewhere is kept as text. A
// carriage return or line feed outside quotes, or a NUL, ends the line. An
// empty line gives one empty column; a trailing separator an empty last column.
// The vector's strings are reused, so splitting many lines does not allocate.
void Split(std::vector<std::string>& columns, const std::string& line, char separator);

// Strips the decoration of a number in place: leading blanks, '+', '-', '$',
// '(' and ')', a trailing ')' and every ','. The sign is lost with it.
// Returns whether anything is left.
bool CleanNumber(std::string& text);

// Reads a whole number (ToInt) or a floating-point number (ToDouble) from the
// start of the text as a formatted stream read does (leading blanks skipped,
// reading stops at the first character that does not belong: "12abc" is 12).
// When no number can be read, throws the conversion error: a std::string such
// as ToInt("x"). Nothing in the library catches it.
int32_t ToInt(const std::string& text);
double ToDouble(const std::string& text);

// As ToInt, but answers false instead of throwing.
bool ReadLeadingInt(const std::string& text, int32_t& value);
// The same read starting at `at` in `text`; on success `at` is moved past the
// number, as the stream would be.
bool ReadLeadingInt(std::string_view text, size_t& at, int32_t& value);

// The next blank-separated word from `at`, as a stream read into a string
// takes it (leading white space skipped); empty at the end. Moves `at` past it.
std::string_view NextWord(std::string_view text, size_t& at);

}  // namespace vo
