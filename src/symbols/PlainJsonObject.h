// A JSON object read without building a tree of values, when it is of the
// plain shape the security master's records have: members that are strings
// without escapes, whole numbers, true, false or null, or objects of such
// members (one level down). A million records read through the JSON reader
// spend most of their time building and searching its trees.
//
// Read answers nothing for any other text (escapes, comments, arrays, deeper
// objects, fractions and exponents, leading zeros, anything after the
// object), which the caller leaves to the JSON reader. What it does read,
// the reader would read alike: the same members, each with the text
// SecurityMasterData::ValueText would give it. Header-only: the security
// master server reads its requests with it too.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "symbols/JsonCursor.h"

namespace vo {

class PlainJsonObject : private JsonCursor {
 public:
  struct Member {
    std::string_view key;
    // A string's contents, a number as written, "true" or "false"; empty
    // for null and for an object.
    std::string_view text;
    bool quoted = false;  // a string
    bool object = false;
    // The object member this one belongs to (its index), or kTopLevel.
    int parent = kTopLevel;
  };
  static constexpr int kTopLevel = -1;

  // Fills `members` with the object's members in the order written (an
  // object member comes right before its own members); false when the text
  // is not of the plain shape. Repeated keys are all kept: the last one
  // counts, as for the JSON reader. The vector is reused from element to
  // element, so a million elements allocate once.
  static bool Read(std::string_view text, std::vector<Member>& members) {
    members.clear();
    PlainJsonObject reader(text);
    reader.SkipSpace();
    if (!reader.Take('{') || !reader.ReadObject(kTopLevel, members)) return false;
    reader.SkipSpace();
    return reader.at_ == reader.end_;
  }
  // Whether an object holds a key twice, which a strict reader refuses.
  static bool RepeatsAKey(const std::vector<Member>& members) {
    for (size_t i = 0; i < members.size(); ++i) {
      for (size_t j = i + 1; j < members.size(); ++j) {
        if (members[i].parent == members[j].parent && members[i].key == members[j].key) return true;
      }
    }
    return false;
  }

 private:
  // Whole numbers of up to 18 digits read as one 64-bit integer whose decimal
  // text is the text written; longer ones the reader keeps as doubles.
  static constexpr size_t kMaxDigits = 18;

  explicit PlainJsonObject(std::string_view text) : JsonCursor(text) {}

  // After the opening brace, through the closing one.
  bool ReadObject(int parent, std::vector<Member>& members) {
    SkipSpace();
    if (Take('}')) return true;
    do {
      SkipSpace();
      Member member;
      member.parent = parent;
      if (!PlainString(member.key)) return false;
      SkipSpace();
      if (!Take(':')) return false;
      SkipSpace();
      if (Take('{')) {
        if (parent != kTopLevel) return false;  // deeper than plain
        member.object = true;
        members.push_back(member);
        if (!ReadObject(static_cast<int>(members.size() - 1), members)) return false;
      } else {
        member.quoted = at_ != end_ && *at_ == '"';
        if (!(member.quoted ? PlainString(member.text) : ReadScalar(member.text))) return false;
        members.push_back(member);
      }
      SkipSpace();
    } while (Take(','));
    return Take('}');
  }

  bool ReadScalar(std::string_view& text) {
    const char* start = at_;
    if (TakeWord("true") || TakeWord("false")) {
      text = std::string_view(start, static_cast<size_t>(at_ - start));
      return true;
    }
    if (TakeWord("null")) {
      text = std::string_view();
      return true;
    }
    const bool negative = Take('-');
    const char* digits = at_;
    while (at_ != end_ && *at_ >= '0' && *at_ <= '9') ++at_;
    const size_t count = static_cast<size_t>(at_ - digits);
    // "-0" reads as 0, and a leading zero is dropped: only texts the reader
    // would write back the same are taken.
    if (count == 0 || count > kMaxDigits || (*digits == '0' && (count > 1 || negative))) return false;
    text = std::string_view(start, static_cast<size_t>(at_ - start));
    return true;
  }
};

}  // namespace vo
