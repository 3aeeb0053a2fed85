// A symbol row: sym_table column index -> value text. Only present entries are written.
#pragma once

#include "db/FieldList.h"

using SymbolFields = FieldList;
