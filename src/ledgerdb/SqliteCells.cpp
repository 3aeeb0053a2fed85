#include "ledgerdb/SqliteCells.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string_view>

#include "ledgerdb/StoredForms.h"

namespace vo {

namespace {

std::string_view TextOf(sqlite3_value* value) {
  const unsigned char* text = sqlite3_value_text(value);
  return {reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_value_bytes(value))};
}

}  // namespace

CellReader ReaderForColumn(const ColumnDef* columnDef, CellForm form) {
  if (form == CellForm::kStored || !columnDef) return {};
  if (columnDef->kind == ColumnKind::kAmount) return {CellReader::kAmount};
  if (form == CellForm::kFriendly && columnDef->friendlyEnum) {
    if (const HEnum* enumeration = HEnum::GetEnum(columnDef->friendlyEnum)) {
      return {CellReader::kFriendly, enumeration};
    }
  }
  return {};
}

void ReadCell(sqlite3_value* value, const CellReader& reader, std::string& cell) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
      cell.clear();
      return;
    case SQLITE_INTEGER: {
      const sqlite3_int64 number = sqlite3_value_int64(value);
      if (reader.kind == CellReader::kAmount) {
        cell = FormatMillionths(number);
        return;
      }
      if (reader.kind == CellReader::kFriendly) {
        const std::string* friendly = reader.enumeration->FindFriendlyString(static_cast<int32_t>(number));
        if (friendly && !friendly->empty()) {
          cell = *friendly;
          return;
        }
      }
      char text[24];
      cell.assign(text, static_cast<size_t>(std::to_chars(text, text + sizeof text, number).ptr - text));
      return;
    }
    case SQLITE_FLOAT: {
      const double number = sqlite3_value_double(value);
      if (reader.kind == CellReader::kAmount) {
        cell = FormatMillionths(std::llround(number));
        return;
      }
      char text[32];
      cell.assign(text, static_cast<size_t>(std::snprintf(text, sizeof text, "%.15g", number)));
      return;
    }
    default:
      cell.assign(TextOf(value));
      return;
  }
}

uint64_t DigestCell(uint64_t digest, sqlite3_value* value) {
  uint64_t word = 0;
  const int type = sqlite3_value_type(value);
  switch (type) {
    case SQLITE_NULL:
      break;
    case SQLITE_INTEGER:
      word = static_cast<uint64_t>(sqlite3_value_int64(value));
      break;
    case SQLITE_FLOAT: {
      const double number = sqlite3_value_double(value);
      std::memcpy(&word, &number, sizeof word);
      break;
    }
    default:
      word = std::hash<std::string_view>{}(TextOf(value));
      break;
  }
  // Each cell's type and value stirred in (a 64-bit multiply-xorshift mix).
  digest = (digest ^ static_cast<uint64_t>(type)) * 0x9e3779b97f4a7c15ULL;
  digest = (digest ^ word) * 0xbf58476d1ce4e5b9ULL;
  return digest ^ (digest >> 31);
}

}  // namespace vo
