// One row, in this order:
//   1. ReadTexts: each field's text from its column or template, narrowed by
//      its pattern, filled down from the row above where empty, then the
//      extractions fill empty fields from the groups they capture;
//   2. ReadNumbers: every number field read with its sign;
//   3. ReadTrade (or ReadLot): the date, the action rule the action text
//      matches, the option the row trades, then the transaction and symbol.
#include "import/layouts/LayoutRowReader.h"

#include <cstdlib>
#include <map>

#include "db/EnumValues.h"
#include "db/TableColumns.h"
#include "import/FieldText.h"
#include "import/OptionData.h"
#include "import/OptionDates.h"
#include "import/SymbolDefaults.h"
#include "import/TradeSides.h"
#include "import/layouts/LayoutValues.h"
#include "values/DecimalText.h"
#include "values/NumberText.h"

namespace vo {

namespace {

constexpr char kCashSymbol[] = "$CASH$";
constexpr char kDefaultCurrency[] = "USD";

std::string Trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The column of the first of the names the header has; -1 when none.
int ColumnOf(const std::map<std::string, int>& header, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    auto found = header.find(NameKey(name));
    if (found != header.end()) return found->second;
  }
  return -1;
}

// The group a field pattern keeps: "value", else the first, else the whole match.
std::string Narrowed(const RE2& pattern, const std::string& text) {
  const int groups = pattern.NumberOfCapturingGroups();
  std::vector<re2::StringPiece> match(static_cast<size_t>(groups) + 1);
  if (!pattern.Match(text, 0, text.size(), RE2::UNANCHORED, match.data(), groups + 1)) return text;
  auto named = pattern.NamedCapturingGroups().find("value");
  int keep = named != pattern.NamedCapturingGroups().end() ? named->second : groups > 0 ? 1 : 0;
  return std::string(match[static_cast<size_t>(keep)]);
}

bool SignAllows(ActionRule::Sign sign, const LayoutNumber& number) {
  switch (sign) {
    case ActionRule::Sign::kNegative: return !number.digits.empty() && number.negative;
    case ActionRule::Sign::kPositive: return !number.digits.empty() && !number.negative;
    default: return true;
  }
}

// 0 stock, 1 call, 2 put: the row of the side-code action table.
int SideTableRow(int32_t securityType) {
  return securityType == kSecurityTypeCall ? 1 : securityType == kSecurityTypePut ? 2 : 0;
}

// An option event's action by the option's kind; an expiry also by the
// position it ends (a long one leaves with a negative quantity).
int32_t EventAction(ActionRule::Result result, bool call, bool longPosition) {
  switch (result) {
    case ActionRule::Result::kExpire:
      if (call) return longPosition ? kTransActionExpireBuyCall : kTransActionExpireSaleCallOpen;
      return longPosition ? kTransActionExpireBuyPut : kTransActionExpireSalePutOpen;
    case ActionRule::Result::kAssign:
      return call ? kTransActionAssignCall : kTransActionAssignPut;
    default:
      return call ? kTransActionExerciseCall : kTransActionExercisePut;
  }
}

// A transaction of the row with the fields every one has.
TransactionFields& AddTrade(LayoutRowReader::Row& row, const std::string& accountId, int32_t action,
                            const std::string& date, const std::string& settled,
                            const std::string& quantity, const std::string& price) {
  using namespace TransColumn;
  TransactionFields& t = row.transactions.emplace_back();
  t[kAcctId] = accountId;
  t[kTransDtTrade] = date;
  t[kTransDtSettle] = settled;
  t[kTransAction] = ToText(action);
  t[kTransPos] = TransPosText(action);
  t[kTransType] = TransTypeText(action);
  t[kTransQty] = quantity;
  t[kSymName] = row.symbolName;
  t[kTransUnitPrice] = price;
  t[kTransFx] = "1";
  return t;
}

// A magnitude ReadNumber accepted, as a double (no exception for one too large).
double Magnitude(const std::string& digits) { return digits.empty() ? 0 : std::strtod(digits.c_str(), nullptr); }

std::string PerUnit(double amount, double units) {
  return FormatNumber(units == 0 ? 0 : amount / units, false, 6, true);
}

// Money rounded to the cent, as a broker's amounts are.
std::string Cents(double amount) { return FormatNumber(amount, false, 2, true); }

}  // namespace

struct LayoutRowReader::Numbers {
  std::array<LayoutNumber, kFieldCount> value;
  const LayoutNumber& operator[](Field f) const { return value[static_cast<size_t>(f)]; }
  // The magnitude, or `otherwise` when the field is empty.
  std::string Or(Field f, const char* otherwise) const {
    const std::string& digits = (*this)[f].digits;
    return digits.empty() ? otherwise : digits;
  }
};

struct LayoutRowReader::Option {
  bool traded = false;  // a call or a put
  OptionData data;
};

std::unique_ptr<LayoutRowReader> LayoutRowReader::ForHeader(const LayoutTable& table,
                                                            const std::vector<std::string>& header,
                                                            std::string& missing) {
  std::map<std::string, int> columns;
  for (size_t i = 0; i < header.size(); ++i) columns.emplace(NameKey(header[i]), static_cast<int>(i));
  std::unique_ptr<LayoutRowReader> reader(new LayoutRowReader(table));
  missing.clear();
  for (size_t f = 0; f < kFieldCount; ++f) {
    const std::optional<FieldSource>& source = table.fields[f];
    if (!source) continue;
    Where& where = reader->where_[f];
    bool found = true;
    if (source->parts.empty()) {
      where.column = ColumnOf(columns, source->columns);
      found = where.column >= 0;
    } else {
      for (const FieldSource::Part& part : source->parts) {
        int column = part.column.empty() ? -1 : ColumnOf(columns, {part.column});
        found = found && (part.column.empty() || column >= 0);
        where.parts.push_back(column);
      }
    }
    where.present = found;
    if (!found && source->required) {
      missing += (missing.empty() ? "" : ", ") + std::string(InfoOf(static_cast<Field>(f)).name);
    }
  }
  if (!missing.empty()) return nullptr;
  return reader;
}

std::string LayoutRowReader::TextOf(Field field, const std::vector<std::string>& columns) const {
  return NarrowedText(field, WrittenText(field, columns));
}

std::string LayoutRowReader::NarrowedText(Field field, const std::string& text) const {
  const std::optional<FieldSource>& source = table_.fields[static_cast<size_t>(field)];
  if (!source || !source->pattern || text.empty()) return text;
  return Trimmed(Narrowed(*source->pattern, text));
}

std::string LayoutRowReader::WrittenText(Field field, const std::vector<std::string>& columns) const {
  const Where& where = where_[static_cast<size_t>(field)];
  auto cell = [&](int column) {
    return column >= 0 && static_cast<size_t>(column) < columns.size() ? Trimmed(columns[column]) : "";
  };
  if (!where.present) return "";
  const FieldSource& source = *table_.fields[static_cast<size_t>(field)];
  std::string text;
  if (source.parts.empty()) {
    text = cell(where.column);
  } else {
    for (size_t i = 0; i < source.parts.size(); ++i) {
      text += source.parts[i].column.empty() ? source.parts[i].literal : cell(where.parts[i]);
    }
    text = Trimmed(text);
  }
  return text;
}

std::string LayoutRowReader::AccountOf(const std::vector<std::string>& columns) const {
  return TextOf(Field::kAccount, columns);
}

void LayoutRowReader::ReadTexts(const std::vector<std::string>& columns, Texts& texts) {
  for (size_t f = 0; f < kFieldCount; ++f) {
    const Field field = static_cast<Field>(f);
    // The field keeps what its pattern narrows; extractions read it whole.
    std::string text = WrittenText(field, columns);
    texts.field[f] = NarrowedText(field, text);
    if (texts.field[f] != text) texts.written[f] = std::move(text);
  }
  for (Field field : table_.fillDown) {
    std::string& text = texts[field];
    std::string& previous = previous_[static_cast<size_t>(field)];
    if (text.empty()) {
      text = previous;
    } else {
      previous = text;
    }
  }
  for (const Extraction& extraction : table_.extractions) {
    const std::string& from = texts.AsWritten(extraction.from);
    const RE2& pattern = *extraction.pattern;
    const int groups = pattern.NumberOfCapturingGroups();
    std::vector<re2::StringPiece> match(static_cast<size_t>(groups) + 1);
    if (!pattern.Match(from, 0, from.size(), RE2::UNANCHORED, match.data(), groups + 1)) continue;
    for (const auto& [name, index] : pattern.NamedCapturingGroups()) {
      std::string captured = Trimmed(std::string(match[static_cast<size_t>(index)]));
      if (captured.empty()) continue;
      std::optional<Field> field = FieldNamed(name);
      std::string& target = field          ? texts[*field]
                            : name == "expiry_year"  ? texts.expiryYear
                            : name == "expiry_month" ? texts.expiryMonth
                                                     : texts.expiryDay;
      if (target.empty()) target = captured;
    }
  }
}

bool LayoutRowReader::ReadNumbers(const Texts& texts, Numbers& numbers, std::string& reason) const {
  for (size_t f = 0; f < kFieldCount; ++f) {
    const Field field = static_cast<Field>(f);
    if (InfoOf(field).kind != FieldKind::kNumber) continue;
    if (!ReadNumber(texts.field[f], table_.decimal, numbers.value[f])) {
      reason = "the " + std::string(InfoOf(field).name) + " '" + texts.field[f] + "' is not a number";
      return false;
    }
  }
  return true;
}

bool LayoutRowReader::ReadDateField(const Texts& texts, Field field, std::string& date,
                                    std::string& reason) const {
  const std::string& text = texts[field];
  const std::optional<FieldSource>& source = table_.fields[static_cast<size_t>(field)];
  const std::vector<std::string>& forms =
      source && !source->dateForms.empty() ? source->dateForms : table_.dateForms;
  if (ReadDate(text, forms, date)) return true;
  reason = text.empty() ? "no " + std::string(InfoOf(field).name)
                        : "the " + std::string(InfoOf(field).name) + " '" + text + "' is not a date";
  return false;
}

bool LayoutRowReader::ReadOption(const Texts& texts, const Numbers& numbers, Option& option,
                                 std::string& reason) const {
  OptionData& data = option.data;
  if (table_.occSymbols && ReadOccSymbol(texts[Field::kSymbol], data)) {
    option.traded = true;
  } else {
    int32_t kind = OptionKindOfWord(texts[Field::kOptionType]);
    if (kind == kSecurityTypeStock) return true;
    const std::string& underlying =
        texts[Field::kUnderlying].empty() ? texts[Field::kSymbol] : texts[Field::kUnderlying];
    int year = 0, month = 0, day = 0;
    if (!texts[Field::kExpiry].empty()) {
      const std::optional<FieldSource>& source = table_.fields[static_cast<size_t>(Field::kExpiry)];
      const std::vector<std::string>& forms =
          source && !source->dateForms.empty() ? source->dateForms : table_.dateForms;
      if (!ReadDateParts(texts[Field::kExpiry], forms, year, month, day)) {
        reason = "the expiry '" + texts[Field::kExpiry] + "' is not a date";
        return false;
      }
    } else if (!texts.expiryYear.empty() && !texts.expiryMonth.empty()) {
      // A month by name or number; no day means the third Friday.
      int32_t number = 0;
      month = MonthNumber(texts.expiryMonth.substr(0, 3));
      if (month == 0 && ReadLeadingInt(texts.expiryMonth, number)) month = number;
      int32_t y = 0, d = 0;
      if (!ReadLeadingInt(texts.expiryYear, y) || month < 1 || month > 12 ||
          (!texts.expiryDay.empty() && !ReadLeadingInt(texts.expiryDay, d))) {
        reason = "the expiry " + texts.expiryMonth + " " + texts.expiryDay + " " + texts.expiryYear +
                 " is not a date";
        return false;
      }
      year = y;
      day = d;
    }
    const std::string& strike = numbers[Field::kStrike].digits;
    if (underlying.empty() || year == 0 || strike.empty()) {
      reason = "an option without its " +
               std::string(underlying.empty() ? "underlying" : year == 0 ? "expiry" : "strike");
      return false;
    }
    data.securityType = kind;
    data.underlying = underlying;
    data.expiration = OptionExpirationDate(year, month, day);
    data.strike = PlainStrike(strike);
    data.symbol = OptionSymbol(data.underlying, data.expiration, kind, data.strike);
    option.traded = true;
  }
  data.description = texts[Field::kDescription].empty() ? texts[Field::kAction] : texts[Field::kDescription];
  return true;
}

const ActionRule* LayoutRowReader::MatchAction(const std::string& text, const Numbers& numbers) const {
  const std::string key = NameKey(text);
  for (const ActionRule& rule : table_.actions) {
    bool matches = rule.pattern ? RE2::PartialMatch(text, *rule.pattern)
                                : key.find(rule.text) != std::string::npos;
    if (matches && SignAllows(rule.quantitySign, numbers[Field::kQuantity]) &&
        SignAllows(rule.amountSign, numbers[Field::kAmount])) {
      return &rule;
    }
  }
  return nullptr;
}

LayoutRowReader::Use LayoutRowReader::Read(const std::vector<std::string>& columns,
                                           const std::string& accountId, Row& row,
                                           std::string& reason) {
  Texts texts;
  ReadTexts(columns, texts);
  row.account = texts[Field::kAccount];
  row.transactions.clear();
  row.symbol.clear();
  row.undecided = vo::Undecided::kNo;
  return table_.kind == RowKind::kLots ? ReadLot(texts, accountId, row, reason)
                                       : ReadTrade(texts, accountId, row, reason);
}

void LayoutRowReader::FillSymbol(const Texts& texts, const Option& option, Row& row) const {
  using namespace SymColumn;
  SymbolFields& symbol = row.symbol;
  if (option.traded) {
    SymbolFromOptionData(option.data, symbol);
  } else {
    SymbolDefaults(row.symbolName == kCashSymbol ? kSecurityTypeCash : kSecurityTypeStock, symbol);
    symbol[kSymName] = row.symbolName;
    symbol[kSymResearch] = row.symbolName;
    if (row.symbolName != kCashSymbol) symbol[kSymDesc] = texts[Field::kDescription];
  }
  const std::string& size = texts[Field::kContractSize];
  if (option.traded && !size.empty()) symbol[kSymContSize] = size;
  symbol[kCurName] = texts[Field::kCurrency].empty() ? kDefaultCurrency : texts[Field::kCurrency];
}

LayoutRowReader::Use LayoutRowReader::ReadTrade(const Texts& texts, const std::string& accountId,
                                                Row& row, std::string& reason) const {
  Numbers numbers;
  std::string date, settled;
  if (!ReadNumbers(texts, numbers, reason) || !ReadDateField(texts, Field::kDate, date, reason)) {
    return Use::kRefused;
  }
  if (texts[Field::kSettleDate].empty()) {
    settled = date;
  } else if (!ReadDateField(texts, Field::kSettleDate, settled, reason)) {
    return Use::kRefused;
  }
  const ActionRule* rule = MatchAction(texts[Field::kAction], numbers);
  if (!rule) {
    reason = "no action matches '" + texts[Field::kAction] + "'";
    return Use::kRefused;
  }
  if (rule->result == ActionRule::Result::kSkip) return Use::kSkipped;
  Option option;
  if (!ReadOption(texts, numbers, option, reason)) return Use::kRefused;

  int32_t action = rule->action;
  switch (rule->result) {
    case ActionRule::Result::kSide:
      action = SideAction(SideTableRow(option.data.securityType), rule->side);
      break;
    case ActionRule::Result::kExpire:
    case ActionRule::Result::kAssign:
    case ActionRule::Result::kExercise:
      if (!option.traded) {
        reason = "'" + texts[Field::kAction] + "' happens to options only, and this row trades none";
        return Use::kRefused;
      }
      if (rule->result == ActionRule::Result::kExpire && numbers[Field::kQuantity].digits.empty()) {
        reason = "an expiry needs its quantity: negative for a long position, else short";
        return Use::kRefused;
      }
      action = EventAction(rule->result, option.data.securityType == kSecurityTypeCall,
                           numbers[Field::kQuantity].negative);
      break;
    default:
      break;
  }

  if (table_.positionsFromFile && option.traded) {
    if (rule->result == ActionRule::Result::kSide && rule->plainSide) {
      row.undecided = rule->side == kSideBuy ? vo::Undecided::kBuy : vo::Undecided::kSell;
    } else if (rule->result == ActionRule::Result::kExpire) {
      row.undecided = vo::Undecided::kExpiry;
    }
  }
  row.securityType = option.data.securityType;

  const bool cash = !option.traded && (rule->cash || texts[Field::kSymbol].empty());
  row.symbolName = option.traded ? option.data.symbol : cash ? kCashSymbol : texts[Field::kSymbol];
  FillSymbol(texts, option, row);

  using namespace TransColumn;
  TransactionFields& t = AddTrade(row, accountId, action, date, settled, numbers.Or(Field::kQuantity, "0"),
                                  numbers.Or(Field::kPrice, "0"));
  const std::pair<Field, int> kAmounts[] = {{Field::kCommission, kTransCommission},
                                            {Field::kFees, kTransSecFee},
                                            {Field::kMiscFees, kTransMiscFee},
                                            {Field::kAccruedInterest, kTransBaseAdj},
                                            {Field::kAmount, kTransTotal}};
  for (const auto& [field, column] : kAmounts) {
    if (!numbers[field].digits.empty()) t[column] = numbers[field].digits;
  }
  // A trade the file gives no amount for (a trade history of executions
  // alone): its quantity at its price, the fees added to a buy and taken
  // from a sale, as a broker's amount has them.
  if (rule->result == ActionRule::Result::kSide && numbers[Field::kAmount].digits.empty() &&
      !numbers[Field::kPrice].digits.empty()) {
    const std::string& contract = numbers[Field::kContractSize].digits;
    const double size = !option.traded ? 1 : contract.empty() ? 100 : Magnitude(contract);
    const double fees = Magnitude(numbers[Field::kCommission].digits) +
                        Magnitude(numbers[Field::kFees].digits) + Magnitude(numbers[Field::kMiscFees].digits);
    const double gross =
        Magnitude(numbers[Field::kQuantity].digits) * Magnitude(numbers[Field::kPrice].digits) * size;
    const bool buy = rule->side == kSideBuy || rule->side == kSideBuyToCover;
    t[kTransTotal] = Cents(buy ? gross + fees : gross - fees);
  }
  // Money moved in or out is one action both ways: its sign tells which.
  if (action == kTransActionCash && numbers[Field::kAmount].negative) t[kTransTotal] = "-" + t[kTransTotal];
  if (!numbers[Field::kExchangeRate].digits.empty()) t[kTransFx] = numbers[Field::kExchangeRate].digits;
  return Use::kTaken;
}

LayoutRowReader::Use LayoutRowReader::ReadLot(const Texts& texts, const std::string& accountId,
                                              Row& row, std::string& reason) const {
  Numbers numbers;
  std::string acquired, sold;
  if (!ReadNumbers(texts, numbers, reason) ||
      !ReadDateField(texts, Field::kDateAcquired, acquired, reason) ||
      !ReadDateField(texts, Field::kDateSold, sold, reason)) {
    return Use::kRefused;
  }
  const LayoutNumber& quantity = numbers[Field::kQuantity];
  if (Magnitude(quantity.digits) == 0) {
    reason = "a lot of no quantity";
    return Use::kRefused;
  }
  Option option;
  if (!ReadOption(texts, numbers, option, reason)) return Use::kRefused;
  row.symbolName = option.traded ? option.data.symbol : texts[Field::kSymbol];
  FillSymbol(texts, option, row);

  // A lot acquired after it was sold was a short sale, opened by the sale.
  const bool shortLot = acquired > sold;
  double size = 1;
  if (option.traded) {
    const std::string& contract = numbers[Field::kContractSize].digits;
    size = contract.empty() ? 100 : Magnitude(contract);
  }
  const double units = Magnitude(quantity.digits) * size;
  const std::string& cost = numbers[Field::kCostBasis].digits;
  const std::string& proceeds = numbers[Field::kProceeds].digits;
  const std::string costPrice = PerUnit(Magnitude(cost), units);
  const std::string salePrice = PerUnit(Magnitude(proceeds), units);

  auto trade = [&](const std::string& date, unsigned side, const std::string& price, const std::string& total) {
    const int32_t action = SideAction(SideTableRow(option.data.securityType), side);
    TransactionFields& t = AddTrade(row, accountId, action, date, date, quantity.digits, price);
    if (!total.empty()) t[TransColumn::kTransTotal] = total;
  };
  if (shortLot) {
    trade(sold, kSideSellShort, salePrice, proceeds);
    trade(acquired, kSideBuyToCover, costPrice, cost);
  } else {
    trade(acquired, kSideBuy, costPrice, cost);
    trade(sold, kSideSell, salePrice, proceeds);
  }
  return Use::kTaken;
}

}  // namespace vo
