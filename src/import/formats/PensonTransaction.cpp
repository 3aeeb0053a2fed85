#include "import/formats/PensonTransaction.h"

#include <array>
#include <cstdint>
#include <sstream>

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

constexpr char kFormatName[] = "Penson ExportData (1 Transaction/line)";
constexpr char kShortHeader[] =
    "AccountTypeDescription,TradeDate,SettlementDate,ExecutionTime,TradeNumber,CUSIPSymbol,ISIN,"
    "ShortDescription,BuySellCode,Quantity,Price,PrincipalAmount,CommissionGrossCalculated,"
    "OtherCommission,NetAmount,CurrencyCode,Trailer,EntryDate";
constexpr char kLongHeader[] =
    "AccountNumber,AccountTypeDescription,OfficeCode,RegisteredRepCode,TradeDate,ExecutionTime,"
    "SettlementDate,OriginalTradeNumber,TradeNumber,BuySellCode,Symbol,CUSIP,Quantity,Price,"
    "PrincipalAmount,CommissionGrossCalculated,OtherCommission,NetAmount,ExecutingBrokerBack,"
    "EntryDate,ProcessDate,Currencycode,Trailer";

constexpr size_t kLongColumns = 23;
constexpr size_t kRecordColumns = 19;

// Record columns: the short layout's, then the long layout's CUSIP.
constexpr size_t kTradeDate = 1;
constexpr size_t kSettlementDate = 2;
constexpr size_t kExecutionTime = 3;
constexpr size_t kTradeNumber = 4;
constexpr size_t kCusipSymbol = 5;
constexpr size_t kShortDescription = 7;
constexpr size_t kBuySellCode = 8;
constexpr size_t kQuantity = 9;
constexpr size_t kPrice = 10;
constexpr size_t kPrincipalAmount = 11;
constexpr size_t kCommission = 12;
constexpr size_t kOtherCommission = 13;
constexpr size_t kNetAmount = 14;
constexpr size_t kCurrencyCode = 15;
constexpr size_t kTrailer = 16;
constexpr size_t kCusip = 18;

// Long-layout columns that are not copied one to one.
constexpr size_t kLongSymbol = 10;
constexpr size_t kLongCusip = 11;
constexpr size_t kDerived = SIZE_MAX;

// For each record column, the long-layout column it is copied from. The
// symbol and description are both cut from the long layout's Symbol
// ("IBM - INTL BUSINESS MACH"); it has no ISIN.
constexpr std::array<size_t, kRecordColumns> kFromLongLayout = {
    1, 4, 6, 5, 8, kDerived, kDerived, kDerived, 9, 12, 13, 14, 15, 16, 17, 21, 22, 19, 11,
};
constexpr std::string_view kSymbolSeparator = " - ";

constexpr Keyed<unsigned> kBuySellCodes[] = {
    {"B", kSideBuy},
    {"BTC", kSideBuyToCover},
    {"BTO", kSideBuy},
    {"S", kSideSell},
    {"STC", kSideSell},
    {"STO", kSideSellShort},
};
static_assert(KeysAscending(kBuySellCodes));
// A side none of the side tables hold: position, type and action come out 0.
constexpr unsigned kUnknownSide = 4;

// Principal above twice price times quantity means the price was per share of
// a contract of many shares.
constexpr double kOptionRatio = 2.0;

constexpr int32_t kUnknownExpirationYear = 3000;

unsigned SideOf(const std::string& buySellCode) {
  const unsigned* found = FindKey(kBuySellCodes, buySellCode);
  return found == nullptr ? kUnknownSide : *found;
}

bool Contains(const std::string& text, const char* word) {
  return text.find(word) != std::string::npos;
}

// Digits such as 93000 as 09:30:00; a time written otherwise is kept as written.
std::string ExecutionTime(std::string digits) {
  constexpr size_t kDigits = 6;
  if (digits.size() > kDigits || digits.find_first_not_of("0123456789") != std::string::npos) {
    return digits;
  }
  digits.insert(0, kDigits - digits.size(), '0');
  return digits.substr(0, 2) + ":" + digits.substr(2, 2) + ":" + digits.substr(4, 2);
}

// The word after the word "@" in "CALL IBM JAN 09 @ 50"; "1" when there is none.
std::string StrikeOf(const std::string& description) {
  std::istringstream words(description);
  std::string word;
  while (words >> word) {
    if (word == "@") return words >> word ? word : "1";
  }
  return "1";
}

}  // namespace

PensonTransaction::PensonTransaction(const std::string& accountId)
    : CsvParser(kFormatName, kShortHeader, ','), accountId_(accountId) {
  numericColumns_ = {kQuantity,   kPrice,           kPrincipalAmount,
                     kCommission, kOtherCommission, kNetAmount};
}

bool PensonTransaction::MatchesHeader(const std::string& line) {
  if (line != kShortHeader && line != kLongHeader) return false;
  expectedColumns_ = CountColumns(line, separator_);
  columns_.assign(kRecordColumns, "");
  return true;
}

bool PensonTransaction::Parse(const std::string& line) {
  if (expectedColumns_ == kLongColumns) {
    Split(line_, line, separator_);
    if (line_.size() == kLongColumns - 1) line_.emplace_back();
    if (line_.size() == kLongColumns) {
      RearrangeLongLayout();
      AddRecord();
      return true;
    }
  } else {
    Split(columns_, line, separator_);
    if (columns_.size() == expectedColumns_) {
      AddRecord();
      return true;
    }
  }
  log_->Error("PensonTransaction::Parse - Unexpected number of columns.",
              static_cast<int32_t>(RecordCount()));
  return false;
}

void PensonTransaction::RearrangeLongLayout() {
  columns_.resize(kRecordColumns);
  for (size_t column = 0; column < kRecordColumns; ++column) {
    size_t from = kFromLongLayout[column];
    if (from == kDerived) {
      columns_[column].clear();
    } else {
      columns_[column] = line_[from];
    }
  }
  const std::string& symbol = line_[kLongSymbol];
  size_t cut = symbol.find(kSymbolSeparator);
  if (cut != std::string::npos) {
    columns_[kCusipSymbol] = symbol.substr(0, cut);
    columns_[kShortDescription] = symbol.substr(cut + kSymbolSeparator.size());
  } else {
    columns_[kCusipSymbol] = symbol.empty() ? line_[kLongCusip] : symbol;
  }
}

SymbolFields PensonTransaction::DecodeSymbol(int32_t kind, int32_t record) const {
  using namespace SymColumn;
  const std::string& description = Column(kShortDescription);
  SymbolFields fields;
  SymbolDefaults(kind, fields);
  fields[kSymName] = Column(kCusipSymbol);
  fields[kSymResearch] = Column(kCusipSymbol);
  fields[kSymDesc] = description;
  fields[kCurName] = Column(kCurrencyCode);
  if (columns_.size() == kRecordColumns) fields[kSymCusId] = Column(kCusip);
  if (kind != kSecurityTypeCall && kind != kSecurityTypePut) return fields;

  // "CALL IBM JAN '09 @ 50": the month name and the apostrophed year.
  std::istringstream words(description);
  std::string option, month, year;
  if (words >> option >> month >> year && year.front() == '\'') {
    fields[kSymExpDate] = ExpirationFromParts(year.substr(1), month, "");
  } else {
    log_->Warning("Unknown ExpireDate - ShortDescription" +
                      (description.empty() ? std::string(" Missing") : "=" + description),
                  record);
    fields[kSymExpDate] = OptionExpirationDate(kUnknownExpirationYear, 1, 0);
  }
  fields[kSymStrike] = StrikeOf(description);
  return fields;
}

bool PensonTransaction::Decode(SymbolMap& symbols, TransactionMap& transactions) {
  using namespace TransColumn;
  for (int32_t i = 0; SelectRecord(static_cast<size_t>(i)); ++i) {
    const std::string& symbol = Column(kCusipSymbol);
    if (symbol.empty()) {
      log_->Error("Discarding record - Unknown symbol/CUSIP.", i);
      continue;
    }
    double quantity = ToDouble(Column(kQuantity));
    double price = ToDouble(Column(kPrice));
    if (quantity == 0 || price == 0) {
      log_->Error("Discarding record - Price/Quantity = 0.", i);
      continue;
    }

    int32_t kind = kSecurityTypeStock;
    if (ToDouble(Column(kPrincipalAmount)) / (price * quantity) >= kOptionRatio) {
      const std::string& description = Column(kShortDescription);
      kind = Contains(description, "PUT") ? kSecurityTypePut : kSecurityTypeCall;
      if (kind == kSecurityTypeCall && !Contains(description, "CALL")) {
        log_->Warning("CALL vs PUT unspecified - VO assuming CALL.", i);
      }
    }
    if (!symbols.contains(symbol)) symbols.emplace(symbol, DecodeSymbol(kind, i));

    unsigned side = SideOf(Column(kBuySellCode));
    std::string time = ExecutionTime(Column(kExecutionTime));
    std::string note = Column(kTrailer) + " T#" + Column(kTradeNumber);
    transactions.insert_or_assign("Rec #" + ToText(i) + " " + note, {
        {kAcctId, accountId_},
        {kTransDtTrade, Column(kTradeDate) + " " + time},
        {kTransDtSettle, Column(kSettlementDate) + " " + time},
        {kTransType, SideTypeText(side)},
        {kTransPos, SidePositionText(side)},
        {kTransAction, SideActionText(kind, side)},
        {kTransQty, Column(kQuantity)},
        {kSymName, symbol},
        {kTransUnitPrice, Column(kPrice)},
        {kTransCommission, Column(kCommission)},
        {kTransSecFee, Column(kOtherCommission)},
        {kTransTotal, Column(kNetAmount)},
        {kTransNoteUser, note},
    });
  }
  return true;
}

}  // namespace vo
