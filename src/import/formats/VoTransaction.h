// The application's own transaction file: eighteen comma-separated columns,
// one transaction a line, whose action column holds the friendly string of a
// transaction action. Short lines are padded, long lines kept; no line is
// ever refused.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/CsvParser.h"

namespace vo {

class VoTransaction : public CsvParser {
 public:
  explicit VoTransaction(const std::string& accountId);

  // The first eighteen columns must equal the header's; more may follow, and
  // then every data line is expected to have as many.
  bool MatchesHeader(const std::string& line) override;
  // Always true.
  bool Parse(const std::string& line) override;
  // One symbol per distinct Symbol column (from its first record) and one
  // transaction per record, keyed by the record index. Always true.
  bool Decode(SymbolMap& symbols, TransactionMap& transactions) override;

 private:
  void DecodeSymbol(int32_t action, SymbolMap& symbols) const;
  void DecodeTransaction(int32_t action, TransactionMap& transactions);

  std::string accountId_;
  size_t recordIndex_ = 0;
  std::vector<std::string> work_;
  std::vector<std::string> headerColumns_;
  TransactionFields row_;  // the transaction being decoded
};

}  // namespace vo
