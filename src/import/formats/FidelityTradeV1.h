// The first Fidelity account history layout: one buy or sell a line, the side
// spelled out in the transaction description. Built by the import pipeline
// for one import.
#pragma once

#include <string>

#include "import/formats/FidelityCsvParser.h"

namespace vo {

class FidelityTradeV1 : public FidelityCsvParser {
 public:
  explicit FidelityTradeV1(const std::string& accountId);

  // Records without a positive quantity or without a security description
  // are discarded; the rest add their symbol, and buys and sells become
  // transactions. Always true; a Quantity that is not a number throws the
  // conversion error of ToDouble.
  bool Decode(SymbolMap& symbols, TransactionMap& transactions) override;

 private:
  std::string accountId_;
};

}  // namespace vo
