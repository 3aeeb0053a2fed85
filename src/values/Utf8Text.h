// UTF-8 as the ledger keeps text: every name and description stored, and
// every document vo writes, is valid UTF-8. Text from outside (a server's
// answer, a file) is checked with these before it is trusted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vo {

class Utf8Text {
 public:
  // The length of the well-formed UTF-8 sequence that starts at `at` (1 to
  // 4), or 0 when the bytes there are none: a stray continuation byte, an
  // overlong form, a surrogate, a code point past U+10FFFF, or a cut sequence.
  static size_t SequenceAt(std::string_view text, size_t at);

  static bool IsValid(std::string_view text);

  // `text` with its well-formed sequences kept and every other byte read as
  // Windows-1252, the code page spreadsheets on Windows save in: that is what
  // a byte outside UTF-8 in a broker's export nearly always is.
  static std::string Repaired(std::string_view text);
};

}  // namespace vo
