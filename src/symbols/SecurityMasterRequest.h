// The request document of the symbol update: the symbols of the VO database
// that the security master can check, as two JSON arrays. Rows the server
// cannot check (no transactions, special symbols, unsupported types) are left out.
// Each array is kept as its compact JSON text, written object by object as
// rows are added: a tree of JSON values for a hundred thousand symbols would
// take hundreds of megabytes and be copied again to be written.
#pragma once

#include <string>
#include <vector>

class SecurityMasterRequest {
 public:
  SecurityMasterRequest();

  // Adds one row of HSymboDAO::SelectSymbolsWithTransCount, whose column names
  // are `names`: rows that already came from the security master go to
  // "global_security_records", all others to "broker_security_details". False
  // when the row is not requested (then neither array changes).
  bool AddSymbolRow(const std::vector<std::string>& names, const std::vector<std::string>& row);

  // The number of rows added to both arrays together.
  unsigned Count() const;

  // The request document as compact JSON, as Json::FastWriter writes it
  // (members in name order, one line feed at the end).
  std::string Text() const;

  // Whether a row whose column `column` holds `value` may be sent at all.
  static bool IsRequestable(int column, const std::string& value);
  // Cash and placeholder symbols ("!STOCK!", "$CASH$") and seven-character
  // currency pairs against the dollar ("USD/EUR").
  static bool IsSpecialSymbol(const std::string& symbol);

 private:
  // A text as a JSON string, quoted and escaped exactly as the JSON writer does.
  std::string Quoted(const std::string& text) const;

  // The objects of each array, comma-separated, without the brackets.
  std::string brokerDetails_;
  std::string globalRecords_;
  unsigned count_ = 0;
};
