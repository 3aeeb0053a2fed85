// The steps over JSON text that the readers which avoid building a tree
// share: whitespace, one expected character, a word, a string without
// escapes. Header-only, as its users are: the security master server takes
// them too.
#pragma once

#include <string_view>

namespace vo {

class JsonCursor {
 protected:
  explicit JsonCursor(std::string_view text) : at_(text.data()), end_(text.data() + text.size()) {}

  void SkipSpace() {
    while (at_ != end_ && (*at_ == ' ' || *at_ == '\t' || *at_ == '\n' || *at_ == '\r')) ++at_;
  }
  bool Take(char c) {
    if (at_ == end_ || *at_ != c) return false;
    ++at_;
    return true;
  }
  bool TakeWord(std::string_view word) {
    if (static_cast<size_t>(end_ - at_) < word.size() || std::string_view(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }
  // A string without escapes; `text` is what stands between its quotes.
  bool PlainString(std::string_view& text) {
    if (!Take('"')) return false;
    const char* start = at_;
    while (at_ != end_ && *at_ != '"') {
      if (*at_ == '\\') return false;
      ++at_;
    }
    if (at_ == end_) return false;
    text = std::string_view(start, static_cast<size_t>(at_ - start));
    ++at_;
    return true;
  }

  const char* at_;
  const char* end_;
};

}  // namespace vo
