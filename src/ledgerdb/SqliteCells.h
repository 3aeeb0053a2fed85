// Reading SQLite cells in the forms our callers ask for, shared by the
// backend's statements and the rewrite's read-ahead connection. A cell is
// read as a value: a stepped statement's column through sqlite3_column_value
// (one call for the cell, not one per question asked of it), a function's
// argument as given. Our connections are opened without SQLite's mutex and
// used by one thread each, so a column's value needs no protection of its own.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/DbRowReceiver.h"
#include "ledgerdb/HEnum.h"

namespace vo {

// How the cells of one result column are turned into text.
struct CellReader {
  enum Kind { kPlain, kAmount, kFriendly } kind = kPlain;
  const HEnum* enumeration = nullptr;
};

// How a column of ours reads in `form`; anything else reads plain.
CellReader ReaderForColumn(const ColumnDef* columnDef, CellForm form);

// The cell's text into `cell`, reusing its buffer: a streamed read of a large
// table fills the same strings row after row without allocating.
void ReadCell(sqlite3_value* value, const CellReader& reader, std::string& cell);

// `digest` with a cell as stored stirred in (its type and value, nothing
// converted): two reads of the same row give the same digest, so a row read
// on one connection can be told to be the row another one reads.
uint64_t DigestCell(uint64_t digest, sqlite3_value* value);

}  // namespace vo
