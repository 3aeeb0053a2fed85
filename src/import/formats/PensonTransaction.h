// The trade export of the Penson clearing firm, one trade per line, in either
// of its two column layouts. Records are kept in the shorter layout's column
// order; a line of the longer layout is rearranged into it and keeps its CUSIP
// as a nineteenth column.
#pragma once

#include <string>
#include <vector>

#include "import/CsvParser.h"

namespace vo {

class PensonTransaction : public CsvParser {
 public:
  explicit PensonTransaction(const std::string& accountId);

  // Either layout's header, exactly; the match fixes the layout of the lines
  // that follow.
  bool MatchesHeader(const std::string& line) override;
  // A line of the matched layout becomes a record (the longer layout may lack
  // its last column); any other column count is refused with an Error line
  // "PensonTransaction::Parse - Unexpected number of columns." (false).
  bool Parse(const std::string& line) override;
  // One transaction per kept record, keyed "Rec #i " + the trailer and trade
  // number; records without symbol, price or quantity are logged and left out.
  // Always true. A Quantity, Price or PrincipalAmount that is not a number
  // throws the conversion error.
  bool Decode(SymbolMap& symbols, TransactionMap& transactions) override;

 private:
  // The current columns, split from a line of the longer layout, in the
  // record's column order.
  void RearrangeLongLayout();
  SymbolFields DecodeSymbol(int32_t kind, int32_t record) const;

  std::string accountId_;
  std::vector<std::string> line_;  // a long-layout line while it is rearranged
};

}  // namespace vo
