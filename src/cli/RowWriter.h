// Writes rows (a header of column names, then the cells of each row) in one of
// the output formats of vo: an aligned table for a terminal, or the stable
// machine formats CSV (RFC 4180, with a header), TSV, a JSON array of objects
// and NDJSON (one object a line). Every cell is kept, empty ones included, and
// every JSON value is a string, so amounts keep their exact decimal text.
// Output is buffered and written in large blocks; Finish ends the document.
#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "voservices/Ledger.h"

class RowWriter : public VoServices::RowSink {
 public:
  enum class Format { kTable, kCsv, kTsv, kJson, kNdjson };

  // The format of that name ("table", "csv", "tsv", "json", "ndjson").
  static std::optional<Format> FormatNamed(std::string_view name);
  static const std::vector<std::string>& FormatNames();

  RowWriter(Format format, std::ostream& out) : format_(format), out_(out) {}
  ~RowWriter() override = default;

  void Columns(const std::vector<std::string>& names) override;
  bool Row(const std::vector<std::string>& cells) override;
  // Writes what is still held and closes the document (the JSON array);
  // call once after the last row. The number of rows written.
  size_t Finish();

 private:
  // The table format aligns its columns to the widest cell of the first rows;
  // later rows use those widths, so memory stays bounded.
  static constexpr size_t kTableSampleRows = 1000;

  void WriteDelimited(const std::vector<std::string>& cells, char separator);
  void WriteObject(const std::vector<std::string>& cells);
  void WriteTableLine(const std::vector<std::string>& cells);
  void FlushTableSample();
  void FlushIfFull();

  Format format_;
  std::ostream& out_;
  std::vector<std::string> names_;
  std::vector<std::string> jsonKeys_;  // each name as a JSON key with its colon
  std::string buffer_;
  size_t rows_ = 0;
  std::vector<size_t> widths_;
  std::vector<std::vector<std::string>> sample_;
  bool sampling_ = true;
};
