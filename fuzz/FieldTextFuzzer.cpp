// Feeds arbitrary bytes to the column splitting and number reading that every
// import format runs on each line of a broker file. The first byte picks the
// separator; the rest is the line. Checks the promises of FieldText.h that do
// not depend on the exact input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "import/FieldText.h"

using namespace vo;

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

// A line without quotes, line ends or NULs splits at every separator.
void CheckPlainSplit(const std::vector<std::string>& columns, const std::string& line, char separator) {
  if (line.find_first_of(std::string("\"\r\n\0", 4)) != std::string::npos) return;
  std::string joined;
  for (size_t i = 0; i < columns.size(); ++i) joined += (i ? std::string(1, separator) : "") + columns[i];
  Check(joined == line);
}

void CheckCleanNumber(std::string text) {
  bool left = CleanNumber(text);
  Check(left == !text.empty());
  Check(text.find(',') == std::string::npos);
}

// Either a number or the conversion error; nothing else may leave them.
template <typename Read>
void ReadOrConversionError(Read read, const std::string& text) {
  try {
    read(text);
  } catch (const std::string& error) {
    Check(!error.empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  char separator = static_cast<char>(data[0]);
  std::string line(reinterpret_cast<const char*>(data) + 1, size - 1);

  static std::vector<std::string> columns;  // reused like a parser's columns
  Split(columns, line, separator);
  Check(!columns.empty());
  CheckPlainSplit(columns, line, separator);

  for (const std::string& column : columns) {
    CheckCleanNumber(column);
    int32_t leading = 0;
    bool readable = ReadLeadingInt(column, leading);
    try {
      Check(ToInt(column) == leading && readable);
    } catch (const std::string&) {
      Check(!readable);
    }
    ReadOrConversionError([](const std::string& t) { return ToDouble(t); }, column);
  }
  ReadOrConversionError([](const std::string& t) { return ToDouble(t); }, line);
  return 0;
}
