// The first Fidelity account history layout: one buy or sell a line, the side
// spelled out in the transaction description. Built by the import pipeline
// for one import.
#pragma once

#include <string>

#include "import/CsvParser.h"

class FidelityTradeV1 : public CsvParser {
 public:
  explicit FidelityTradeV1(const std::string& accountId);

  // Exactly the header line; it also resets the expected column count and
  // the current columns.
  bool MatchesHeader(const std::string& line) override;
  // Takes a line of the header's column count or one fewer (the account
  // name left off); any other count is refused with an Error line.
  bool Parse(const std::string& line) override;
  // Records without a positive quantity or without a security description
  // are discarded; the rest add their symbol, and buys and sells become
  // transactions. Always true; a Quantity that is not a number throws the
  // conversion error of ToDouble.
  bool Decode(SymbolMap& symbols, TransactionMap& transactions) override;

 private:
  std::string accountId_;
};
