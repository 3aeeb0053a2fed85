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
// SecurityMasterData::ValueText would give it.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace vo {

class PlainJsonObject {
 public:
  struct Member {
    std::string_view key;
    // A string's contents, a number as written, "true" or "false"; empty
    // for null and for an object.
    std::string_view text;
    bool object = false;
    // The object member this one belongs to (its index), or kTopLevel.
    int parent = kTopLevel;
  };
  static constexpr int kTopLevel = -1;

  // The members in the order written; an object member comes right before
  // its own members. Repeated keys are all kept: the last one counts, as for
  // the JSON reader.
  static std::optional<std::vector<Member>> Read(std::string_view text);

 private:
  explicit PlainJsonObject(std::string_view text) : at_(text.data()), end_(text.data() + text.size()) {}

  bool ReadObject(int parent, std::vector<Member>& members);
  bool ReadString(std::string_view& contents);
  bool ReadScalar(std::string_view& text);
  void SkipSpace();
  bool Take(char c);

  const char* at_;
  const char* end_;
};

}  // namespace vo
