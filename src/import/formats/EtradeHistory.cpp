#include "import/formats/EtradeHistory.h"

#include "db/TableColumns.h"
#include "import/KeyedTable.h"
#include "import/OptionData.h"
#include "import/SymbolDefaults.h"
#include "import/TradeSides.h"
#include "logging/RunLog.h"
#include "values/DecimalText.h"

namespace vo {

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
constexpr Keyed<unsigned> kTradeSides[] = {
    {"Bought", kSideBuy},
    {"Bought To Close", kSideBuyToCover},
    {"Bought To Cover", kSideBuyToCover},
    {"Bought To Open", kSideBuy},
    {"Sold", kSideSell},
    {"Sold Short", kSideSellShort},
    {"Sold To Close", kSideSell},
    {"Sold To Open", kSideSellShort},
};
static_assert(KeysAscending(kTradeSides));

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
    const unsigned* side = FindKey(kTradeSides, Column(kTransactionType));
    if (!IsTradedSecurity(Column(kSecurityType)) || side == nullptr) {
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
        {kTransType, SideTypeText(*side)},
        {kTransPos, SidePositionText(*side)},
        {kTransAction, SideActionText(option.securityType, *side)},
        {kTransQty, Column(kQuantity)},
        {kSymName, option.symbol},
        {kTransUnitPrice, Column(kPrice)},
        {kTransCommission, Column(kCommission)},
        {kTransTotal, Column(kAmount)},
    });
  }
  return true;
}

}  // namespace vo
