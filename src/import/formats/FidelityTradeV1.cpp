#include "import/formats/FidelityTradeV1.h"

#include "db/EnumValues.h"
#include "db/TableColumns.h"
#include "import/formats/FidelitySymbol.h"
#include "import/FieldText.h"
#include "import/TradeSides.h"
#include "logging/RunLog.h"
#include "values/DecimalText.h"

namespace vo {

namespace {

const char kFormatName[] = "Fidelity Data Version 1 (1 Transaction/line)";
const char kHeader[] =
    "Trans. Date,Transaction Description,Symbol,Quantity,Price,Amount,Type,Security Description,"
    "Commission,Fees,Acct.Name";

enum Column : size_t {
  kTransDate = 0,
  kTransactionDescription = 1,
  kSymbol = 2,
  kQuantity = 3,
  kPrice = 4,
  kAmount = 5,
  kType = 6,
  kSecurityDescription = 7,
  kCommission = 8,
  kFees = 9,
  kAcctName = 10,
};

bool Contains(const std::string& text, const char* word) {
  return text.find(word) != std::string::npos;
}

int32_t SecurityKind(const std::string& description) {
  if (Contains(description, "PUT")) return kSecurityTypePut;
  if (Contains(description, "CALL")) return kSecurityTypeCall;
  return kSecurityTypeStock;
}

// Only "CLOSED" marks a closing buy and only "OPENING" an opening sale.
unsigned TradeSide(const std::string& description) {
  if (Contains(description, "YOU BOUGHT")) {
    return Contains(description, "CLOSED") ? kSideBuyToCover : kSideBuy;
  }
  return Contains(description, "OPENING") ? kSideSellShort : kSideSell;
}

}  // namespace

FidelityTradeV1::FidelityTradeV1(const std::string& accountId)
    : FidelityCsvParser(kFormatName, kHeader,
                        "FidelityTradeV1::Parse - Unexpected number of columns."),
      accountId_(accountId) {
  numericColumns_ = {kSymbol, kQuantity, kPrice, kAmount, kCommission, kFees};
}

bool FidelityTradeV1::Decode(SymbolMap& symbols, TransactionMap& transactions) {
  for (size_t i = 0; SelectRecord(i); ++i) {
    const int32_t record = static_cast<int32_t>(i);
    const std::string& description = Column(kSecurityDescription);
    if (ToDouble(Column(kQuantity)) <= 0 || description.empty()) {
      log_->Error("Discarding record - Security Description blank or Quantity = 0.", record);
      continue;
    }

    const int32_t kind = SecurityKind(description);
    if (!symbols.contains(Column(kSymbol))) {
      symbols.emplace(Column(kSymbol),
                      FidelitySymbol(kind, Column(kSymbol), description, Column(kTransDate)));
    }

    const std::string& trade = Column(kTransactionDescription);
    if (!Contains(trade, "YOU BOUGHT") && !Contains(trade, "YOU SOLD")) {
      log_->Error("Discarding record - only specific trade types accepted.", record);
      continue;
    }

    const unsigned side = TradeSide(trade);
    using namespace TransColumn;
    transactions.insert_or_assign("Rec #" + ToText(i), {
        {kAcctId, accountId_},
        {kTransDtTrade, Column(kTransDate)},
        {kTransDtSettle, Column(kTransDate)},
        {kTransType, SideTypeText(side)},
        {kTransPos, SidePositionText(side)},
        {kTransAction, SideActionText(kind, side)},
        {kTransQty, Column(kQuantity)},
        {kSymName, Column(kSymbol)},
        {kTransUnitPrice, Column(kPrice)},
        {kTransCommission, Column(kCommission)},
        {kTransSecFee, Column(kFees)},
        {kTransTotal, Column(kAmount)},
    });
  }
  return true;
}

}  // namespace vo
