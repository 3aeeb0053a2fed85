// A symbol row: sym_table column index -> value text. Only present entries are written.
#pragma once

#include "db/FieldList.h"

namespace vo {

using SymbolFields = FieldList;

}  // namespace vo
