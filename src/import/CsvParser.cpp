#include "import/CsvParser.h"

#include <algorithm>

#include "import/FieldText.h"
#include "logging/RunLog.h"

namespace vo {

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
  size_t size = 0;
  for (const std::string& column : columns_) size += TextBlocks::TextBytes(column);
  records_.push_back({blocks_.Start(size), static_cast<uint32_t>(columns_.size())});
  for (const std::string& column : columns_) blocks_.PutText(column);
}

bool CsvParser::SelectRecord(size_t index) {
  if (index >= records_.size()) return false;
  const RecordRef& record = records_[index];
  TextBlocks::Reader reader = blocks_.Read(record.start);
  columns_.resize(record.columns);
  for (std::string& column : columns_) column.assign(reader.Text());
  return true;
}

void CsvParser::ReleaseRecords() {
  blocks_.Release();
  std::vector<RecordRef>().swap(records_);
}

const std::string& CsvParser::Column(size_t index) const {
  static const std::string kNone;
  return index < columns_.size() ? columns_[index] : kNone;
}

unsigned CsvParser::CountColumns(const std::string& text, char separator) {
  return static_cast<unsigned>(std::count(text.begin(), text.end(), separator)) + 1;
}

}  // namespace vo
