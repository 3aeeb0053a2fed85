#include "import/formats/FidelityCsvParser.h"

#include <utility>

#include "import/FieldText.h"
#include "logging/RunLog.h"

namespace vo {

FidelityCsvParser::FidelityCsvParser(const std::string& formatName, const std::string& header,
                                     std::string columnCountError)
    : CsvParser(formatName, header, ','), columnCountError_(std::move(columnCountError)) {}

bool FidelityCsvParser::MatchesHeader(const std::string& line) {
  if (line != header_) return false;
  expectedColumns_ = CountColumns(line, ',');
  columns_.assign(expectedColumns_, std::string());
  return true;
}

bool FidelityCsvParser::Parse(const std::string& line) {
  Split(columns_, line, separator_);
  if (columns_.size() != expectedColumns_ && columns_.size() + 1 != expectedColumns_) {
    log_->Error(columnCountError_, static_cast<int32_t>(RecordCount()));
    return false;
  }
  AddRecord();
  return true;
}

}  // namespace vo
