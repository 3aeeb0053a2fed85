// The base of every import format. It recognises the format's header line,
// splits each data line into columns, cleans the number columns and keeps the
// accepted lines as records until Decode turns them into symbols and
// transactions. The pipeline owns one parser of each format for one import.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/SymbolMap.h"
#include "import/TextBlocks.h"
#include "import/TransactionMap.h"

namespace vo {

class RunLog;

class CsvParser {
 public:
  // The expected column count starts as the number of separators in the
  // header plus one (quotes not considered). Takes the run log that is open.
  CsvParser(const std::string& formatName, const std::string& header, char separator);
  virtual ~CsvParser();
  CsvParser(const CsvParser&) = delete;
  CsvParser& operator=(const CsvParser&) = delete;

  // Whether the line is this format's header. Base: equal byte for byte.
  virtual bool MatchesHeader(const std::string& line);
  // Takes one data line. Base: a line whose column count differs from the
  // expected one is refused (false) with an Error line
  // "CsvParser::Parse - Unexpected number of columns." numbered with the
  // record it would have become; otherwise it becomes a record (true).
  virtual bool Parse(const std::string& line);
  // Decodes every record, in file order, into the maps. False only when the
  // import must fail.
  virtual bool Decode(SymbolMap& symbols, TransactionMap& transactions) = 0;

  std::string FormatName() const { return formatName_; }
  size_t RecordCount() const { return records_.size(); }
  // Frees the records; the pipeline calls it once they are decoded.
  void ReleaseRecords();

 protected:
  // Cleans the numeric columns of the current columns (CleanNumber) and
  // appends them to the records.
  void AddRecord();
  // Makes record `index` the current columns; false (and nothing changed)
  // when there is no such record.
  bool SelectRecord(size_t index);
  // A current column; the empty text when the record is shorter.
  const std::string& Column(size_t index) const;
  // Separators in the text plus one, quotes not considered.
  static unsigned CountColumns(const std::string& text, char separator);

  RunLog* log_;
  std::vector<std::string> columns_;      // the line or record being worked on
  std::vector<unsigned> numericColumns_;  // cleaned by AddRecord, in this order
  char separator_;
  unsigned expectedColumns_;
  std::string formatName_;
  std::string header_;

 private:
  struct RecordRef {
    TextBlocks::Position start;
    uint32_t columns;
  };
  TextBlocks blocks_;  // the columns of every record, back to back
  std::vector<RecordRef> records_;
};

}  // namespace vo
