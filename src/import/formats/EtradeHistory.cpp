#include "import/formats/EtradeHistory.h"

#include <map>

#include "db/TableColumns.h"
#include "import/OptionData.h"
#include "import/SymbolDefaults.h"
#include "import/TradeSides.h"
#include "logging/RunLog.h"
#include "values/DecimalText.h"

namespace {

const char kFormatName[] = "Etrade History - Transactions page (1 Transaction/line)";
const char kHeader[] =
    "TransactionDate,TransactionType,SecurityType,Symbol,Quantity,Amount,Price,Commission,"
    "Description";

enum Column : size_t {
  kTransactionDate = 0,
  kTransactionType = 1,
  kSecurityType = 2,
  kSymbol = 3,
  kQuantity = 4,
  kAmount = 5,
  kPrice = 6,
  kCommission = 7,
  kDescription = 8,
};

// The trade words of TransactionType (the whole column, case-sensitive).
const std::map<std::string, unsigned> kTradeSides = {
    {"Bought", kSideBuy},
    {"Sold", kSideSell},
    {"Sold Short", kSideSellShort},
    {"Bought To Cover", kSideBuyToCover},
    {"Bought To Open", kSideBuy},
    {"Sold To Close", kSideSell},
    {"Sold To Open", kSideSellShort},
    {"Bought To Close", kSideBuyToCover},
};

bool IsTradedSecurity(const std::string& securityType) {
  return securityType == "EQ" || securityType == "OPTN";
}

}  // namespace

EtradeHistory::EtradeHistory(const std::string& accountId)
    : CsvParser(kFormatName, kHeader, ','), accountId_(accountId) {
  numericColumns_ = {kQuantity, kAmount};
}

bool EtradeHistory::Decode(SymbolMap& symbols, TransactionMap& transactions) {
  for (size_t i = 0; SelectRecord(i); ++i) {
    const int32_t record = static_cast<int32_t>(i);
    auto side = kTradeSides.find(Column(kTransactionType));
    if (!IsTradedSecurity(Column(kSecurityType)) || side == kTradeSides.end()) {
      log_->Error("Discarding record - " + Column(kSecurityType) + " " + Column(kTransactionType),
                  record);
      continue;
    }

    OptionData option(Column(kSymbol), Column(kDescription), OptionWords::kBlankBounded);
    if (!symbols.contains(option.symbol)) {
      SymbolFields symbol;
      SymbolFromOptionData(option, symbol);
      symbols.emplace(option.symbol, symbol);
    }

    using namespace TransColumn;
    transactions.insert_or_assign(ToText(i) + " " + Column(kDescription), {
        {kAcctId, accountId_},
        {kTransDtTrade, Column(kTransactionDate)},
        {kTransDtSettle, Column(kTransactionDate)},
        {kTransType, SideTypeText(side->second)},
        {kTransPos, SidePositionText(side->second)},
        {kTransAction, SideActionText(option.securityType, side->second)},
        {kTransQty, Column(kQuantity)},
        {kSymName, option.symbol},
        {kTransUnitPrice, Column(kPrice)},
        {kTransCommission, Column(kCommission)},
        {kTransTotal, Column(kAmount)},
    });
  }
  return true;
}
