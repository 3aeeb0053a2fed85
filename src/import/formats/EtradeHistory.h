// The Etrade transaction history page export: one trade a line, stocks and
// options, the trade's side spelled out in TransactionType. Built by the
// import pipeline for one import; keeps the base's header test and Parse.
#pragma once

#include <string>

#include "import/CsvParser.h"

namespace vo {

class EtradeHistory : public CsvParser {
 public:
  explicit EtradeHistory(const std::string& accountId);

  // Keeps equity and option trades; every other record is logged as
  // discarded and leaves nothing. Always true.
  bool Decode(SymbolMap& symbols, TransactionMap& transactions) override;

 private:
  std::string accountId_;
};

}  // namespace vo
