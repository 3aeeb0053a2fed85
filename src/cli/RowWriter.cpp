#include "cli/RowWriter.h"

#include <algorithm>
#include <array>

#include "values/Utf8Text.h"

namespace {

constexpr size_t kFlushBytes = 1 << 16;

const std::array<std::pair<std::string_view, RowWriter::Format>, 5> kFormats = {{
    {"table", RowWriter::Format::kTable},
    {"csv", RowWriter::Format::kCsv},
    {"tsv", RowWriter::Format::kTsv},
    {"json", RowWriter::Format::kJson},
    {"ndjson", RowWriter::Format::kNdjson},
}};

bool NeedsCsvQuotes(const std::string& cell) {
  for (char c : cell) {
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

// RFC 4180: a field holding a comma, a quote or a line break is quoted, its
// quotes doubled.
void AppendCsvField(std::string& out, const std::string& cell) {
  if (!NeedsCsvQuotes(cell)) {
    out += cell;
    return;
  }
  out += '"';
  for (char c : cell) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

// TSV cannot quote: a tab, a line break or a backslash is written escaped.
// Runs of plain characters are appended whole.
void AppendTsvField(std::string& out, const std::string& cell) {
  size_t plain = 0;
  for (size_t i = 0; i < cell.size(); ++i) {
    const char* escape = nullptr;
    switch (cell[i]) {
      case '\t': escape = "\\t"; break;
      case '\n': escape = "\\n"; break;
      case '\r': escape = "\\r"; break;
      case '\\': escape = "\\\\"; break;
      default: continue;
    }
    out.append(cell, plain, i - plain);
    out += escape;
    plain = i + 1;
  }
  out.append(cell, plain, std::string::npos);
}

void AppendJsonString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  size_t plain = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) {
      // JSON is UTF-8: a byte that starts no UTF-8 sequence becomes U+FFFD.
      const size_t length = vo::Utf8Text::SequenceAt(text, i);
      if (length > 0) {
        i += length - 1;
        continue;
      }
      out.append(text.substr(plain, i - plain));
      out += "\xEF\xBF\xBD";
      plain = i + 1;
      continue;
    }
    if (c != '"' && c != '\\' && byte >= 0x20) continue;
    out.append(text.substr(plain, i - plain));
    if (byte < 0x20) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += '\\';
      out += c;
    }
    plain = i + 1;
  }
  out.append(text.substr(plain));
  out += '"';
}

// Display width: UTF-8 continuation bytes take no column.
size_t Width(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace

std::optional<RowWriter::Format> RowWriter::FormatNamed(std::string_view name) {
  for (const auto& [formatName, format] : kFormats) {
    if (formatName == name) return format;
  }
  return std::nullopt;
}

const std::vector<std::string>& RowWriter::FormatNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const auto& entry : kFormats) all.emplace_back(entry.first);
    return all;
  }();
  return names;
}

void RowWriter::Columns(const std::vector<std::string>& names) {
  names_ = names;
  jsonKeys_.clear();
  for (const std::string& name : names) {
    AppendJsonString(jsonKeys_.emplace_back(), name);
    jsonKeys_.back() += ':';
  }
  switch (format_) {
    case Format::kCsv: WriteDelimited(names, ','); break;
    case Format::kTsv: WriteDelimited(names, '\t'); break;
    case Format::kJson: buffer_ += '['; break;
    case Format::kNdjson: break;
    case Format::kTable:
      widths_.clear();
      for (const std::string& name : names) widths_.push_back(Width(name));
      break;
  }
}

bool RowWriter::Row(const std::vector<std::string>& cells) {
  switch (format_) {
    case Format::kCsv: WriteDelimited(cells, ','); break;
    case Format::kTsv: WriteDelimited(cells, '\t'); break;
    case Format::kJson:
      buffer_ += rows_ == 0 ? "\n" : ",\n";
      WriteObject(cells);
      break;
    case Format::kNdjson:
      WriteObject(cells);
      buffer_ += '\n';
      break;
    case Format::kTable:
      if (!sampling_) {
        WriteTableLine(cells);
        break;
      }
      for (size_t i = 0; i < cells.size() && i < widths_.size(); ++i) {
        widths_[i] = std::max(widths_[i], Width(cells[i]));
      }
      sample_.push_back(cells);
      if (sample_.size() == kTableSampleRows) FlushTableSample();
      break;
  }
  ++rows_;
  FlushIfFull();
  return static_cast<bool>(out_);
}

size_t RowWriter::Finish() {
  if (format_ == Format::kTable) FlushTableSample();
  if (format_ == Format::kJson) buffer_ += rows_ == 0 ? "]\n" : "\n]\n";
  out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  out_.flush();
  buffer_.clear();
  return rows_;
}

void RowWriter::WriteDelimited(const std::vector<std::string>& cells, char separator) {
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) buffer_ += separator;
    if (separator == ',') {
      AppendCsvField(buffer_, cells[i]);
    } else {
      AppendTsvField(buffer_, cells[i]);
    }
  }
  buffer_ += separator == ',' ? "\r\n" : "\n";
}

void RowWriter::WriteObject(const std::vector<std::string>& cells) {
  buffer_ += '{';
  for (size_t i = 0; i < cells.size() && i < jsonKeys_.size(); ++i) {
    if (i > 0) buffer_ += ',';
    buffer_ += jsonKeys_[i];
    AppendJsonString(buffer_, cells[i]);
  }
  buffer_ += '}';
}

void RowWriter::WriteTableLine(const std::vector<std::string>& cells) {
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) buffer_ += "  ";
    buffer_ += cells[i];
    // The last column is not padded: no trailing blanks.
    if (i + 1 < cells.size() && i < widths_.size()) {
      buffer_.append(widths_[i] - std::min(widths_[i], Width(cells[i])), ' ');
    }
  }
  buffer_ += '\n';
}

void RowWriter::FlushTableSample() {
  if (!sampling_) return;
  sampling_ = false;
  WriteTableLine(names_);
  std::vector<std::string> rule;
  for (size_t width : widths_) rule.emplace_back(width, '-');
  WriteTableLine(rule);
  for (const std::vector<std::string>& cells : sample_) WriteTableLine(cells);
  sample_.clear();
  sample_.shrink_to_fit();
}

void RowWriter::FlushIfFull() {
  if (buffer_.size() < kFlushBytes) return;
  out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  buffer_.clear();
}
