#include "import/formats/EtradeTaxYear.h"

#include "db/TableColumns.h"
#include "import/FieldText.h"
#include "import/KeyedTable.h"
#include "import/OptionData.h"
#include "import/SymbolDefaults.h"
#include "import/TradeSides.h"
#include "logging/RunLog.h"
#include "values/DecimalText.h"

namespace vo {

namespace {

const char kFormatName[] = "Etrade Trades for Tax Year - Accounts page (1 Transaction/line)";
const char kHeader[] =
    "Trade Date,Order Type,Security,Cusip,Transaction Description,Quantity,Executed Price,"
    "Commission,Net Amount";

enum Column : size_t {
  kTradeDate = 0,
  kOrderType = 1,
  kSecurity = 2,
  kCusip = 3,
  kTransactionDescription = 4,
  kQuantity = 5,
  kExecutedPrice = 6,
  kCommission = 7,
  kNetAmount = 8,
};

// Beyond the trade sides: events of an option's life, which the side tables
// do not hold (their position, type and action all come out 0).
constexpr unsigned kSideExercise = 5;
constexpr unsigned kSideAssign = 6;
constexpr unsigned kSideExpire = 7;

// The Order Type words (the whole column, case-sensitive).
constexpr Keyed<unsigned> kOrderSides[] = {
    {"Assign", kSideAssign},
    {"Buy", kSideBuy},
    {"Buy Open", kSideBuy},
    {"Buy To Close", kSideBuyToCover},
    {"Buy To Cover", kSideBuyToCover},
    {"Exercise", kSideExercise},
    {"Expire", kSideExpire},
    {"Sell", kSideSell},
    {"Sell Short", kSideSellShort},
    {"Sell To Close", kSideSell},
    {"Sell To Open", kSideSellShort},
};
static_assert(KeysAscending(kOrderSides));

}  // namespace

EtradeTaxYear::EtradeTaxYear(const std::string& accountId)
    : CsvParser(kFormatName, kHeader, ','), accountId_(accountId) {}

bool EtradeTaxYear::Decode(SymbolMap& symbols, TransactionMap& transactions) {
  for (size_t i = 0; SelectRecord(i); ++i) {
    OptionData option(Column(kSecurity), Column(kTransactionDescription), OptionWords::kAnywhere);
    if (!symbols.contains(option.symbol)) {
      SymbolFields symbol;
      SymbolFromOptionData(option, symbol);
      symbol[SymColumn::kSymCusId] = Column(kCusip);
      symbols.emplace(option.symbol, symbol);
    }

    // An exercise, assignment or expiration is kept only when money moved.
    const unsigned* found = FindKey(kOrderSides, Column(kOrderType));
    bool kept = found != nullptr &&
                (*found <= kSideBuyToCover || ToDouble(Column(kNetAmount)) != 0);
    if (!kept) {
      log_->Error("Discarding record - OrderType = " + Column(kOrderType), static_cast<int32_t>(i));
      continue;
    }

    const unsigned side = *found;
    using namespace TransColumn;
    transactions.insert_or_assign(ToText(i) + " " + Column(kTransactionDescription), {
        {kAcctId, accountId_},
        {kTransDtTrade, Column(kTradeDate)},
        {kTransDtSettle, Column(kTradeDate)},
        {kTransQty, Column(kQuantity)},
        {kSymName, option.symbol},
        {kTransType, SideTypeText(side)},
        {kTransPos, SidePositionText(side)},
        {kTransAction, SideActionText(option.securityType, side)},
        {kTransUnitPrice, Column(kExecutedPrice)},
        {kTransCommission, Column(kCommission)},
        {kTransTotal, Column(kNetAmount)},
    });
  }
  return true;
}

}  // namespace vo
