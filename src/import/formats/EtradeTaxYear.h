// The Etrade trades-for-tax-year export of the accounts page: one trade,
// exercise, assignment or expiration a line, every value kept as written.
// Built by the import pipeline for one import; keeps the base's header test
// and Parse.
#pragma once

#include <string>

#include "import/CsvParser.h"

namespace vo {

class EtradeTaxYear : public CsvParser {
 public:
  explicit EtradeTaxYear(const std::string& accountId);

  // Adds every record's security to the symbols, discarded records included;
  // keeps trades, and exercises, assignments and expirations that moved
  // money. Always true; a Net Amount of an exercise, assignment or
  // expiration that is not a number throws the conversion error of ToDouble.
  bool Decode(SymbolMap& symbols, TransactionMap& transactions) override;

 private:
  std::string accountId_;
};

}  // namespace vo
