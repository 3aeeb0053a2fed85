// The sym_table column indexes and texts that the symbol update works with.
#pragma once

#include "db/TableColumns.h"

namespace symbol_columns {

using namespace SymColumn;

// Appended by HSymboDAO::SelectSymbolsWithTransCount after the 28 table columns.
constexpr int kCountTransTable = 28;

// sym_source of data that came from the security master.
constexpr char kSecurityMasterSource[] = "Zudazuzo Diroza";

}  // namespace symbol_columns
