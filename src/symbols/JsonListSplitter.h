// Splits a JSON document of one plain shape -- an object whose members are
// named lists of objects, {"a": [{...}, {...}], "b": [...]} -- into the texts
// of those objects, without building the document. The symbol update's request
// and answer have this shape and run to tens of megabytes; read as one tree of
// JSON values they take ten times that. Each object's text is then read on its
// own by the JSON reader, which decides whether it is valid.
//
// Only the plain shape is taken: members named in the list given, each once,
// each an array of objects; no comments, no escapes in member names, nothing
// after the object, nesting below a modest depth. Other members are checked
// and passed over without being built (a member of padding costs nothing);
// their values take plain JSON only, more strictly than the reader (no
// exponents, no numbers of more than 300 characters, no escaped surrogates,
// no control characters in strings). Anything else gives nullopt, and the
// caller reads the document whole, so a document always reads as the whole
// parse reads it. Header-only: the security master server uses it too.
#pragma once

#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

#include "symbols/JsonCursor.h"

namespace vo {

class JsonListSplitter : private JsonCursor {
 public:
  // For each name asked for, in that order: its objects' texts, or nullopt
  // when the document has no such member.
  using Lists = std::vector<std::optional<std::vector<std::string_view>>>;

  static std::optional<Lists> Split(std::string_view text, std::initializer_list<std::string_view> names) {
    return JsonListSplitter(text).SplitInto(names);
  }

 private:
  // Deeper nesting than these documents ever have is left to the whole parse.
  static constexpr int kMaxDepth = 64;

  explicit JsonListSplitter(std::string_view text) : JsonCursor(text) {}

  std::optional<Lists> SplitInto(std::initializer_list<std::string_view> names) {
    Lists lists(names.size());
    SkipSpace();
    if (!Take('{')) return std::nullopt;
    SkipSpace();
    if (Take('}')) return Finished(lists);
    do {
      SkipSpace();
      std::string_view name;
      if (!PlainString(name)) return std::nullopt;
      SkipSpace();
      if (!Take(':')) return std::nullopt;
      std::optional<std::vector<std::string_view>>* list = nullptr;
      size_t index = 0;
      for (std::string_view known : names) {
        if (name == known) list = &lists[index];
        ++index;
      }
      SkipSpace();
      if (list == nullptr) {  // another member: checked, not kept
        if (!SkipValue(0)) return std::nullopt;
        SkipSpace();
        continue;
      }
      if (list->has_value()) return std::nullopt;  // given twice
      if (!Elements(list->emplace())) return std::nullopt;
      SkipSpace();
    } while (Take(','));
    if (!Take('}')) return std::nullopt;
    return Finished(lists);
  }

  std::optional<Lists> Finished(Lists& lists) {
    SkipSpace();
    if (at_ != end_) return std::nullopt;
    return std::move(lists);
  }

  // An array of objects: the text of each object.
  bool Elements(std::vector<std::string_view>& elements) {
    if (!Take('[')) return false;
    SkipSpace();
    if (Take(']')) return true;
    do {
      SkipSpace();
      const char* start = at_;
      if (at_ == end_ || *at_ != '{' || !SkipNested()) return false;
      elements.emplace_back(start, static_cast<size_t>(at_ - start));
      SkipSpace();
    } while (Take(','));
    return Take(']');
  }

  // From an opening bracket to just past the bracket that closes it, strings
  // and their escapes skipped as the JSON reader skips them.
  bool SkipNested() {
    int depth = 0;
    while (at_ != end_) {
      char c = *at_++;
      if (c == '"') {
        while (at_ != end_ && *at_ != '"') at_ += *at_ == '\\' && at_ + 1 != end_ ? 2 : 1;
        if (at_ == end_) return false;
        ++at_;
      } else if (c == '{' || c == '[') {
        if (++depth > kMaxDepth) return false;
      } else if (c == '}' || c == ']') {
        if (--depth == 0) return true;
      } else if (c == '/') {
        return false;  // a comment, which may hold brackets
      }
    }
    return false;
  }

  // One JSON value of the strict kind described above, passed over.
  bool SkipValue(int depth) {
    if (at_ == end_ || depth > kMaxDepth) return false;
    switch (*at_) {
      case '"': return SkipString();
      case '{': return SkipMembers(depth);
      case '[': return SkipItems(depth);
      case 't': return TakeWord("true");
      case 'f': return TakeWord("false");
      case 'n': return TakeWord("null");
      default: return SkipNumber();
    }
  }
  bool SkipMembers(int depth) {
    ++at_;
    SkipSpace();
    if (Take('}')) return true;
    do {
      SkipSpace();
      if (!SkipString()) return false;
      SkipSpace();
      if (!Take(':')) return false;
      SkipSpace();
      if (!SkipValue(depth + 1)) return false;
      SkipSpace();
    } while (Take(','));
    return Take('}');
  }
  bool SkipItems(int depth) {
    ++at_;
    SkipSpace();
    if (Take(']')) return true;
    do {
      SkipSpace();
      if (!SkipValue(depth + 1)) return false;
      SkipSpace();
    } while (Take(','));
    return Take(']');
  }
  bool SkipString() {
    if (!Take('"')) return false;
    while (at_ != end_) {
      const auto c = static_cast<unsigned char>(*at_++);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c != '\\') continue;
      if (at_ == end_) return false;
      const char escaped = *at_++;
      if (escaped == 'u') {
        if (end_ - at_ < 4) return false;
        unsigned code = 0;
        for (int i = 0; i < 4; ++i) {
          const char h = *at_++;
          const int digit = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
          if (digit < 0) return false;
          code = code * 16 + static_cast<unsigned>(digit);
        }
        if (code >= 0xD800 && code <= 0xDFFF) return false;
      } else if (std::string_view("\"\\/bfnrt").find(escaped) == std::string_view::npos) {
        return false;
      }
    }
    return false;
  }
  // -?(0|[1-9][0-9]*)(.[0-9]+)? and at most 300 characters.
  bool SkipNumber() {
    const char* start = at_;
    Take('-');
    if (at_ == end_ || *at_ < '0' || *at_ > '9') return false;
    if (*at_++ != '0') {
      while (at_ != end_ && *at_ >= '0' && *at_ <= '9') ++at_;
    }
    if (Take('.')) {
      if (at_ == end_ || *at_ < '0' || *at_ > '9') return false;
      while (at_ != end_ && *at_ >= '0' && *at_ <= '9') ++at_;
    }
    return at_ - start <= 300;
  }
};

}  // namespace vo
