// The ThinkOrSwim tax worksheet of the Penson clearing firm: one closed lot per
// line (quantity, symbol, acquisition and sale dates, lot proceeds and cost),
// decoded into its opening and its closing trade. Options are named by the
// old-style symbol: root, month code letter, strike code letter.
#pragma once

#include <string>

#include "import/CsvParser.h"

namespace vo {

class PensonTaxWorksheet : public CsvParser {
 public:
  explicit PensonTaxWorksheet(const std::string& accountId);

  // Two transactions per kept lot, keyed "Opening Rec #i" and "Closing Rec #i";
  // lots without symbol, dates or amounts are logged and left out. Always true.
  // A Quantity or amount that is not a number throws the conversion error.
  bool Decode(SymbolMap& symbols, TransactionMap& transactions) override;

 private:
  // The first reason to leave out the current record ("- Missing Symbol", ...),
  // or nullptr when it is kept.
  const char* DiscardReason() const;
  // The current record's symbol with its defaults and, for an option, the
  // expiration and the strike estimated from the opening price.
  SymbolFields DecodeSymbol(int32_t kind, double openingPrice, int32_t record) const;

  std::string accountId_;
  TransactionFields row_;  // the trade being decoded
};

}  // namespace vo
