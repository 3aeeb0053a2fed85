// A broker file layout compiled from its description (docs/LAYOUTS.md): how
// the file is recognised, which column holds each field, how dates and
// numbers are written, and how each row's words become a transaction.
// Immutable once compiled; shared by the parsers of every import that uses it.
#pragma once

#include <re2/re2.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vo {

// What a layout can read from a row.
enum class Field : uint8_t {
  kDate,
  kSettleDate,
  kAction,
  kSymbol,
  kDescription,
  kQuantity,
  kPrice,
  kCommission,
  kFees,
  kMiscFees,
  kAccruedInterest,
  kAmount,
  kAccount,
  kCurrency,
  kExchangeRate,
  kOptionType,
  kUnderlying,
  kExpiry,
  kStrike,
  kContractSize,
  kDateAcquired,
  kDateSold,
  kProceeds,
  kCostBasis,
};
constexpr size_t kFieldCount = static_cast<size_t>(Field::kCostBasis) + 1;

enum class FieldKind : uint8_t { kText, kDate, kNumber };

struct FieldInfo {
  std::string_view name;  // as descriptions write it
  FieldKind kind;
};
const FieldInfo& InfoOf(Field field);
// The field of a description's name; empty when there is none.
std::optional<Field> FieldNamed(std::string_view name);

// Where one field's text comes from in a row.
struct FieldSource {
  // A template's literal texts and columns, in order.
  struct Part {
    std::string literal;
    std::string column;  // header name, compared as NameKey does; empty for a literal
  };
  std::vector<std::string> columns;  // header names, the first one present wins
  std::vector<Part> parts;           // a template instead of columns
  std::unique_ptr<const RE2> pattern;  // narrows the text to its "value" group (or its first)
  std::vector<std::string> dateForms;  // for a date field: its own forms
  bool required = true;
  unsigned line = 0;
};

// Sets the fields named by its groups from a field's text, where they are empty.
struct Extraction {
  Field from;
  std::unique_ptr<const RE2> pattern;
  unsigned line = 0;
};

// What a row whose action text an action rule matches becomes.
struct ActionRule {
  enum class Result : uint8_t { kAction, kSide, kExpire, kAssign, kExercise, kSkip };
  enum class Sign : uint8_t { kAny, kNegative, kPositive };

  std::string text;                    // contained in the action text (NameKey form)
  std::unique_ptr<const RE2> pattern;  // or found in it
  Sign quantitySign = Sign::kAny;
  Sign amountSign = Sign::kAny;
  Result result = Result::kAction;
  int32_t action = 0;  // kAction: a TransAction value
  unsigned side = 0;   // kSide: side code
  bool plainSide = false;  // kSide "buy" or "sell": an option's may open or close (positionsFromFile)
  bool cash = false;   // stored on the cash symbol
  unsigned line = 0;
};

enum class RowKind : uint8_t {
  kTrades,  // one transaction a row, its action from the action rules
  kLots,    // a closed lot a row: its opening and its closing trade
};

// One table of rows: the whole file, or one section of a file of sections.
struct LayoutTable {
  std::string title;  // the line that opens the section (NameKey form); empty: none
  RowKind kind = RowKind::kTrades;
  std::array<std::optional<FieldSource>, kFieldCount> fields;
  std::vector<std::string> dateForms;
  char decimal = '.';
  std::vector<ActionRule> actions;
  bool occSymbols = false;
  bool positionsFromFile = false;  // plain option sides and expiries decided by the file's positions
  std::vector<Extraction> extractions;
  std::vector<Field> fillDown;
  std::vector<std::unique_ptr<const RE2>> skipLines;
  unsigned line = 0;
};

struct Layout {
  std::string id;      // the description's file name without its extension
  std::string name;    // the name it gives itself
  std::string source;  // "built-in" or the description's path
  unsigned searchLines = 25;
  char delimiter = ',';
  std::unique_ptr<const RE2> title;  // a file of sections: the line that names it
  std::vector<LayoutTable> tables;   // one, or the sections
  std::vector<std::unique_ptr<const RE2>> footer;

  // What the import logs and records as the format: "<name> (layout <id>)".
  std::string FormatName() const { return name + " (layout " + id + ")"; }
  bool sectioned() const { return title != nullptr; }
};

// A header name or an action text as layouts compare them: lower case (ASCII),
// without blanks and without a byte-order mark.
std::string NameKey(std::string_view text);

}  // namespace vo
