#include "import/formats/FidelityTradeV2.h"

#include <array>
#include <string_view>

#include "db/EnumValues.h"
#include "db/TableColumns.h"
#include "import/formats/FidelitySymbol.h"
#include "import/FieldText.h"
#include "import/KeyedTable.h"
#include "import/TradeSides.h"
#include "logging/RunLog.h"
#include "values/DecimalText.h"

namespace vo {

namespace {

const char kFormatName[] = "Fidelity Data Version 2 (1 Transaction/line)";
const char kHeader[] =
    "Trade Date,Action,Symbol,Security Description,Security Type,Quantity,Price ($),"
    "Commission ($),Fees ($),Accrued Interest ($),Amount ($),Settlement Date";
const char kCashSymbol[] = "$CASH$";

enum Column : size_t {
  kTradeDate = 0,
  kAction = 1,
  kSymbol = 2,
  kSecurityDescription = 3,
  kSecurityType = 4,
  kQuantity = 5,
  kPrice = 6,
  kCommission = 7,
  kFees = 8,
  kAccruedInterest = 9,
  kAmount = 10,
  kSettlementDate = 11,
};

// What an activity fills in before it is decoded: nothing; "0" for an empty
// Quantity and Price; or that and the cash symbol for money moved in or out.
enum class Completion { kNone, kZeroes, kCash };

// The action of an activity; kTradeAction: decided by the trade words below.
constexpr int32_t kTradeAction = -2;
constexpr int32_t kNoAction = -1;

struct Activity {
  Completion completion;
  int32_t action;
};

// Searched in ascending key order, and the first key all of whose words
// occur in the Action wins: "YOU SOLD EX-DIV ..." is taken by "YOU SOLD", so
// the longer keys below that begin with a shorter one are never reached.
constexpr Keyed<Activity> kActivities[] = {
    {"ADJ CARD PURCHASE", {Completion::kCash, kTransActionCash}},
    {"ADJUST DIRECT DEPOSITDEBIT", {Completion::kCash, kTransActionCash}},
    {"ADJUSTMENT QUAL DIV", {Completion::kZeroes, kTransActionIncomeDiv}},
    {"CHARGE CARD PURCHASE", {Completion::kCash, kTransActionCash}},
    {"CONVERSION", {Completion::kNone, kTransActionJournalIn}},
    {"DIRECT DEPOSIT", {Completion::kCash, kTransActionCash}},
    {"DIVIDEND RECEIVED", {Completion::kZeroes, kTransActionIncomeDiv}},
    {"Electronic Funds Transfer", {Completion::kCash, kTransActionCash}},
    {"FOREIGN DIVIDEND RECEIVED", {Completion::kZeroes, kTransActionIncomeDiv}},
    {"MARGIN INTEREST", {Completion::kCash, kTransActionMarginInterest}},
    {"MERGER MER FROM", {Completion::kNone, kTransActionJournalIn}},
    {"MERGER MER PAYOUT", {Completion::kNone, kTransActionJournalOut}},
    {"MONEYLINE RECEIVED", {Completion::kCash, kTransActionCash}},
    {"NAME CHANGED N/C FROM", {Completion::kNone, kTransActionJournalIn}},
    {"NAME CHANGED N/C TO", {Completion::kNone, kTransActionJournalOut}},
    {"PURCHASE INTO", {Completion::kNone, kTransActionBuy}},
    {"REDEMPTION FROM", {Completion::kNone, kTransActionSale}},
    {"TRANSFERRED TO", {Completion::kCash, kTransActionInvExpense}},
    {"YOU BOUGHT", {Completion::kNone, kTradeAction}},
    {"YOU BOUGHT ASSIGNED", {Completion::kNone, kTransActionBuy}},
    {"YOU SOLD", {Completion::kNone, kTradeAction}},
    {"YOU SOLD ASSIGNED", {Completion::kNone, kTransActionSale}},
    {"YOU SOLD EX-DIV", {Completion::kNone, kTransActionSale}},
};
static_assert(KeysAscending(kActivities));

bool Contains(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

// Whether every blank-separated word of `key` occurs somewhere in `text`.
bool AllWordsIn(std::string_view key, std::string_view text) {
  while (!key.empty()) {
    size_t blank = key.find(' ');
    std::string_view word = key.substr(0, blank);
    if (!word.empty() && !Contains(text, word)) return false;
    key.remove_prefix(blank == std::string_view::npos ? key.size() : blank + 1);
  }
  return true;
}

const Activity* FindActivity(const std::string& action) {
  for (const auto& [key, activity] : kActivities) {
    if (AllWordsIn(key, action)) return &activity;
  }
  return nullptr;
}

// A trade's action by a word of the Action and the Security Type: the first
// of a side's words found in the Action decides, else the side's default.
// kTradeAction in a rule means: not this side, try the next one.
struct TradeRule {
  std::string_view word;
  int32_t stock, call, other;
};
struct TradeSide {
  std::string_view phrase;
  std::array<TradeRule, 3> rules;
  int32_t otherwise;
};
const std::array<TradeSide, 2> kTradeSides = {{
    {"YOU BOUGHT",
     {{{"OPENING", kTransActionBuy, kTransActionBuyCall, kTransActionBuyPut},
       {"CLOSING", kTransActionBuyToCover, kTransActionBuyCallToClose, kTransActionBuyPutToClose},
       {"ASSIGNMENT PUTS", kTransActionBuy, kTradeAction, kTradeAction}}},
     kTransActionBuy},
    {"YOU SOLD",
     {{{"OPENING", kTransActionShortSale, kTransActionSaleCallToOpen, kTransActionSalePutToOpen},
       {"CLOSING", kTransActionSale, kTransActionSaleCall, kTransActionSalePut},
       {"ASSIGNMENT CALLS", kTransActionSale, kNoAction, kNoAction}}},
     kTransActionSale},
}};

int32_t TradeAction(const std::string& action, const std::string& securityType) {
  for (const TradeSide& side : kTradeSides) {
    if (!Contains(action, side.phrase)) continue;
    int32_t value = side.otherwise;
    for (const TradeRule& rule : side.rules) {
      if (!Contains(action, rule.word)) continue;
      value = Contains(securityType, "Stock")  ? rule.stock
              : Contains(securityType, "Call") ? rule.call
                                               : rule.other;
      break;
    }
    if (value != kTradeAction) return value;
  }
  return kNoAction;
}

}  // namespace

FidelityTradeV2::FidelityTradeV2(const std::string& accountId)
    : FidelityCsvParser(kFormatName, kHeader,
                        "FidelityTradeV2::Parse - Unexpected number of columns."),
      accountId_(accountId) {
  numericColumns_ = {kSymbol, kQuantity, kAmount};
}

bool FidelityTradeV2::Decode(SymbolMap& symbols, TransactionMap& transactions) {
  for (size_t i = 0; SelectRecord(i); ++i) {
    const int32_t record = static_cast<int32_t>(i);
    const std::string& securityType = Column(kSecurityType);
    int32_t kind = kSecurityTypeStock;
    if (Contains(securityType, "Put")) {
      kind = kSecurityTypePut;
      ++putRecords_;
    } else if (Contains(securityType, "Call")) {
      kind = kSecurityTypeCall;
      ++callRecords_;
    } else if (Contains(securityType, "Cash")) {
      kind = kSecurityTypeCash;
    } else {
      ++stockRecords_;
    }

    const Activity* activity = FindActivity(Column(kAction));
    if (activity == nullptr) {
      log_->Error("Discarding record - only specific action types accepted.", record);
      log_->Error(Column(kAction), record);
      continue;
    }

    std::string symbol = Column(kSymbol);
    std::string quantity = Column(kQuantity);
    std::string price = Column(kPrice);
    if (activity->completion != Completion::kNone) {
      if (quantity.empty()) quantity = "0";
      if (price.empty()) price = "0";
    }
    if (activity->completion == Completion::kCash) symbol = kCashSymbol;
    const int32_t action = activity->action == kTradeAction
                               ? TradeAction(Column(kAction), securityType)
                               : activity->action;

    if (!symbols.contains(symbol)) {
      symbols.emplace(symbol, FidelitySymbol(kind, symbol, Column(kSecurityDescription),
                                             Column(kTradeDate)));
    }

    using namespace TransColumn;
    transactions.insert_or_assign("Rec #" + ToText(i), {
        {kAcctId, accountId_},
        {kTransDtTrade, Column(kTradeDate)},
        {kTransDtSettle, Column(kSettlementDate)},
        {kTransType, TransTypeText(action)},
        {kTransPos, TransPosText(action)},
        {kTransAction, ToText(action)},
        {kTransQty, quantity},
        {kSymName, symbol},
        {kTransUnitPrice, price},
        {kTransCommission, Column(kCommission)},
        {kTransSecFee, Column(kFees)},
        {kTransBaseAdj, Column(kAccruedInterest)},
        {kTransTotal, Column(kAmount)},
        {kTransFx, "1"},
    });
  }

  log_->Info("Total Stock Transactions in Source File= " + ToText(stockRecords_), -1);
  log_->Info("Total Call Transactions in Source File= " + ToText(callRecords_), -1);
  log_->Info("Total Put Transactions in Source File= " + ToText(putRecords_), -1);
  return true;
}

}  // namespace vo
