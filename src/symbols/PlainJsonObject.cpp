#include "symbols/PlainJsonObject.h"

#include <cstring>

namespace vo {

namespace {

// Whole numbers of up to 18 digits read as one 64-bit integer whose decimal
// text is the text written; longer ones the reader keeps as doubles.
constexpr size_t kMaxDigits = 18;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<std::vector<PlainJsonObject::Member>> PlainJsonObject::Read(std::string_view text) {
  PlainJsonObject reader(text);
  std::vector<Member> members;
  reader.SkipSpace();
  if (!reader.Take('{') || !reader.ReadObject(kTopLevel, members)) return std::nullopt;
  reader.SkipSpace();
  if (reader.at_ != reader.end_) return std::nullopt;
  return members;
}

// After the opening brace, through the closing one.
bool PlainJsonObject::ReadObject(int parent, std::vector<Member>& members) {
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
      if (!(at_ != end_ && *at_ == '"' ? ReadString(member.text) : ReadScalar(member.text))) return false;
      members.push_back(member);
    }
    SkipSpace();
  } while (Take(','));
  return Take('}');
}

bool PlainJsonObject::ReadString(std::string_view& contents) {
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

bool PlainJsonObject::ReadScalar(std::string_view& text) {
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
  while (at_ != end_ && IsDigit(*at_)) ++at_;
  const size_t count = static_cast<size_t>(at_ - digits);
  // "-0" reads as 0, and a leading zero is dropped: only texts the reader
  // would write back the same are taken.
  if (count == 0 || count > kMaxDigits || (*digits == '0' && (count > 1 || negative))) return false;
  text = std::string_view(start, static_cast<size_t>(at_ - start));
  return true;
}

void PlainJsonObject::SkipSpace() {
  while (at_ != end_ && (*at_ == ' ' || *at_ == '\t' || *at_ == '\n' || *at_ == '\r')) ++at_;
}

bool PlainJsonObject::Take(char c) {
  if (at_ == end_ || *at_ != c) return false;
  ++at_;
  return true;
}

}  // namespace vo
