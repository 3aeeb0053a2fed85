#include "db/HSymboDAO.h"

#include "db/DbFixture.h"
#include "ledgerdb/DbRowFunction.h"

using namespace vo;

namespace {

class SymbolDaoTest : public DbFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(dao_.init()) << db()->LastError(); }

  void AddSymbol(const std::string& name, const std::string& canonical = "NULL") {
    ASSERT_TRUE(dao_.InsertSymbol({{0, name}, {3, "0"}, {12, name + " Inc"}, {25, canonical}}))
        << db()->LastError();
  }

  HSymboDAO dao_;
};
INSTANTIATE_TEST_SUITE_P(, SymbolDaoTest, BothBackends(), BackendName);

TEST_P(SymbolDaoTest, NameListsResearchSymbolsAndColumnNames) {
  EXPECT_EQ(HSymboDAO::InList({"B", "A"}), " IN ('A', 'B')");
  EXPECT_EQ(HSymboDAO::InList({"O'NEIL"}), " IN ('O''NEIL')");
  EXPECT_EQ(HSymboDAO::ResearchSymbolFor("BRK.B", 0), "BRKB");
  EXPECT_EQ(HSymboDAO::ResearchSymbolFor("AB/C", 1), "ABC.X");
  EXPECT_EQ(HSymboDAO::ResearchSymbolFor("A,B", 2), "AB.X");
  EXPECT_EQ(HSymboDAO::ResearchSymbolFor("SPX", 3), "^SPX");
  EXPECT_EQ(HSymboDAO::ResearchSymbolFor("SPX", 4), "^SPX");
  EXPECT_EQ(HSymboDAO::GetColumnName(27), "sym_last_update");
  EXPECT_EQ(HSymboDAO::GetColumnName(28), "");
  EXPECT_EQ(debug_, std::vector<std::string>{"Invalid column index passed in HSymboDAO::GetColumnName()"});
}

TEST_P(SymbolDaoTest, SymbolsAreListedWithTheirTransactionCounts) {
  AddSymbol("IBM");
  AddSymbol("MSFT");
  EXPECT_FALSE(dao_.InsertSymbol({{0, "IBM"}}));  // names are unique
  Insert("trans_schema", "trans_table", {{"sym_name", "IBM"}, {"acct_id", "7"}});
  Insert("trans_schema", "trans_table", {{"sym_name", "IBM"}, {"acct_id", "8"}});

  std::set<std::string> names{"KEPT"};
  ASSERT_TRUE(dao_.GetSymbolNames(names));
  EXPECT_EQ(names, (std::set<std::string>{"IBM", "KEPT", "MSFT"}));

  DBQueryResult result;
  ASSERT_TRUE(dao_.SelectSymbolsWithTransCount(result, ""));
  EXPECT_EQ(result.getFields()[28], "count_trans_table");
  EXPECT_EQ(Render(result),
            "IBM|||Stock|||||||||IBM Inc||||||||||||||||2\nMSFT|||Stock|||||||||MSFT Inc||||||||||||||||0\n");

  ASSERT_TRUE(dao_.SelectSymbolsWithTransCount(result, "8"));
  ASSERT_EQ(result.size(), 1u);
  EXPECT_EQ(result[0][28], "1");
  // An account is a value, never a condition.
  ASSERT_TRUE(dao_.SelectSymbolsWithTransCount(result, "8 OR 1=1"));
  EXPECT_EQ(result.size(), 0u);

  // The update's streamed rows, counted another way, are the same rows.
  for (const std::string account : {"", "7", "9", "8 OR 1=1"}) {
    ASSERT_TRUE(dao_.SelectSymbolsWithTransCount(result, account));
    std::string streamed;
    DbRowFunction add([&](const std::vector<std::string>& cells) {
      for (size_t i = 0; i < cells.size(); ++i) streamed += (i ? "|" : "") + cells[i];
      streamed += "\n";
    });
    ASSERT_TRUE(dao_.StreamSymbolsWithTransCount(add, account));
    EXPECT_EQ(streamed, Render(result)) << "account '" << account << "'";
  }
}

TEST_P(SymbolDaoTest, SaveSymbolModifiesByNameOrInsertsWithResearchSymbol) {
  AddSymbol("O'NEIL");
  AddSymbol("IBM");
  ASSERT_TRUE(dao_.SaveSymbol("O'NEIL", {{3, "1"}, {12, "renamed"}}));
  ASSERT_TRUE(dao_.SaveSymbol("", {{0, "AB/C"}, {3, "1"}}));
  ASSERT_TRUE(dao_.SaveSymbol("", {{0, "SPX"}, {1, "KEEP"}, {3, "3"}}));
  EXPECT_FALSE(dao_.SaveInactiveSymbol({{12, "no name"}}));
  EXPECT_EQ(Rows(std::string("SELECT sym_name, sym_research, sym_type, sym_desc FROM sym_table ORDER BY ") +
                 TempDatabase::RowOrder()),
            "O'NEIL||1|renamed\nIBM||0|IBM Inc\nAB/C|ABC.X|1|\nSPX|KEEP|3|\n");
}

TEST_P(SymbolDaoTest, CopyAndDeleteTouchOnlyUnmatchedListedSymbols) {
  AddSymbol("A");
  AddSymbol("B");
  AddSymbol("C", "CC");
  ASSERT_TRUE(dao_.CopyUnmatchedToInactive("sym_name" + HSymboDAO::InList({"A"})));
  EXPECT_EQ(Rows("SELECT sym_name FROM inactive_sym_table"), "A\n");
  // A name built to widen the condition matches nothing.
  ASSERT_TRUE(dao_.CopyUnmatchedToInactive("sym_name" + HSymboDAO::InList({"x') OR ('1'='1"})));
  ASSERT_TRUE(dao_.DeleteUnmatched("sym_name" + HSymboDAO::InList({"x') OR ('1'='1"})));
  EXPECT_EQ(Rows("SELECT count(*) FROM inactive_sym_table"), "1\n");
  EXPECT_EQ(Rows("SELECT count(*) FROM sym_table"), "3\n");

  ASSERT_TRUE(dao_.CopyUnmatchedToInactive(""));  // every row, replacing A
  EXPECT_EQ(Rows("SELECT sym_name, sym_vo_sym FROM inactive_sym_table ORDER BY sym_name"),
            "A|\nB|\nC|CC\n");
  ASSERT_TRUE(dao_.DeleteUnmatched(""));
  EXPECT_EQ(Rows("SELECT sym_name FROM sym_table"), "C\n");

  std::map<std::string, std::string> map{{"Z", "old"}};
  ASSERT_TRUE(dao_.GetSymbolMap("inactive_sym_table", map));
  EXPECT_EQ(map, (std::map<std::string, std::string>{{"A", ""}, {"B", ""}, {"C", "CC"}, {"Z", "old"}}));
  EXPECT_FALSE(dao_.GetSymbolMap("no_table", map));
}

TEST_P(SymbolDaoTest, RenameReachesEveryTableAndNeverBlanksANameAfterAFailure) {
  AddSymbol("OLD");
  AddSymbol("ORPHAN");
  ASSERT_TRUE(dao_.CopyUnmatchedToInactive(""));
  ASSERT_TRUE(dao_.SaveInactiveSymbol({{0, "OLD"}, {25, "NEW"}, {26, "42"}}));
  Insert("trans_schema", "trans_table", {{"sym_name", "OLD"}});
  Insert("trans_schema", "trans_table", {{"sym_name", "ORPHAN"}});
  for (const std::string table : {"position", "corp_event", "port"}) {
    Insert(table + "_schema", table + "_table", {{"sym_name", "OLD"}});
  }

  ASSERT_TRUE(Execute(TempDatabase::OnServer()
                          ? "CREATE TRIGGER refuse BEFORE UPDATE ON trans_table FOR EACH ROW "
                            "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'"
                          : "CREATE TRIGGER refuse BEFORE UPDATE ON trans_table BEGIN "
                            "SELECT RAISE(ABORT, 'refused'); END"));
  EXPECT_FALSE(dao_.RenameInTables());
  const std::string names =
      "SELECT 'trans', sym_name FROM trans_table UNION ALL "
      "SELECT 'position', sym_name FROM position_table UNION ALL "
      "SELECT 'corp', sym_name FROM corp_event_table UNION ALL "
      "SELECT 'port', sym_name FROM port_table";
  EXPECT_EQ(Rows(names), "trans|OLD\ntrans|ORPHAN\nposition|NEW\ncorp|NEW\nport|NEW\n");

  ASSERT_TRUE(Execute("DROP TRIGGER refuse"));
  EXPECT_TRUE(dao_.RenameInTables());
  EXPECT_EQ(Rows(names), "trans|NEW\ntrans|ORPHAN\nposition|NEW\ncorp|NEW\nport|NEW\n");
}

}  // namespace
