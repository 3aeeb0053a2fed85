// Reads the rows of one table of a layout once its header line is known: each
// field's column is found by name in that header, and each row becomes its
// transactions (one, or two for a closed lot) and the symbol they trade, as
// the import formats decode theirs.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/SymbolFields.h"
#include "db/TransactionFields.h"
#include "import/layouts/FilePositions.h"
#include "import/layouts/Layout.h"

namespace vo {

class LayoutRowReader {
 public:
  // What one row gave.
  struct Row {
    std::string account;  // the broker account it names; empty when the layout reads none
    std::vector<TransactionFields> transactions;
    std::string symbolName;
    SymbolFields symbol;
    int32_t securityType = 0;  // of the security traded
    // Whether an option trade opens or closes is left to the file's positions.
    vo::Undecided undecided = vo::Undecided::kNo;
  };
  enum class Use { kTaken, kSkipped, kRefused };

  // A reader when the header carries a column for every required field;
  // otherwise null, with the names of the fields whose columns are missing.
  static std::unique_ptr<LayoutRowReader> ForHeader(const LayoutTable& table,
                                                    const std::vector<std::string>& header,
                                                    std::string& missing);

  // Reads one row's columns for the import's account. kTaken fills `row`;
  // kSkipped: an action rule leaves such rows out; kRefused: `reason` says why.
  Use Read(const std::vector<std::string>& columns, const std::string& accountId, Row& row,
           std::string& reason);
  // The broker account a row names, without decoding it ("" when none).
  std::string AccountOf(const std::vector<std::string>& columns) const;
  bool readsAccounts() const { return where_[static_cast<size_t>(Field::kAccount)].present; }

 private:
  // Where a field's text is: its column, or a template's columns.
  struct Where {
    bool present = false;
    int column = -1;
    std::vector<int> parts;  // by template part; -1 for a literal
  };
  // The texts of one row by field, with the parts of an option's expiry.
  struct Texts {
    std::array<std::string, kFieldCount> field;
    // The whole text of a field that its pattern narrowed; empty otherwise.
    std::array<std::string, kFieldCount> written;
    std::string expiryYear, expiryMonth, expiryDay;
    std::string& operator[](Field f) { return field[static_cast<size_t>(f)]; }
    const std::string& operator[](Field f) const { return field[static_cast<size_t>(f)]; }
    // A field's text as the file writes it, before its pattern.
    const std::string& AsWritten(Field f) const {
      const std::string& whole = written[static_cast<size_t>(f)];
      return whole.empty() ? field[static_cast<size_t>(f)] : whole;
    }
  };
  struct Numbers;
  struct Option;

  explicit LayoutRowReader(const LayoutTable& table) : table_(table) {}

  // A field's text, narrowed by its pattern.
  std::string TextOf(Field field, const std::vector<std::string>& columns) const;
  // A field's text from its column or template, before its pattern.
  std::string WrittenText(Field field, const std::vector<std::string>& columns) const;
  std::string NarrowedText(Field field, const std::string& text) const;
  void ReadTexts(const std::vector<std::string>& columns, Texts& texts);
  bool ReadNumbers(const Texts& texts, Numbers& numbers, std::string& reason) const;
  bool ReadDateField(const Texts& texts, Field field, std::string& date, std::string& reason) const;
  bool ReadOption(const Texts& texts, const Numbers& numbers, Option& option, std::string& reason) const;
  const ActionRule* MatchAction(const std::string& text, const Numbers& numbers) const;
  Use ReadTrade(const Texts& texts, const std::string& accountId, Row& row, std::string& reason) const;
  Use ReadLot(const Texts& texts, const std::string& accountId, Row& row, std::string& reason) const;
  void FillSymbol(const Texts& texts, const Option& option, Row& row) const;

  const LayoutTable& table_;
  std::array<Where, kFieldCount> where_;
  std::array<std::string, kFieldCount> previous_;  // the last value of each filled-down field
};

}  // namespace vo
