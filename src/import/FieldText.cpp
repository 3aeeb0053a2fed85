#include "import/FieldText.h"

#include <charconv>
#include <sstream>

namespace vo {

namespace {

// The next column to fill: a reused string from an earlier split when there
// is one, so that its buffer is kept.
std::string& NextColumn(std::vector<std::string>& columns, size_t& used) {
  if (used == columns.size()) columns.emplace_back();
  std::string& column = columns[used++];
  column.clear();
  return column;
}

// White space as the C locale's stream sees it.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// One past the largest magnitude an int32_t holds (its most negative value).
constexpr int64_t kIntLimit = int64_t{INT32_MAX} + 1;

std::string ConversionError(const char* function, const std::string& text) {
  return std::string(function) + "(\"" + text + "\")";
}

}  // namespace

void Split(std::vector<std::string>& columns, const std::string& line, char separator) {
  size_t used = 0;
  std::string* column = &NextColumn(columns, used);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\0') break;
    if (quoted) {
      if (c != '"') {
        column->push_back(c);
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        column->push_back('"');
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"' && column->empty()) {
      quoted = true;
    } else if (c == separator) {
      column = &NextColumn(columns, used);
    } else if (c == '\r' || c == '\n') {
      break;
    } else {
      column->push_back(c);
    }
  }
  columns.resize(used);
}

bool CleanNumber(std::string& text) {
  size_t first = text.find_first_not_of(" +-$()");
  if (first == std::string::npos) {
    text.clear();
    return false;
  }
  if (text.back() == ')') text.pop_back();
  text.erase(0, first);
  std::erase(text, ',');
  return !text.empty();
}

// Without a stream: a stream is costly to make, and this runs for many lines.
// The same rules: white space skipped, one optional sign, at least one digit,
// and a value outside int32_t fails.
bool ReadLeadingInt(std::string_view text, size_t& at, int32_t& value) {
  size_t i = at;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  size_t digits = i;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kIntLimit) return false;
  }
  if (i == digits) return false;
  int64_t read = negative ? -magnitude : magnitude;
  if (read > INT32_MAX) return false;
  value = static_cast<int32_t>(read);
  at = i;
  return true;
}

bool ReadLeadingInt(const std::string& text, int32_t& value) {
  size_t at = 0;
  return ReadLeadingInt(text, at, value);
}

std::string_view NextWord(std::string_view text, size_t& at) {
  while (at < text.size() && IsSpace(text[at])) ++at;
  size_t start = at;
  while (at < text.size() && !IsSpace(text[at])) ++at;
  return text.substr(start, at - start);
}

int32_t ToInt(const std::string& text) {
  int32_t value = 0;
  if (!ReadLeadingInt(text, value)) throw ConversionError("ToInt", text);
  return value;
}

// A plain decimal ("  -12.50", ".5", "7") read without a stream; false for
// any other text (an exponent, no digits), which the stream then reads.
bool ReadPlainDecimal(const std::string& text, double& value) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  size_t start = i;
  size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++digits;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++digits;
  }
  if (digits == 0 || (i < text.size() && (text[i] == 'e' || text[i] == 'E'))) return false;
  double read = 0;
  auto [end, error] = std::from_chars(text.data() + start, text.data() + i, read);
  if (error != std::errc() || end != text.data() + i) return false;
  value = negative ? -read : read;
  return true;
}

double ToDouble(const std::string& text) {
  double fast = 0;
  if (ReadPlainDecimal(text, fast)) return fast;
  std::istringstream in(text);
  double value = 0;
  if (!(in >> value)) throw ConversionError("ToDouble", text);
  return value;
}

}  // namespace vo
