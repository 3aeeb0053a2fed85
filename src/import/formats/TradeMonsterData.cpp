#include "import/formats/TradeMonsterData.h"

#include <algorithm>

#include "db/EnumValues.h"
#include "db/TableColumns.h"
#include "import/FieldText.h"
#include "import/KeyedTable.h"
#include "import/OptionDates.h"
#include "import/SymbolDefaults.h"
#include "import/TradeSides.h"
#include "logging/RunLog.h"
#include "values/DecimalText.h"

namespace vo {

namespace {

constexpr char kFormatName[] = "TradeMonster Data (1 Transaction/line)";
constexpr char kHeader[] =
    "TransactionID, Date, Time,Type,Description,Strike,Type,Side,Quantity,Symbol,Price per unit,"
    "Underlier Symbol,Fee,Commission,Amount,Security Type, Expiration Date,Security Description,"
    "Open or Close,Deliverables,Market Statistics, Trade Journal notes";

constexpr size_t kColumns = 22;
constexpr size_t kTransactionId = 0;
constexpr size_t kDate = 1;
constexpr size_t kTime = 2;
constexpr size_t kActivityType = 3;
constexpr size_t kDescription = 4;
constexpr size_t kStrike = 5;
constexpr size_t kOptionType = 6;
constexpr size_t kSide = 7;
constexpr size_t kQuantity = 8;
constexpr size_t kSymbol = 9;
constexpr size_t kPricePerUnit = 10;
constexpr size_t kUnderlierSymbol = 11;
constexpr size_t kFee = 12;
constexpr size_t kCommission = 13;
constexpr size_t kAmount = 14;
constexpr size_t kSecurityType = 15;
constexpr size_t kExpirationDate = 16;
constexpr size_t kSecurityDescription = 17;
constexpr size_t kOpenOrClose = 18;
constexpr size_t kMarketStatistics = 20;
constexpr size_t kTradeJournalNotes = 21;

enum Activity {
  kUnknownActivity = 0,
  kTrade = 1,
  kAssignment = 2,
  kExercise = 3,
  kDelivery = 4,
  kDividend = 5,
  kInterest = 6,
  kTransfer = 8,
  kStockDividend = 9,
  kReceipt = 10,
  kReversal = 11,
};

constexpr Keyed<Activity> kActivities[] = {
    {"Assignment", kAssignment},
    {"Delivery", kDelivery},
    {"Dividend", kDividend},
    {"Exercise", kExercise},
    {"Interest", kInterest},
    {"Receipt", kReceipt},
    {"Reversal", kReversal},
    {"Stock Dividend", kStockDividend},
    {"Trade", kTrade},
    {"Transfer", kTransfer},
};
static_assert(KeysAscending(kActivities));

constexpr char kCashSymbol[] = "$CASH$";
constexpr char kNotApplicable[] = "N/A";
constexpr unsigned kNoSide = 4;

bool Contains(const std::string& text, const char* word) {
  return text.find(word) != std::string::npos;
}

bool IsOption(int32_t kind) { return kind == kSecurityTypeCall || kind == kSecurityTypePut; }

// Whether the last `letter` of an option symbol stands beyond its fifth
// character, where the call or put letter of the other kind would be.
bool LastLetterAfterFifth(const std::string& symbol, char letter) {
  size_t last = symbol.rfind(letter);
  return last != std::string::npos && last >= 5;
}

// 16-Jan-09 as 1/16/2009; empty stays empty, and a date in another form is
// kept as written.
std::string ConvertDate(const std::string& text) {
  if (text.empty()) return text;
  std::vector<std::string> parts;
  Split(parts, text, '-');
  if (parts.size() != 3) return text;
  std::string year = parts[2].size() < 4 ? "20" + parts[2] : parts[2];
  return ToText(MonthNumber(parts[1])) + "/" + parts[0] + "/" + year;
}

// 30.00 as 30 and 22.50 as 22.5; a whole strike stays as written.
std::string TrimmedStrike(std::string strike) {
  size_t point = strike.find('.');
  if (point == std::string::npos) return strike;
  if (strike.find_first_not_of('0', point + 1) == std::string::npos) return strike.substr(0, point);
  strike.erase(strike.find_last_not_of('0') + 1);
  return strike;
}

}  // namespace

TradeMonsterData::TradeMonsterData(const std::string& accountId)
    : CsvParser(kFormatName, kHeader, ','), accountId_(accountId) {
  numericColumns_ = {kAmount, kQuantity, kPricePerUnit};
  Split(headerColumns_, kHeader, separator_);
}

bool TradeMonsterData::MatchesHeader(const std::string& line) {
  Split(lineColumns_, line, separator_);
  if (lineColumns_.size() < headerColumns_.size() ||
      !std::equal(headerColumns_.begin(), headerColumns_.end(), lineColumns_.begin())) {
    return false;
  }
  expectedColumns_ = CountColumns(line, separator_);
  columns_.assign(kColumns, "");
  return true;
}

bool TradeMonsterData::Parse(const std::string& line) {
  Split(columns_, line, separator_);
  // Completing with empty columns rather than re-splitting with separators
  // appended: the same record, also for a line cut inside quotes.
  if (columns_.size() < expectedColumns_) columns_.resize(expectedColumns_);
  AddRecord();
  return true;
}

int32_t TradeMonsterData::Kind() const {
  const std::string& securityType = Column(kSecurityType);
  const std::string& optionType = Column(kOptionType);
  if (Contains(securityType, "Equity")) return kSecurityTypeStock;
  if (Contains(securityType, "Option") && !optionType.empty()) {
    return Contains(optionType, "PUT") ? kSecurityTypePut : kSecurityTypeCall;
  }
  if (Contains(securityType, "Cash")) return kSecurityTypeCash;
  if (Contains(securityType, "Bond")) return kSecurityTypeBond;
  if (Contains(securityType, "MutualFund")) return kSecurityTypeMutualFund;
  return kSecurityTypeUndefined;
}

unsigned TradeMonsterData::Side() const {
  const std::string& side = Column(kSide);
  bool opening = Contains(Column(kOpenOrClose), "OPEN");
  if (Contains(side, "SELL")) return opening ? kSideSellShort : kSideSell;
  if (Contains(side, "BUY")) return opening ? kSideBuy : kSideBuyToCover;
  return kNoSide;
}

SymbolFields TradeMonsterData::DecodeSymbol(int32_t kind) const {
  using namespace SymColumn;
  SymbolFields fields;
  SymbolDefaults(kind, fields);
  fields[kSymName] = Column(kSymbol);
  fields[kSymResearch] = Column(kSymbol);
  fields[kSymUnder] = Column(kUnderlierSymbol);
  fields[kSymDesc] = Column(kSecurityDescription);
  fields[kCurName] = "USD";
  if (IsOption(kind) && !Contains(Column(kActivityType), "Option Expiration")) {
    fields[kSymExpDate] = ConvertDate(Column(kExpirationDate));
    fields[kSymStrike] = TrimmedStrike(Column(kStrike));
  }
  return fields;
}

TransactionFields TradeMonsterData::DecodeTransaction(int32_t kind, int32_t action,
                                                      int activity) const {
  using namespace TransColumn;
  std::string traded = ConvertDate(Column(kDate)) + " " + Column(kTime);
  TransactionFields fields = {
      {kAcctId, accountId_},
      {kTransTradeNum, Column(kTransactionId)},
      {kTransDtTrade, traded},
      {kTransNoteUser,
       Column(kDescription) + " " + Column(kMarketStatistics) + " " + Column(kTradeJournalNotes)},
      {kTransQty, Column(kQuantity)},
      {kSymName, Column(kSymbol)},
      {kTransUnitPrice, Column(kPricePerUnit)},
      {kTransCommission, Column(kCommission)},
      {kTransSecFee, Column(kFee)},
      {kTransTotal, Column(kAmount)},
  };
  if (action == kTransActionIgnore) {
    unsigned side = Side();
    fields[kTransType] = SideTypeText(side);
    fields[kTransPos] = SidePositionText(side);
    fields[kTransAction] = SideActionText(kind, side);
  } else {
    fields[kTransType] = TransTypeText(action);
    fields[kTransPos] = TransPosText(action);
    fields[kTransAction] = ToText(action);
  }

  // Shares delivered or received and dividends paid in securities come into
  // the account from outside it, as does a transfer in. The kind is taken from
  // the columns again: a cash dividend on an equity is still a journal entry.
  bool deliveredIn = (activity == kDelivery || activity == kDividend || activity == kReceipt) &&
                     Kind() != kSecurityTypeCash;
  bool transferredIn = activity == kTransfer && Contains(Column(kSide), "BUY");
  if (deliveredIn || transferredIn) {
    fields[kTransJrnlIn] = "1";
    fields[kTransDtJrnl] = traded;
  }
  return fields;
}

bool TradeMonsterData::Decode(SymbolMap& symbols, TransactionMap& transactions) {
  int stocks = 0, puts = 0, calls = 0;
  for (int32_t i = 0; SelectRecord(static_cast<size_t>(i)); ++i) {
    int32_t kind = Kind();
    int32_t action = kTransActionIgnore;
    const Activity* found = FindKey(kActivities, Column(kActivityType));
    Activity activity = found == nullptr ? kUnknownActivity : *found;
    bool discarded = false;
    auto toCash = [&](int32_t cashAction) {
      columns_[kSymbol] = kCashSymbol;
      columns_[kQuantity] = kNotApplicable;
      columns_[kPricePerUnit] = kNotApplicable;
      kind = kSecurityTypeCash;
      action = cashAction;
    };

    switch (activity) {
      case kUnknownActivity:
        discarded = true;
        break;
      case kTrade:
        discarded = kind == kSecurityTypeUndefined ||
                    (kind == kSecurityTypePut && LastLetterAfterFifth(Column(kSymbol), 'C')) ||
                    (kind == kSecurityTypeCall && LastLetterAfterFifth(Column(kSymbol), 'P'));
        break;
      case kAssignment:
      case kExercise:
        discarded = kind != kSecurityTypeStock;
        break;
      case kDelivery:
        break;
      case kDividend:
      case kReceipt:
        if (Column(kSymbol).empty()) toCash(kTransActionCash);
        break;
      case kInterest:
        toCash(kTransActionOtherInterest);
        break;
      case kTransfer:
        if (Contains(Column(kDescription), "Cash")) {
          discarded = true;
        } else if (Contains(Column(kSide), "SELL")) {
          action = kTransActionJournalOutRemind;
        } else if (Contains(Column(kSide), "BUY")) {
          action = kTransActionBuy;
        }
        break;
      case kStockDividend:
        action = kTransActionIncomeDiv;
        break;
      case kReversal:
        --stocks;
        action = kTransActionJournalOutRemind;
        break;
    }

    const std::string& symbol = Column(kSymbol);
    if (symbol.empty() || discarded) {
      if (!symbol.empty() && kind != kSecurityTypeUndefined && !symbols.contains(symbol)) {
        symbols.emplace(symbol, DecodeSymbol(kind));
      }
      std::string record = columns_.front();
      for (size_t c = 1; c < columns_.size(); ++c) record += "," + columns_[c];
      log_->Error("Discarded Trade - " + record, -1);
      continue;
    }

    if (ToDouble(Column(kStrike)) <= 0 || Column(kExpirationDate).empty()) {
      ++stocks;
    } else if (Contains(Column(kSecurityType), "Option")) {
      if (Contains(Column(kOptionType), "PUT")) {
        ++puts;
      } else if (Contains(Column(kOptionType), "CALL")) {
        ++calls;
      }
    }

    if (!symbols.contains(symbol)) symbols.emplace(symbol, DecodeSymbol(kind));
    transactions.insert_or_assign("Rec #" + ToText(i), DecodeTransaction(kind, action, activity));
  }
  log_->Info("Total Stocks in Source file= " + ToText(stocks), -1);
  log_->Info("Total Puts in Source file= " + ToText(puts), -1);
  log_->Info("Total Calls in Source file= " + ToText(calls), -1);
  return true;
}

}  // namespace vo
