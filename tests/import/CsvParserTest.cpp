#include <gtest/gtest.h>

#include "db/TableColumns.h"
#include "import/CsvParser.h"
#include "support/ImportRun.h"

using namespace vo;

namespace {

// A three-column format whose middle column is a number; Decode keeps the
// cleaned amount and the name of every record under its index.
class AmountParser : public CsvParser {
 public:
  explicit AmountParser(const std::string& header = "Date,Amount,Name")
      : CsvParser("Amounts", header, ',') {
    numericColumns_ = {1, 7};
  }
  bool Decode(SymbolMap&, TransactionMap& transactions) override {
    for (size_t i = 0; SelectRecord(i); ++i) {
      transactions.insert_or_assign(std::to_string(i),
                                    {{TransColumn::kTransTotal, Column(1)},
                                     {TransColumn::kTransNoteUser, Column(2) + Column(9)}});
    }
    return true;
  }
};

std::string Render(const TransactionMap& transactions) {
  std::string text;
  transactions.ForEach([&text](std::string_view key, const TransactionFields& fields) {
    text += std::string(key) + ":";
    for (const auto& [index, value] : fields) text += " " + std::to_string(index) + "=" + value;
    text += "\n";
  });
  return text;
}

TEST(CsvParserTest, RefusesWrongColumnCountWithTheRecordNumber) {
  LogCapture log;
  AmountParser parser;
  EXPECT_FALSE(parser.Parse("1/2/2008,\"(1,234.50)\",Widgets, Inc"));
  EXPECT_TRUE(parser.Parse("1/2/2008,\"(1,234.50)\",\"Widgets, Inc\""));
  EXPECT_FALSE(parser.Parse("1/3/2008,5"));
  EXPECT_TRUE(parser.Parse("1/4/2008,+12,Gadgets"));
  EXPECT_EQ(parser.RecordCount(), 2u);
  EXPECT_EQ(log.Lines("Error"),
            "Record 0001 CsvParser::Parse - Unexpected number of columns.\n"
            "Record 0002 CsvParser::Parse - Unexpected number of columns.\n");

  SymbolMap symbols;
  TransactionMap transactions;
  ASSERT_TRUE(parser.Decode(symbols, transactions));
  EXPECT_EQ(Render(transactions), "0: 13=1234.50 14=Widgets, Inc\n1: 13=12 14=Gadgets\n");

  parser.ReleaseRecords();
  EXPECT_EQ(parser.RecordCount(), 0u);

  // A separator inside quotes of the header counts too: this header has four columns.
  AmountParser quoted("Date,\"Amount, USD\",Name");
  EXPECT_FALSE(quoted.Parse("1/2/2008,5,Name"));
  EXPECT_TRUE(quoted.Parse("1/2/2008,5,,Name"));
}

TEST(CsvParserTest, RecordsKeepColumnsOfAnyLength) {
  AmountParser parser;
  const std::string names[] = {std::string(127, 'a'), std::string(128, 'b'), std::string(70000, 'n'), ""};
  for (const std::string& name : names) ASSERT_TRUE(parser.Parse("d,1," + name));
  SymbolMap symbols;
  TransactionMap transactions;
  parser.Decode(symbols, transactions);
  ASSERT_EQ(transactions.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(transactions.at(std::to_string(i))[TransColumn::kTransNoteUser], names[i]) << i;
  }
}

}  // namespace
