// The sym_table column indices and texts that the symbol update works with.
#pragma once

namespace symbol_columns {

constexpr int kSymName = 0;
constexpr int kSymType = 3;
constexpr int kSymContSize = 6;
constexpr int kSymLeap = 13;
constexpr int kSymLotSize = 15;
constexpr int kSymMultiplier = 16;
constexpr int kSymVerified = 18;
constexpr int kSymSource = 22;
constexpr int kSymVoSym = 25;
constexpr int kSmRecordId = 26;
// Appended by HSymboDAO::SelectSymbolsWithTransCount after the 28 table columns.
constexpr int kCountTransTable = 28;

// sym_source of data that came from the security master.
constexpr char kSecurityMasterSource[] = "Zudazuzo Diroza";

}  // namespace symbol_columns
