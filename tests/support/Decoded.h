// One import format's parser run in a test without a database: fed its header
// and lines, with the symbols and transactions it decoded and the run log it
// wrote (read with log.Lines). The parser is made for account "7".
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/SymbolMap.h"
#include "import/TransactionMap.h"
#include "support/ImportRun.h"

template <class Parser>
struct Decoded {
  // Lines the parser refuses are logged and left out, as in an import.
  Decoded(const std::string& header, const std::vector<std::string>& lines) {
    EXPECT_TRUE(parser.MatchesHeader(header)) << header;
    for (const std::string& line : lines) parser.Parse(line);
    EXPECT_TRUE(parser.Decode(symbols, transactions));
  }

  LogCapture log;
  Parser parser{"7"};
  vo::SymbolMap symbols;
  vo::TransactionMap transactions;
};
