#include <gtest/gtest.h>

#include "db/TableColumns.h"
#include "import/formats/VoTransaction.h"
#include "support/Decoded.h"

using namespace vo;

namespace {

// Entries with a value as index=value, then the number of entries.
template <class Fields>
std::string Render(const Fields& fields) {
  std::string text;
  for (const auto& [index, value] : fields) {
    if (!value.empty()) text += std::to_string(index) + "=" + value + " ";
  }
  return text + "(" + std::to_string(fields.size()) + ")";
}

template <class Map>
std::string Render(const Map& map, const char* kind) {
  std::string text;
  map.ForEach([&](std::string_view key, const FieldList& fields) {
    text += std::string(kind) + " " + std::string(key) + ": " + Render(fields) + "\n";
  });
  return text;
}

TEST(VoTransactionTest, DecodesSymbolsAndTransactions) {
  Decoded<VoTransaction> d(kNativeHeader, {
      "1/3/2008,1/6/2008,Sell,-100,IBM,\"INTL BUSINESS MACHINES, CORP\",120.5,9.99,0.01,,,,,"
      "\"(1,234.50)\",Main,T-1,first lot,1",
      "1/4/2008,1/7/2008,Buy,50,IBM,IBM OTHER DESC,118,9.99,,,,,,\"5,909.99\",Main,T-2,,1",
      "1/6/2008,1/9/2008,Transmogrify,10,3M,3M CO,1,,,,,,,10,Main,,,",
  });
  EXPECT_EQ(Render(d.symbols, "symbol"),
            "symbol 3M: 0=3M 1=3M 3=0 6=1 12=3M CO 15=1 16=1 18=0 21=1 24=USD (10)\n"
            "symbol IBM: 0=IBM 1=IBM 3=0 6=1 12=INTL BUSINESS MACHINES, CORP 15=1 16=1 18=0 21=1 "
            "24=USD (10)\n");
  EXPECT_EQ(
      Render(d.transactions, "transaction"),
      "transaction 0: 1=2 2=2 3=1 4=100 5=120.5 6=9.99 7=1/3/2008 8=1/6/2008 10=0.01 13=1234.50 "
      "14=first lot 15=T-1 18=7 21=IBM 28=1 (19)\n"
      "transaction 1: 1=0 2=1 3=1 4=50 5=118 6=9.99 7=1/4/2008 8=1/7/2008 13=5909.99 15=T-2 "
      "18=7 21=IBM 28=1 (19)\n"
      "transaction 2: 1=-2147483648 2=-1 3=-1 4=10 5=1 7=1/6/2008 8=1/9/2008 13=10 18=7 21=3M "
      "(19)\n");
  EXPECT_EQ(d.log.Lines("Error"), "");
}

TEST(VoTransactionTest, ExtraHeaderColumnsWidenTheRecords) {
  // Seventeen columns where nineteen are expected: the two separators that
  // pad the line land inside the Note's unclosed quote.
  Decoded<VoTransaction> d(kNativeHeader + ",Extra", {"1/2/2008,1/2/2008,Buy,1,A,,1,,,,,,,1,,,\"open note,1"});
  EXPECT_EQ(d.transactions.at("0")[TransColumn::kTransNoteUser], "open note,1,,");
  EXPECT_EQ(d.transactions.at("0")[TransColumn::kTransFx], "");
}

}  // namespace
