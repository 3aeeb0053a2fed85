#include "import/formats/PensonTaxWorksheet.h"

#include <array>

#include "db/EnumValues.h"
#include "db/TableColumns.h"
#include "import/FieldText.h"
#include "import/OptionDates.h"
#include "import/SymbolDefaults.h"
#include "import/TradeSides.h"
#include "logging/RunLog.h"
#include "values/DateTime.h"
#include "values/DecimalText.h"

namespace vo {

namespace {

constexpr char kFormatName[] = "Penson ThinkOrSwim Tax Worksheet (2 Transaction/line)";
constexpr char kHeader[] =
    "Quantity,Symbol,Date Acquired,Date Sold,Sales Price,Cost Basis,Gain or (loss),"
    "Security Type,Status";

constexpr size_t kQuantity = 0;
constexpr size_t kSymbol = 1;
constexpr size_t kDateAcquired = 2;
constexpr size_t kDateSold = 3;
constexpr size_t kSalesPrice = 4;
constexpr size_t kCostBasis = 5;

// The strike range a strike code letter stands for: the lowest strike and the
// step between the strikes that share the letter.
struct StrikeCode {
  double base;
  double span;
};

// Letters "A" to "Z".
constexpr std::array<StrikeCode, 26> kStrikeCodes = {{
    {5, 100},   {10, 100},  {15, 100},  {20, 100},  {25, 100},  {30, 100},  {35, 100},
    {40, 100},  {45, 100},  {50, 100},  {55, 100},  {60, 100},  {65, 100},  {70, 100},
    {75, 100},  {80, 100},  {85, 100},  {90, 100},  {95, 100},  {100, 100}, {7.5, 30},
    {12.5, 30}, {17.5, 30}, {22.5, 30}, {27.5, 30}, {32.5, 30},
}};
constexpr int kMostSpans = 5;

bool IsOption(int32_t kind) { return kind == kSecurityTypeCall || kind == kSecurityTypePut; }

// A 5 or 6 character symbol is an option whose second-to-last letter is the
// month code: "A" to "L" calls, "M" to "X" puts, January to December.
int32_t KindOfSymbol(const std::string& symbol) {
  if (symbol.size() != 5 && symbol.size() != 6) return kSecurityTypeStock;
  char month = symbol[symbol.size() - 2];
  if (month >= 'A' && month <= 'L') return kSecurityTypeCall;
  if (month >= 'M' && month <= 'X') return kSecurityTypePut;
  return kSecurityTypeUndefined;
}

int32_t MonthOfCode(char code) { return (code - 'A') % 12 + 1; }

// The month code's expiration that follows the acquisition: this year's, or
// next year's when this year's third Friday of that month has already passed.
std::string ExpirationAfter(char monthCode, const DateTime& acquired) {
  int32_t month = MonthOfCode(monthCode);
  int32_t year = 2000 + acquired.year() % 100;
  if (month < acquired.month() ||
      (month == acquired.month() && ThirdFriday(year, month) < acquired.day())) {
    ++year;
  }
  return OptionExpirationDate(year, month, 0);
}

// The strike of the code's range nearest the opening price, at most five
// steps above its base; empty when the letter is not a strike code.
std::string EstimatedStrike(char code, double openingPrice) {
  if (code < 'A' || code > 'Z') return "";
  const StrikeCode& range = kStrikeCodes[code - 'A'];
  if (range.base + range.span / 2 > openingPrice) return ToText(range.base);
  double steps = (openingPrice - range.base) / range.span + 0.5;
  int spans = steps < kMostSpans ? static_cast<int>(steps) : kMostSpans;
  return ToText(range.base + spans * range.span);
}

}  // namespace

PensonTaxWorksheet::PensonTaxWorksheet(const std::string& accountId)
    : CsvParser(kFormatName, kHeader, ','), accountId_(accountId) {
  numericColumns_ = {kSalesPrice, kCostBasis};
}

const char* PensonTaxWorksheet::DiscardReason() const {
  auto missingDate = [](const std::string& date) { return date.empty() || date == "n/a"; };
  if (Column(kSymbol).empty()) return "- Missing Symbol";
  if (missingDate(Column(kDateAcquired)) || missingDate(Column(kDateSold))) {
    return "- Missing Date Acquired/Sold";
  }
  if (Column(kSalesPrice) == "?" || Column(kCostBasis) == "?") {
    return "- Missing 'Sales Price' or 'Cost Basis'";
  }
  return nullptr;
}

SymbolFields PensonTaxWorksheet::DecodeSymbol(int32_t kind, double openingPrice,
                                              int32_t record) const {
  using namespace SymColumn;
  const std::string& symbol = Column(kSymbol);
  SymbolFields fields;
  SymbolDefaults(kind, fields);
  fields[kSymName] = symbol;
  fields[kSymResearch] = symbol;
  if (!IsOption(kind)) return fields;

  DateTime acquired(DateTime::ParseLoose(Column(kDateAcquired)));
  fields[kSymExpDate] = ExpirationAfter(symbol[symbol.size() - 2], acquired);
  std::string strike = EstimatedStrike(symbol.back(), openingPrice);
  if (strike.empty()) {
    log_->Warning("Unknown strike code - Symbol=" + symbol, record);
  } else {
    fields[kSymStrike] = strike;
  }
  return fields;
}

bool PensonTaxWorksheet::Decode(SymbolMap& symbols, TransactionMap& transactions) {
  for (int32_t i = 0; SelectRecord(static_cast<size_t>(i)); ++i) {
    if (const char* reason = DiscardReason()) {
      log_->Error(std::string("Discarding record ") + reason, i);
      continue;
    }
    int32_t quantity = ToInt(Column(kQuantity));
    if (quantity == 0) {
      // No price per share can be had from a lot of nothing.
      log_->Error("Discarding record - Quantity = 0", i);
      continue;
    }

    // A lot acquired after it was sold was a short sale, opened by the sale.
    const std::string& acquiredText = Column(kDateAcquired);
    const std::string& soldText = Column(kDateSold);
    bool shortLot = DateTime::ParseLoose(acquiredText) > DateTime::ParseLoose(soldText);
    unsigned openingSide = shortLot ? kSideSellShort : kSideBuy;
    unsigned closingSide = shortLot ? kSideBuyToCover : kSideSell;

    int32_t kind = KindOfSymbol(Column(kSymbol));
    double perShare = IsOption(kind) ? 0.01 : 1.0;
    double salePrice = ToDouble(Column(kSalesPrice)) / quantity * perShare;
    double costPrice = ToDouble(Column(kCostBasis)) / quantity * perShare;
    double openingPrice = shortLot ? salePrice : costPrice;
    double closingPrice = shortLot ? costPrice : salePrice;

    const std::string& symbol = Column(kSymbol);
    if (!symbols.contains(symbol)) symbols.emplace(symbol, DecodeSymbol(kind, openingPrice, i));

    // One row reused for both trades of every record: its texts keep their memory.
    auto storeTrade = [&](const std::string& key, const std::string& date, unsigned side,
                          double price) {
      using namespace TransColumn;
      TransactionFields& trade = row_;
      trade.clear();
      trade[kAcctId] = accountId_;
      trade[kTransDtTrade] = date;
      trade[kTransDtSettle] = date;
      trade[kTransType] = SideTypeText(side);
      trade[kTransPos] = SidePositionText(side);
      trade[kTransAction] = SideActionText(kind, side);
      trade[kTransQty] = Column(kQuantity);
      trade[kSymName] = symbol;
      trade[kTransUnitPrice] = ToText(price);
      trade[kTransTotal] = ToText(quantity * price);
      transactions.insert_or_assign(key, trade);
    };
    std::string key = "Rec #" + ToText(i);
    storeTrade("Opening " + key, shortLot ? soldText : acquiredText, openingSide, openingPrice);
    storeTrade("Closing " + key, shortLot ? acquiredText : soldText, closingSide, closingPrice);
  }
  return true;
}

}  // namespace vo
