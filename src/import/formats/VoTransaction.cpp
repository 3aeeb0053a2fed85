#include "import/formats/VoTransaction.h"

#include <array>
#include <string_view>
#include <utility>

#include "db/EnumLookup.h"
#include "db/EnumValues.h"
#include "db/TableColumns.h"
#include "import/FieldText.h"
#include "import/OptionDates.h"
#include "import/SymbolDefaults.h"
#include "import/TradeSides.h"
#include "values/DecimalText.h"

namespace vo {

namespace {

constexpr char kFormatName[] = "VO Transaction (1 Transaction/line)";
constexpr char kHeader[] =
    "Date Transacted,Date Settled,Action,Quantity,Symbol,Description,Price,Commission,Sec. Fee,"
    "Misc. Fee,Fed. Tax,Ex./Assign Basis Adj,Basis Adj,Amount,Account,ID,Note,FX";
constexpr size_t kHeaderColumns = 18;

// Column indexes of the file.
enum NativeColumn : size_t {
  kDateTransacted = 0,
  kDateSettled,
  kAction,
  kQuantity,
  kSymbol,
  kDescription,
  kPrice,
  kCommission,
  kSecFee,
  kMiscFee,
  kFedTax,
  kExAssignBasisAdj,
  kBasisAdj,
  kAmount,
  kAccount,
  kId,
  kNote,
  kFx,
};

constexpr std::array<unsigned, 9> kNumericColumns = {kQuantity,         kPrice,    kCommission,
                                                     kSecFee,           kMiscFee,  kFedTax,
                                                     kExAssignBasisAdj, kBasisAdj, kAmount};

// The option actions and the security type a new symbol traded by them gets;
// every other action makes a stock.
constexpr std::array<std::pair<int32_t, int32_t>, 8> kOptionActions = {{
    {kTransActionBuyCall, kSecurityTypeCall},
    {kTransActionSaleCall, kSecurityTypeCall},
    {kTransActionSaleCallToOpen, kSecurityTypeCall},
    {kTransActionBuyCallToClose, kSecurityTypeCall},
    {kTransActionBuyPut, kSecurityTypePut},
    {kTransActionSalePut, kSecurityTypePut},
    {kTransActionSalePutToOpen, kSecurityTypePut},
    {kTransActionBuyPutToClose, kSecurityTypePut},
}};

int32_t SecurityTypeOfAction(int32_t action) {
  for (const auto& [optionAction, type] : kOptionActions) {
    if (optionAction == action) return type;
  }
  return kSecurityTypeStock;
}

// An option description such as "1 MSFT JAN-09 $25 CALL": the underlying, the
// month and year of the expiration, the strike. Anything else leaves the
// symbol's option fields alone.
void DecodeOptionDescription(const std::string& description, SymbolFields& symbol) {
  size_t at = 0;
  int32_t leadingNumber = 0;
  if (!ReadLeadingInt(description, at, leadingNumber)) return;
  std::string_view underlying = NextWord(description, at);
  std::string_view monthYear = NextWord(description, at);
  std::string_view strike = NextWord(description, at);

  size_t dash = monthYear.find('-');
  if (dash == std::string_view::npos) return;
  int32_t year = ToInt(std::string(monthYear.substr(dash + 1)));
  int32_t month = MonthNumber(std::string(monthYear.substr(0, dash)));
  if (month == 0) return;

  if (!strike.empty() && strike.front() == '$') strike.remove_prefix(1);
  symbol[SymColumn::kSymUnder] = underlying;
  symbol[SymColumn::kSymExpDate] = OptionExpirationDate(year, month, 0);
  symbol[SymColumn::kSymStrike] = strike;
}

}  // namespace

VoTransaction::VoTransaction(const std::string& accountId)
    : CsvParser(kFormatName, kHeader, ','), accountId_(accountId) {
  numericColumns_.assign(kNumericColumns.begin(), kNumericColumns.end());
  Split(headerColumns_, header_, separator_);
}

bool VoTransaction::MatchesHeader(const std::string& line) {
  Split(work_, line, separator_);
  if (work_.size() < kHeaderColumns) return false;
  for (size_t i = 0; i < kHeaderColumns; ++i) {
    if (work_[i] != headerColumns_[i]) return false;
  }
  expectedColumns_ = CountColumns(line, separator_);
  columns_.assign(kHeaderColumns, std::string());
  return true;
}

bool VoTransaction::Parse(const std::string& line) {
  Split(work_, line, separator_);
  if (work_.size() < expectedColumns_) {
    // Padding by appending separators (rather than empty columns) keeps the
    // split rules: a separator inside an unclosed quote stays text.
    Split(columns_, line + std::string(expectedColumns_ - work_.size(), separator_), separator_);
  } else {
    columns_.swap(work_);
  }
  AddRecord();
  return true;
}

bool VoTransaction::Decode(SymbolMap& symbols, TransactionMap& transactions) {
  for (recordIndex_ = 0; SelectRecord(recordIndex_); ++recordIndex_) {
    int32_t action = ValueOfFriendlyString("TransAction", Column(kAction));
    DecodeSymbol(action, symbols);
    DecodeTransaction(action, transactions);
  }
  return true;
}

void VoTransaction::DecodeSymbol(int32_t action, SymbolMap& symbols) const {
  const std::string& name = Column(kSymbol);
  if (symbols.contains(name)) return;
  SymbolFields symbol;
  SymbolDefaults(SecurityTypeOfAction(action), symbol);
  symbol[SymColumn::kSymName] = name;
  symbol[SymColumn::kSymResearch] = name;
  symbol[SymColumn::kSymDesc] = Column(kDescription);
  DecodeOptionDescription(Column(kDescription), symbol);
  symbols.emplace(name, symbol);
}

void VoTransaction::DecodeTransaction(int32_t action, TransactionMap& transactions) {
  using namespace TransColumn;
  // One row reused for every record: its texts keep their memory.
  TransactionFields& fields = row_;
  fields.clear();
  fields[kTransAction] = ToText(action);
  fields[kTransPos] = TransPosText(action);
  fields[kTransType] = TransTypeText(action);
  fields[kTransQty] = Column(kQuantity);
  fields[kTransUnitPrice] = Column(kPrice);
  fields[kTransCommission] = Column(kCommission);
  fields[kTransDtTrade] = Column(kDateTransacted);
  fields[kTransDtSettle] = Column(kDateSettled);
  fields[kTransSecFee] = Column(kSecFee);
  fields[kTransMiscFee] = Column(kMiscFee);
  fields[kTransFedTax] = Column(kFedTax);
  fields[kTransTotal] = Column(kAmount);
  fields[kTransNoteUser] = Column(kNote);
  fields[kTransNoteId] = Column(kId);
  fields[kTransBaseAdj] = Column(kBasisAdj);
  fields[kAcctId] = accountId_;
  fields[TransColumn::kSymName] = Column(kSymbol);
  fields[kTransExAssAdj] = Column(kExAssignBasisAdj);
  fields[kTransFx] = Column(kFx);
  transactions.insert_or_assign(ToText(static_cast<unsigned long>(recordIndex_)), fields);
}

}  // namespace vo
