// The request document of the symbol update: the symbols of the VO database
// that the security master can check, as two JSON arrays. Rows the server
// cannot check (no transactions, special symbols, unsupported types) are left out.
#pragma once

#include <json/value.h>
#include <json/writer.h>

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

  // The request document as compact JSON.
  std::string Text();

  // Whether a row whose column `column` holds `value` may be sent at all.
  static bool IsRequestable(int column, const std::string& value);
  // Cash and placeholder symbols ("!STOCK!", "$CASH$") and seven-character
  // currency pairs against the dollar ("USD/EUR").
  static bool IsSpecialSymbol(const std::string& symbol);

 private:
  Json::Value brokerDetails_;
  Json::Value globalRecords_;
  Json::FastWriter writer_;
};
