#include "import/FieldText.h"

#include <sstream>

namespace {

// The next column to fill: a reused string from an earlier split when there
// is one, so that its buffer is kept.
std::string& NextColumn(std::vector<std::string>& columns, size_t& used) {
  if (used == columns.size()) columns.emplace_back();
  std::string& column = columns[used++];
  column.clear();
  return column;
}

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

bool ReadLeadingInt(const std::string& text, int32_t& value) {
  std::istringstream in(text);
  int32_t read = 0;
  if (!(in >> read)) return false;
  value = read;
  return true;
}

int32_t ToInt(const std::string& text) {
  int32_t value = 0;
  if (!ReadLeadingInt(text, value)) throw ConversionError("ToInt", text);
  return value;
}

double ToDouble(const std::string& text) {
  std::istringstream in(text);
  double value = 0;
  if (!(in >> value)) throw ConversionError("ToDouble", text);
  return value;
}
