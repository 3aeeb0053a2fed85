// The TradeMonster account activity export: a few lines of account information,
// the header, then one activity per line. Trades, deliveries, dividends,
// interest, transfers and the like are told apart by their type word; cash
// activities without a symbol go to "$CASH$".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/CsvParser.h"

namespace vo {

class TradeMonsterData : public CsvParser {
 public:
  explicit TradeMonsterData(const std::string& accountId);

  // A line whose first columns are the header's columns; more may follow.
  bool MatchesHeader(const std::string& line) override;
  // Every line becomes a record: a short line is completed with empty columns,
  // a long one kept whole. Always true.
  bool Parse(const std::string& line) override;
  // One transaction per accepted activity, keyed "Rec #i"; the others are
  // logged whole as "Discarded Trade - ...". Logs the totals of stock, put and
  // call records. Always true. A Strike that is not a number on an accepted
  // activity throws the conversion error.
  bool Decode(SymbolMap& symbols, TransactionMap& transactions) override;

 private:
  // What the current record is, from its security type and option type.
  int32_t Kind() const;
  // The side code from the record's Side and Open or Close words.
  unsigned Side() const;
  SymbolFields DecodeSymbol(int32_t kind) const;
  TransactionFields DecodeTransaction(int32_t kind, int32_t action, int activity) const;

  std::string accountId_;
  std::vector<std::string> headerColumns_;
  std::vector<std::string> lineColumns_;  // a line being matched to the header
};

}  // namespace vo
