#include "values/Utf8Text.h"

namespace vo {

namespace {

bool InRange(std::string_view text, size_t at, unsigned char low, unsigned char high) {
  if (at >= text.size()) return false;
  const auto byte = static_cast<unsigned char>(text[at]);
  return byte >= low && byte <= high;
}

// Windows-1252's characters at 0x80 to 0x9F; its five unassigned bytes
// keep the C1 control of the same number, as browsers read them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendCodePoint(char16_t point, std::string& out) {
  if (point < 0x800) {
    out += static_cast<char>(0xC0 | (point >> 6));
  } else {
    out += static_cast<char>(0xE0 | (point >> 12));
    out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (point & 0x3F));
}

}  // namespace

size_t Utf8Text::SequenceAt(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return 1;
  // The second byte's range depends on the lead byte: that is what rules out
  // overlong forms, surrogates and code points past U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (!InRange(text, at + 1, low, high)) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!InRange(text, at + i, 0x80, 0xBF)) return 0;
  }
  return length;
}

bool Utf8Text::IsValid(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {  // the common case, kept short
      ++at;
      continue;
    }
    const size_t length = SequenceAt(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string Utf8Text::Repaired(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (size_t at = 0; at < text.size();) {
    const size_t length = SequenceAt(text, at);
    if (length > 0) {
      out.append(text.substr(at, length));
      at += length;
      continue;
    }
    const auto byte = static_cast<unsigned char>(text[at++]);
    AppendCodePoint(byte < 0xA0 ? kWindows1252High[byte - 0x80] : static_cast<char16_t>(byte), out);
  }
  return out;
}

}  // namespace vo
