// A value for one `?` placeholder of a statement: text, which takes the
// column's numeric form where the column has one (as it would written into
// the statement), or a whole number bound as one. A row id compared many
// times within one statement is bound as a number, so that the engine does
// not convert the text again at every comparison.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace vo {

struct BoundValue {
  static BoundValue Text(std::string text) { return {std::move(text), 0, false}; }
  static BoundValue Integer(int64_t value) { return {{}, value, true}; }

  std::string text;
  int64_t integer = 0;
  bool isInteger = false;
};

}  // namespace vo
