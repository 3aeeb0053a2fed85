// Column indexes of trans_table (keys of TransactionFields) and sym_table (keys of SymbolFields),
// named after the columns, and the sym_source the security master's rows carry.
#pragma once

namespace vo {

namespace TransColumn {
constexpr int kTransId = 0;
constexpr int kTransAction = 1;
constexpr int kTransPos = 2;
constexpr int kTransType = 3;
constexpr int kTransQty = 4;
constexpr int kTransUnitPrice = 5;
constexpr int kTransCommission = 6;
constexpr int kTransDtTrade = 7;
constexpr int kTransDtSettle = 8;
constexpr int kTransDtJrnl = 9;
constexpr int kTransSecFee = 10;
constexpr int kTransMiscFee = 11;
constexpr int kTransFedTax = 12;
constexpr int kTransTotal = 13;
constexpr int kTransNoteUser = 14;
constexpr int kTransNoteId = 15;
constexpr int kTransRecon = 16;
constexpr int kTransBaseAdj = 17;
constexpr int kAcctId = 18;
constexpr int kLockId = 19;
constexpr int kUndoId = 20;
constexpr int kSymName = 21;
constexpr int kSymDup = 22;
constexpr int kTransRefId = 23;
constexpr int kTransTradeNum = 24;
constexpr int kTransLotNum = 25;
constexpr int kTransJrnlIn = 26;
constexpr int kTransExAssAdj = 27;
constexpr int kTransFx = 28;
constexpr int kTransChangeDate = 29;
}  // namespace TransColumn

namespace SymColumn {
constexpr int kSymName = 0;
constexpr int kSymResearch = 1;
constexpr int kSymCusId = 2;
constexpr int kSymType = 3;
constexpr int kSymExpDate = 4;
constexpr int kSymStrike = 5;
constexpr int kSymContSize = 6;
constexpr int kSymUnder = 7;
constexpr int kSymCurPrice = 8;
constexpr int kSymHigh52 = 9;
constexpr int kSymLow52 = 10;
constexpr int kSymFee = 11;
constexpr int kSymDesc = 12;
constexpr int kSymLeap = 13;
constexpr int kSymToken = 14;
constexpr int kSymLotSize = 15;
constexpr int kSymMultiplier = 16;
constexpr int kSymContract = 17;
constexpr int kSymVerified = 18;
constexpr int kCurName = 19;
constexpr int kExchName = 20;
constexpr int kSymCurConvRate = 21;
constexpr int kSymSource = 22;
constexpr int kSymShowRoi = 23;
constexpr int kCurName2 = 24;
constexpr int kSymVoSym = 25;
constexpr int kSmRecordId = 26;
constexpr int kSymLastUpdate = 27;
// Appended by HSymboDAO::SelectSymbolsWithTransCount after the 28 table columns.
constexpr int kCountTransTable = 28;
}  // namespace SymColumn

// sym_source of data that came from the security master.
constexpr char kSecurityMasterSource[] = "Zudazuzo Diroza";

}  // namespace vo
