// A text as an SQL string literal: quotes doubled, so that a name or an
// account such as O'NEIL neither breaks nor alters the statement it is put in.
#pragma once

#include <string>

inline std::string SqlLiteral(const std::string& text) {
  std::string literal = "'";
  for (char c : text) literal += c == '\'' ? std::string("''") : std::string(1, c);
  return literal + "'";
}
