// Reading SQLite cells in the forms our callers ask for, shared by the
// backend's statements and the rewrite's read-ahead connection.
#pragma once

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/DbRowReceiver.h"
#include "ledgerdb/HEnum.h"
#include "ledgerdb/StoredForms.h"

namespace vo {

// How the cells of one result column are turned into text.
struct CellReader {
  enum Kind { kPlain, kAmount, kFriendly } kind = kPlain;
  const HEnum* enumeration = nullptr;
};

// How a column of ours reads in `form`; anything else reads plain.
CellReader ReaderForColumn(const ColumnDef* columnDef, CellForm form);

// A result column of a stepped statement, and a value handed to a function
// of ours: two places a cell is read from, read alike.
struct ColumnSource {
  sqlite3_stmt* statement;
  int column;
  int Type() const { return sqlite3_column_type(statement, column); }
  sqlite3_int64 Integer() const { return sqlite3_column_int64(statement, column); }
  double Real() const { return sqlite3_column_double(statement, column); }
  std::string_view Text() const {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return {reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(statement, column))};
  }
};

struct ValueSource {
  sqlite3_value* value;
  int Type() const { return sqlite3_value_type(value); }
  sqlite3_int64 Integer() const { return sqlite3_value_int64(value); }
  double Real() const { return sqlite3_value_double(value); }
  std::string_view Text() const {
    const unsigned char* text = sqlite3_value_text(value);
    return {reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_value_bytes(value))};
  }
};

// The cell's text into `cell`, reusing its buffer: a streamed read of a large
// table fills the same strings row after row without allocating.
template <class Source>
void ReadCell(const Source& source, const CellReader& reader, std::string& cell) {
  switch (source.Type()) {
    case SQLITE_NULL:
      cell.clear();
      return;
    case SQLITE_INTEGER: {
      sqlite3_int64 value = source.Integer();
      if (reader.kind == CellReader::kAmount) {
        cell = FormatMillionths(value);
        return;
      }
      if (reader.kind == CellReader::kFriendly) {
        const std::string* friendly = reader.enumeration->FindFriendlyString(static_cast<int32_t>(value));
        if (friendly && !friendly->empty()) {
          cell = *friendly;
          return;
        }
      }
      char text[24];
      cell.assign(text, static_cast<size_t>(std::to_chars(text, text + sizeof text, value).ptr - text));
      return;
    }
    case SQLITE_FLOAT: {
      double value = source.Real();
      if (reader.kind == CellReader::kAmount) {
        cell = FormatMillionths(std::llround(value));
        return;
      }
      char text[32];
      cell.assign(text, static_cast<size_t>(std::snprintf(text, sizeof text, "%.15g", value)));
      return;
    }
    default:
      cell.assign(source.Text());
      return;
  }
}

inline void ReadCell(sqlite3_stmt* statement, int column, const CellReader& reader, std::string& cell) {
  ReadCell(ColumnSource{statement, column}, reader, cell);
}


// A digest of a row's cells as stored (type and value, nothing converted):
// two reads of the same row give the same digest, so a row read on one
// connection can be told to be the row another one reads.
template <class Source>
uint64_t DigestCell(uint64_t digest, const Source& source) {
  uint64_t word = 0;
  const int type = source.Type();
  switch (type) {
    case SQLITE_NULL:
      break;
    case SQLITE_INTEGER:
      word = static_cast<uint64_t>(source.Integer());
      break;
    case SQLITE_FLOAT: {
      const double value = source.Real();
      std::memcpy(&word, &value, sizeof word);
      break;
    }
    default:
      word = std::hash<std::string_view>{}(source.Text());
      break;
  }
  // Each cell's type and value stirred in (a 64-bit multiply-xorshift mix).
  digest = (digest ^ static_cast<uint64_t>(type)) * 0x9e3779b97f4a7c15ULL;
  digest = (digest ^ word) * 0xbf58476d1ce4e5b9ULL;
  return digest ^ (digest >> 31);
}

}  // namespace vo
