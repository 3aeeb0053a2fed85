#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "import/SymbolMap.h"
#include "import/TransactionMap.h"

using namespace vo;

namespace {

// Keys that share long starts, differ only past 24 bytes or in length, repeat,
// and hold bytes above 0x7F, which order after every ASCII byte.
std::vector<std::string> AwkwardKeys() {
  std::vector<std::string> keys = {"",
                                   "0",
                                   "10",
                                   "2",
                                   "Opening Rec #12",
                                   "Opening Rec #120",
                                   "Opening Rec #1200000",
                                   "Opening Rec #1200001",
                                   "Opening Rec #12\x80",
                                   std::string("a\0b", 3),
                                   "a",
                                   "\xC3\xA9t\xC3\xA9",
                                   "z",
                                   "123 BOUGHT 100 AAPL AT MARKET, 2nd lot",
                                   "123 BOUGHT 100 AAPL AT MARKET, 1st lot",
                                   "123 BOUGHT 100 AAPL AT MARKET",
                                   "123 BOUGHT 100 AAPL AT MARKET, 1st lot"};
  std::mt19937 random(7);
  for (int i = 0; i < 2000; ++i) keys.push_back("Rec #" + std::to_string(random() % 500));
  return keys;
}

// Stored and read back in order, the maps agree with a std::map given the
// same steps: byte-wise key order, the last transaction of a key and the
// first symbol of a name kept, every field (long texts, indexes outside the
// columns) intact.
TEST(DecodedMapsTest, AgreeWithAnOrderedMap) {
  TransactionMap transactions;
  SymbolMap symbols;
  std::map<std::string, FieldList> lastOfKey;
  std::map<std::string, FieldList> firstOfName;
  int step = 0;
  for (const std::string& key : AwkwardKeys()) {
    FieldList fields{
        {1, std::to_string(step)}, {21, key}, {-5, "outside"}, {29, std::string(300, 'x')}};
    if (step % 3 == 0) fields.erase(29);
    transactions.insert_or_assign(key, fields);
    lastOfKey.insert_or_assign(key, fields);
    EXPECT_EQ(symbols.emplace(key, fields), firstOfName.emplace(key, fields).second) << key;
    ++step;
  }

  auto expectSame = [](const auto& map, const std::map<std::string, FieldList>& expected) {
    ASSERT_EQ(map.size(), expected.size());
    auto next = expected.begin();
    map.ForEach([&next](std::string_view key, const FieldList& fields) {
      EXPECT_EQ(key, next->first);
      EXPECT_TRUE(fields == next->second) << "fields of " << key;
      ++next;
    });
    EXPECT_EQ(next, expected.end());
  };
  expectSame(transactions, lastOfKey);
  expectSame(symbols, firstOfName);

  EXPECT_TRUE(transactions.at("Rec #7") == lastOfKey.at("Rec #7"));
  EXPECT_TRUE(symbols.at("Rec #7") == firstOfName.at("Rec #7"));
  EXPECT_TRUE(symbols.contains("Opening Rec #12"));
  EXPECT_FALSE(symbols.contains("Opening Rec #1"));
  EXPECT_THROW(transactions.at("Rec #500"), std::out_of_range);
  EXPECT_THROW(symbols.at("missing"), std::out_of_range);

  transactions.clear();
  EXPECT_TRUE(transactions.empty());
  EXPECT_EQ(transactions.size(), 0u);
}

}  // namespace
