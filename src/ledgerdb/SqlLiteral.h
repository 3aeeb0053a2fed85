// Values put into statements that are built as text. Whatever a caller or a
// file hands over goes in either as a plain whole number, written as given,
// or as a string literal, so that no value can end or alter the statement it
// is put in (a name or an account such as O'NEIL included).
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace vo {

// A text as an SQL string literal: quotes doubled. The connections take
// backslashes literally, so nothing else needs escaping.
inline std::string SqlLiteral(const std::string& text) {
  std::string literal = "'";
  for (char c : text) literal += c == '\'' ? std::string("''") : std::string(1, c);
  return literal + "'";
}

// Non-empty and made of the digits 0-9 only (no sign, blank or point).
inline bool IsPlainWholeNumber(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A plain whole number as written, so that the statement keeps its form and
// the database compares numbers; any other text as a string literal.
inline std::string SqlValue(const std::string& text) {
  return IsPlainWholeNumber(text) ? text : SqlLiteral(text);
}

// The row ids among `ids`, as written and joined by ", ", for an IN list. An
// id that is not a plain whole number is left out: no row has it. Empty when
// none is left.
inline std::string SqlIdList(const std::vector<std::string>& ids) {
  std::string list;
  for (const std::string& id : ids) {
    if (IsPlainWholeNumber(id)) list += (list.empty() ? "" : ", ") + id;
  }
  return list;
}

// `count` placeholders in parentheses, "(?, ?, ?)": values that are bound,
// never put in, so that statements of one length are one prepared statement.
inline std::string SqlPlaceholders(size_t count) {
  std::string list = "(";
  for (size_t i = 0; i < count; ++i) list += i ? ", ?" : "?";
  return list + ")";
}

}  // namespace vo
