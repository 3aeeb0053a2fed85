// The second Fidelity account history layout: every kind of account activity
// (trades, dividends, transfers, interest, mergers), told apart by the words
// of its Action column; cash activity is booked on the symbol "$CASH$". Built
// by the import pipeline for one import.
#pragma once

#include <cstdint>
#include <string>

#include "import/formats/FidelityCsvParser.h"

namespace vo {

class FidelityTradeV2 : public FidelityCsvParser {
 public:
  explicit FidelityTradeV2(const std::string& accountId);

  // Records whose Action names no known activity are discarded; the rest add
  // their symbol and become transactions. Ends with Info lines counting the
  // stock, call and put records read. Always true.
  bool Decode(SymbolMap& symbols, TransactionMap& transactions) override;

 private:
  std::string accountId_;
  // Records read by kind, discarded ones included.
  uint32_t stockRecords_ = 0;
  uint32_t callRecords_ = 0;
  uint32_t putRecords_ = 0;
};

}  // namespace vo
