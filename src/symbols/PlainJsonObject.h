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

#include <cstring>
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
    bool quoted = false;  // a string
    bool object = false;
    // The object member this one belongs to (its index), or kTopLevel.
    int parent = kTopLevel;
  };
  static constexpr int kTopLevel = -1;

  // The members in the order written; an object member comes right before
  // its own members. Repeated keys are all kept: the last one counts, as for
  // the JSON reader.
  static std::optional<std::vector<Member>> Read(std::string_view text);
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
  explicit PlainJsonObject(std::string_view text) : at_(text.data()), end_(text.data() + text.size()) {}

  bool ReadObject(int parent, std::vector<Member>& members);
  bool ReadString(std::string_view& contents);
  bool ReadScalar(std::string_view& text);
  void SkipSpace();
  bool Take(char c);

  // Whole numbers of up to 18 digits read as one 64-bit integer whose decimal
  // text is the text written; longer ones the reader keeps as doubles.
  static constexpr size_t kMaxDigits = 18;

  const char* at_;
  const char* end_;
};

inline std::optional<std::vector<PlainJsonObject::Member>> PlainJsonObject::Read(std::string_view text) {
  PlainJsonObject reader(text);
  std::vector<Member> members;
  reader.SkipSpace();
  if (!reader.Take('{') || !reader.ReadObject(kTopLevel, members)) return std::nullopt;
  reader.SkipSpace();
  if (reader.at_ != reader.end_) return std::nullopt;
  return members;
}

// After the opening brace, through the closing one.
inline bool PlainJsonObject::ReadObject(int parent, std::vector<Member>& members) {
  SkipSpace();
  if (Take('}')) return true;
  do {
    SkipSpace();
    Member member;
    member.parent = parent;
    if (!ReadString(member.key)) return false;
    SkipSpace();
    if (!Take(':')) return false;
    SkipSpace();
    if (at_ != end_ && *at_ == '{') {
      if (parent != kTopLevel) return false;  // deeper than plain
      ++at_;
      member.object = true;
      members.push_back(member);
      if (!ReadObject(static_cast<int>(members.size() - 1), members)) return false;
    } else {
      member.quoted = at_ != end_ && *at_ == '"';
      if (!(member.quoted ? ReadString(member.text) : ReadScalar(member.text))) return false;
      members.push_back(member);
    }
    SkipSpace();
  } while (Take(','));
  return Take('}');
}

inline bool PlainJsonObject::ReadString(std::string_view& contents) {
  if (!Take('"')) return false;
  const char* start = at_;
  const void* quote = std::memchr(at_, '"', static_cast<size_t>(end_ - at_));
  if (quote == nullptr) return false;
  at_ = static_cast<const char*>(quote);
  contents = std::string_view(start, static_cast<size_t>(at_ - start));
  if (contents.find('\\') != std::string_view::npos) return false;  // escapes are the reader's
  ++at_;
  return true;
}

inline bool PlainJsonObject::ReadScalar(std::string_view& text) {
  for (const char* literal : {"true", "false", "null"}) {
    const size_t length = std::strlen(literal);
    if (static_cast<size_t>(end_ - at_) >= length && std::memcmp(at_, literal, length) == 0) {
      text = literal[0] == 'n' ? std::string_view() : std::string_view(at_, length);
      at_ += length;
      return true;
    }
  }
  const char* start = at_;
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

inline void PlainJsonObject::SkipSpace() {
  while (at_ != end_ && (*at_ == ' ' || *at_ == '\t' || *at_ == '\n' || *at_ == '\r')) ++at_;
}

inline bool PlainJsonObject::Take(char c) {
  if (at_ == end_ || *at_ != c) return false;
  ++at_;
  return true;
}


}  // namespace vo
