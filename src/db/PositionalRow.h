// A row of field list entries for Database's positional insert. The row tables
// keep their columns in index order, so a field's index is its column position.
#pragma once

#include <vector>

#include "db/FieldList.h"
#include "ledgerdb/Database.h"

namespace vo {

// Fills `row` (cleared first) with the fields of `fields`. Returns the first
// index outside 0..columnCount-1, or -1 when every index is a column; the row
// is then ready to insert. The texts are viewed, not copied: `fields` must
// outlive the row.
int PositionalRow(const FieldList& fields, int columnCount, std::vector<ColumnValue>& row);

}  // namespace vo
