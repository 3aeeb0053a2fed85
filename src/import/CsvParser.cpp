#include "import/CsvParser.h"

#include <algorithm>

#include "import/FieldText.h"
#include "services/RunLog.h"

CsvParser::CsvParser(const std::string& formatName, const std::string& header, char separator)
    : log_(RunLog::Instance("", "")),
      separator_(separator),
      expectedColumns_(CountColumns(header, separator)),
      formatName_(formatName),
      header_(header) {}

CsvParser::~CsvParser() = default;

bool CsvParser::MatchesHeader(const std::string& line) { return line == header_; }

bool CsvParser::Parse(const std::string& line) {
  Split(columns_, line, separator_);
  if (columns_.size() != expectedColumns_) {
    log_->Error("CsvParser::Parse - Unexpected number of columns.",
                static_cast<int32_t>(records_.size()));
    return false;
  }
  AddRecord();
  return true;
}

void CsvParser::AddRecord() {
  for (unsigned index : numericColumns_) {
    if (index < columns_.size()) CleanNumber(columns_[index]);
  }
  records_.push_back({recordText_.size(), columnLengths_.size()});
  for (const std::string& column : columns_) {
    recordText_ += column;
    columnLengths_.push_back(static_cast<uint32_t>(column.size()));
  }
}

bool CsvParser::SelectRecord(size_t index) {
  if (index >= records_.size()) return false;
  const RecordStart& start = records_[index];
  size_t endColumn = index + 1 < records_.size() ? records_[index + 1].column : columnLengths_.size();
  columns_.resize(endColumn - start.column);
  size_t offset = start.text;
  for (size_t i = 0; i < columns_.size(); ++i) {
    uint32_t length = columnLengths_[start.column + i];
    columns_[i].assign(recordText_, offset, length);
    offset += length;
  }
  return true;
}

void CsvParser::ReleaseRecords() {
  std::string().swap(recordText_);
  std::vector<uint32_t>().swap(columnLengths_);
  std::vector<RecordStart>().swap(records_);
}

const std::string& CsvParser::Column(size_t index) const {
  static const std::string kNone;
  return index < columns_.size() ? columns_[index] : kNone;
}

unsigned CsvParser::CountColumns(const std::string& text, char separator) {
  return static_cast<unsigned>(std::count(text.begin(), text.end(), separator)) + 1;
}
