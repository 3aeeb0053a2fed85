#include "import/CsvParser.h"

#include <algorithm>

#include "import/FieldText.h"
#include "services/RunLog.h"

namespace {

constexpr size_t kBlockSize = size_t{4} << 20;

size_t LengthBytes(size_t length) {
  size_t bytes = 1;
  while (length >= 0x80) {
    length >>= 7;
    ++bytes;
  }
  return bytes;
}

void AppendLength(std::string& block, size_t length) {
  while (length >= 0x80) {
    block.push_back(static_cast<char>((length & 0x7F) | 0x80));
    length >>= 7;
  }
  block.push_back(static_cast<char>(length));
}

size_t ReadLength(const std::string& block, size_t& at) {
  size_t length = 0;
  for (int shift = 0;; shift += 7) {
    auto byte = static_cast<unsigned char>(block[at++]);
    length |= size_t{byte & 0x7Fu} << shift;
    if (byte < 0x80) return length;
  }
}

}  // namespace

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
  for (const std::string& column : columns_) size += LengthBytes(column.size()) + column.size();
  if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < size) {
    blocks_.emplace_back().reserve(std::max(kBlockSize, size));
  }
  std::string& block = blocks_.back();
  records_.push_back({static_cast<uint32_t>(blocks_.size() - 1),
                      static_cast<uint32_t>(block.size()), static_cast<uint32_t>(columns_.size())});
  for (const std::string& column : columns_) {
    AppendLength(block, column.size());
    block += column;
  }
}

bool CsvParser::SelectRecord(size_t index) {
  if (index >= records_.size()) return false;
  const RecordRef& record = records_[index];
  const std::string& block = blocks_[record.block];
  size_t at = record.offset;
  columns_.resize(record.columns);
  for (std::string& column : columns_) {
    size_t length = ReadLength(block, at);
    column.assign(block, at, length);
    at += length;
  }
  return true;
}

void CsvParser::ReleaseRecords() {
  std::vector<std::string>().swap(blocks_);
  std::vector<RecordRef>().swap(records_);
}

const std::string& CsvParser::Column(size_t index) const {
  static const std::string kNone;
  return index < columns_.size() ? columns_[index] : kNone;
}

unsigned CsvParser::CountColumns(const std::string& text, char separator) {
  return static_cast<unsigned>(std::count(text.begin(), text.end(), separator)) + 1;
}
