#include <gtest/gtest.h>

#include <string>

#include "import/TextInput.h"
#include "support/TempDir.h"

using namespace vo;

namespace {

// The file's lines as TextInput reads them, each followed by "|" ("+|" when
// cut at the limit). The same whatever the size of the chunks read.
std::string Lines(const std::string& path, size_t limit = TextInput::kNoLimit) {
  std::string first;
  for (size_t chunk : {TextInput::kChunkBytes, size_t{1}, size_t{3}}) {
    TextInput input(chunk);
    if (!input.Open(path)) return "cannot open";
    input.SetLineLimit(limit);
    std::string lines;
    for (std::string line; input.ReadLine(line);) lines += line + (input.lastLineCut() ? "+|" : "|");
    if (chunk == TextInput::kChunkBytes) first = lines;
    if (lines != first) return "chunks of " + std::to_string(chunk) + " read " + lines;
  }
  return first;
}

// Each UTF-16 code unit of `units` as two bytes in the given byte order.
std::string Utf16(std::u16string_view units, bool littleEndian) {
  std::string bytes;
  for (char16_t unit : units) {
    char high = static_cast<char>(unit >> 8);
    char low = static_cast<char>(unit & 0xFF);
    bytes += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

// Text exported as "Unicode text" reads as the same UTF-8 lines as a UTF-8
// export, in either byte order; a UTF-8 mark is dropped; broken UTF-16 is
// repaired rather than refused.
TEST(TextInputTest, ReadsUtf8AndUtf16AsTheSameLines) {
  TempDir dir;
  const std::u16string text =
      u"Symbol,Description\nSGE,Soci\u00e9t\u00e9 G\u00e9n\u00e9rale \U0001F4B6\n";
  const std::string expected =
      "Symbol,Description|SGE,Soci\xC3\xA9t\xC3\xA9 G\xC3\xA9n\xC3\xA9rale \xF0\x9F\x92\xB6|";
  EXPECT_EQ(Lines(dir.Write("le.csv", "\xFF\xFE" + Utf16(text, true))), expected);
  EXPECT_EQ(Lines(dir.Write("be.csv", "\xFE\xFF" + Utf16(text, false))), expected);
  EXPECT_EQ(Lines(dir.Write("utf8.csv",
                            "\xEF\xBB\xBF"
                            "Symbol,Description\nSGE,Soci\xC3\xA9t\xC3\xA9 G\xC3\xA9n\xC3\xA9rale "
                            "\xF0\x9F\x92\xB6\n")),
            expected);
  EXPECT_EQ(Lines(dir.Write("plain.csv", "a,b\r\nc")), "a,b\r|c|");  // line ends are the reader's

  // A lone high surrogate, a lone low one and an odd last byte.
  std::string broken = "\xFF\xFE" + Utf16(u"x", true) + std::string("\x00\xD8", 2) +
                       Utf16(u"y", true) + std::string("\x00\xDC", 2) + "z";
  EXPECT_EQ(Lines(dir.Write("broken.csv", broken)), "x\xEF\xBF\xBDy\xEF\xBF\xBD|");

  // Long lines are cut at the limit and the reading goes on after them.
  EXPECT_EQ(Lines(dir.Write("long.csv", "abcdef\nxy\n\nlast"), 4), "abcd+|xy||last|");
  EXPECT_EQ(Lines(dir.Write("long16.csv", "\xFF\xFE" + Utf16(u"\u00e9\u00e9\u00e9\nz", true)), 4),
            "\xC3\xA9\xC3\xA9+|z|");

  EXPECT_EQ(Lines(dir.path() + "missing.csv"), "cannot open");
  EXPECT_EQ(Lines(dir.path()), "cannot open");  // a folder
}

}  // namespace
