#include "db/HTransDAO.h"

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "db/DbFixture.h"
#include "ledgerdb/DbRowFunction.h"
#include "ledgerdb/DbRowRewriteFunction.h"
#include "ledgerdb/DbTransaction.h"

using namespace vo;

namespace {

class TransDaoTest : public DbFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(temp_.connected()) << db()->LastError(); }

  // One transaction through the import's insert; its id is the row count.
  void AddTrans(const std::string& symbol, const std::string& action, const std::string& type,
                const std::string& trade) {
    TransactionFields fields = {{0, "NULL"}, {1, action},  {2, "1"},  {3, type},
                                {4, "10"},   {5, "1.5"},   {7, trade}, {13, "(1,500.00)"},
                                {18, "7"},   {21, symbol}, {28, "1"}};
    ASSERT_TRUE(dao_.InsertFields(fields)) << db()->LastError();
  }

  HTransDAO dao_;
};
INSTANTIATE_TEST_SUITE_P(, TransDaoTest, BothBackends(), BackendName);

TEST_P(TransDaoTest, ColumnNamesByIndex) {
  EXPECT_EQ(HTransDAO::GetTransTableName(9), "trans_dtjrnl");
  EXPECT_TRUE(debug_.empty());
  EXPECT_EQ(HTransDAO::GetTransTableName(30), "");
  EXPECT_EQ(HTransDAO::GetTransTableName(-1), "");
  EXPECT_EQ(debug_, std::vector<std::string>(
                        2, "Invalid column index passed in HTransDAO::GetTransTableName()"));
  // A field under an index outside the table is refused with its row.
  EXPECT_FALSE(dao_.InsertFields({{21, "IBM"}, {30, "x"}}));
}

// The smart-time select is shown by the maintenance tests; the update's
// settlement and note rules are not reachable from there.
TEST_P(TransDaoTest, TradeTimeUpdateMovesSettlementAndKeepsAnEmptyNote) {
  AddTrans("IBM", "0", "1", "1/16/2009 10:00:00");
  AddTrans("IBM", "2", "1", "1/16/2009 10:00:00");

  DBData moved("trans_schema");
  moved.SetField("trans_id", "1");
  moved.SetField("trans_dttrade", "2009-01-16 09:59:59");
  moved.SetField("trans_note_user", "01/16/2009 10:00:00");
  ASSERT_TRUE(dao_.UpdateTradeTime(moved)) << db()->LastError();
  moved.SetField("trans_id", "2");
  moved.SetField("trans_note_user", "");
  ASSERT_TRUE(Execute("update trans_table set trans_note_user = 'kept' where trans_id = 2"));
  ASSERT_TRUE(dao_.UpdateTradeTime(moved)) << db()->LastError();
  EXPECT_EQ(Rows("SELECT trans_id, trans_dttrade, trans_dtsettle, trans_note_user FROM "
                 "trans_table WHERE trans_id IN (1, 2)"),
            "1|2009-01-16 09:59:59|2009-01-16 09:59:59|01/16/2009 10:00:00\n"
            "2|2009-01-16 09:59:59|2009-01-16 09:59:59|kept\n");

  moved.SetField("trans_dttrade", "not a time");  // never wipes the stored time
  EXPECT_FALSE(dao_.UpdateTradeTime(moved));
  EXPECT_EQ(Rows("SELECT trans_dttrade FROM trans_table WHERE trans_id = 2"),
            "2009-01-16 09:59:59\n");
}

TEST_P(TransDaoTest, RecalcSelectSkipsNullTypesAndDuplicatesAndTotalsRoundTrip) {
  AddTrans("IBM", "0", "1", "1/16/2009");
  AddTrans("AAPL", "0", "0", "1/16/2009");  // TransTypeNull
  AddTrans("AAPL", "0", "1", "1/16/2009");
  Insert("trans_dup_schema", "trans_dup_table", {{"trans_id", "3"}});

  DBQueryResult result;
  ASSERT_TRUE(dao_.SelectForRecalc(result));
  EXPECT_EQ(Render(result), "1|2009-01-16 00:00:00|IBM|0|10|1.5|||||||1|-1500|\n");

  ASSERT_TRUE(dao_.UpdateWhere("trans_total = 310000000", "trans_id = 1"));
  EXPECT_FALSE(dao_.UpdateWhere("trans_total = ", "trans_id = 1"));
  // The keyed total update takes numbers only, never a condition.
  EXPECT_FALSE(dao_.UpdateTotal("1 OR 1=1", "5"));
  ASSERT_TRUE(dao_.SelectForRecalc(result));
  EXPECT_EQ(result[0][13], "310");
  // Several totals in one statement, each to its own row; one bad text refuses them all.
  EXPECT_FALSE(dao_.UpdateTotals({{"1", "1"}, {"3", "x"}}));
  EXPECT_FALSE(dao_.UpdateTotals({{"99999999999999999999", "1"}}));
  // An id is a number however it is written.
  ASSERT_TRUE(dao_.UpdateTotals({{"003", "7000000"}, {"1", "-2500000"}}));
  EXPECT_EQ(Rows("SELECT trans_id, trans_total FROM trans_table ORDER BY trans_id"), "1|-2.5\n2|-1500\n3|7\n");

  // Deleting a transaction drops its duplicate flag with it.
  ASSERT_TRUE(Execute("DELETE FROM trans_table WHERE trans_id = 3"));
  EXPECT_EQ(Rows("SELECT count(*) FROM trans_dup_table"), "0\n");
}

// A batch of rewrites in any order, one id twice (its first rewrite is the
// one written), of a size that halves unevenly: each row gets its own values.
TEST_P(TransDaoTest, RewritesEachRowItsOwnNameAndTotal) {
  for (int i = 1; i <= 23; ++i) AddTrans("S" + std::to_string(i), "0", "1", "1/16/2009");
  std::vector<HTransDAO::Rewrite> rows;
  std::map<int, std::string> expected;
  for (int id : {17, 3, 23, 1, 9, 12, 2, 20, 5, 14, 7, 11, 3, 22, 18}) {
    const std::string name = "N" + std::to_string(id) + "_" + std::to_string(rows.size());
    rows.push_back({std::to_string(id), name, std::to_string(id * 1000000)});
    expected.emplace(id, name + "|" + std::to_string(id));
  }
  ASSERT_TRUE(dao_.UpdateRows(rows)) << db()->LastError();
  std::string table;
  for (int id = 1; id <= 23; ++id) {
    auto it = expected.find(id);
    table += std::to_string(id) + "|" + (it != expected.end() ? it->second : "S" + std::to_string(id) + "|-1500") + "\n";
  }
  EXPECT_EQ(Rows("SELECT trans_id, sym_name, trans_total FROM trans_table ORDER BY trans_id"), table);
}

// The pass of the symbol update as one statement: the rewriter sees the
// stream's cells, only the rows it changes are written (a total set as text
// stores as a number), and a rewrite that fails part way writes nothing. A
// server has no such statement and refuses it without writing.
TEST_P(TransDaoTest, RewriteInPlaceSeesTheStreamsCellsAndWritesAllOrNothing) {
  AddTrans("IBM", "0", "1", "1/16/2009");
  AddTrans("AAPL", "0", "0", "1/16/2009");  // not recalculated: no type
  AddTrans("AAPL", "0", "1", "1/16/2009");
  Insert("trans_dup_schema", "trans_dup_table", {{"trans_id", "3"}});
  AddTrans("MSFT", "0", "1", "1/16/2009");
  const std::string before = "1|IBM|-1500\n2|AAPL|-1500\n3|AAPL|-1500\n4|MSFT|-1500\n";
  const std::string query = "SELECT trans_id, sym_name, trans_total FROM trans_table ORDER BY trans_id";

  std::vector<std::vector<std::string>> streamed, seen;
  DbRowFunction stream([&](const std::vector<std::string>& cells) { streamed.push_back(cells); });
  ASSERT_TRUE(dao_.StreamForRenameAndRecalc(stream, HTransDAO::Renames::kByCaller));
  DbRowRewriteFunction rewrite([&](const std::vector<std::string>& cells, std::vector<std::optional<std::string>>& values) {
    seen.push_back(cells);
    if (cells[0] == "1") values[0] = "IBM.V";
    if (cells[0] == "4") values[1] = "7000000";
  });
  if (!dao_.RewritesInPlace()) {
    EXPECT_FALSE(dao_.RewriteForRenameAndRecalc(rewrite));
    EXPECT_EQ(Rows(query), before);
    return;
  }
  ASSERT_TRUE(dao_.RewriteForRenameAndRecalc(rewrite)) << db()->LastError();
  EXPECT_EQ(seen, streamed);
  const std::string after = "1|IBM.V|-1500\n2|AAPL|-1500\n3|AAPL|-1500\n4|MSFT|7\n";
  EXPECT_EQ(Rows(query), after);
  EXPECT_EQ(Rows("SELECT typeof(trans_total) FROM trans_table WHERE trans_id = 4"), "integer\n");
  // With a trigger SQLite chooses every row before assigning any: the rows
  // chosen wait for their values all the same.
  ASSERT_TRUE(Execute("CREATE TEMP TRIGGER later AFTER UPDATE ON trans_table BEGIN SELECT 1; END"));
  DbRowRewriteFunction several([&](const std::vector<std::string>& cells, std::vector<std::optional<std::string>>& values) {
    if (cells[0] != "3") values[1] = cells[0] + "000000";
  });
  ASSERT_TRUE(dao_.RewriteForRenameAndRecalc(several)) << db()->LastError();
  ASSERT_TRUE(Execute("DROP TRIGGER later"));
  EXPECT_EQ(Rows(query), "1|IBM.V|1\n2|AAPL|2\n3|AAPL|-1500\n4|MSFT|4\n");

  // Read ahead: a thread of the engine's decides the rows from the file as
  // last committed. Its decisions are taken only for the rows the statement
  // reads alike; a row the caller's transaction changed, or removed from the
  // end, makes the rewrite forget them and ask again on the caller's thread.
  int restarts = 0;
  std::vector<std::thread::id> threads;
  seen.clear();
  DbRowRewriteFunction ahead(
      [&](const std::vector<std::string>& cells, std::vector<std::optional<std::string>>& values) {
        seen.push_back(cells);
        threads.push_back(std::this_thread::get_id());
        values[1] = cells[4] + "000000";  // the quantity
      },
      [&] {
        ++restarts;
        seen.clear();
        threads.clear();
      });
  streamed.clear();
  ASSERT_TRUE(dao_.StreamForRenameAndRecalc(stream, HTransDAO::Renames::kByCaller));
  ASSERT_TRUE(dao_.RewriteForRenameAndRecalc(ahead)) << db()->LastError();
  EXPECT_EQ(seen, streamed);
  EXPECT_EQ(restarts, 0);
  EXPECT_EQ(std::count(threads.begin(), threads.end(), std::this_thread::get_id()), 0);
  const std::string tens = "1|IBM.V|10\n2|AAPL|10\n3|AAPL|10\n4|MSFT|10\n";
  EXPECT_EQ(Rows(query), tens);
  {
    DbTransaction removing;
    ASSERT_TRUE(Execute("DELETE FROM trans_table WHERE trans_id = 4"));
    ASSERT_TRUE(dao_.RewriteForRenameAndRecalc(ahead)) << db()->LastError();
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(seen.size(), 3u);
  }
  {
    DbTransaction changing;
    ASSERT_TRUE(Execute("UPDATE trans_table SET trans_qty = '20' WHERE trans_id = 2"));
    ASSERT_TRUE(dao_.RewriteForRenameAndRecalc(ahead)) << db()->LastError();
    EXPECT_EQ(restarts, 2);
    EXPECT_EQ(threads, std::vector<std::thread::id>(4, std::this_thread::get_id()));
    EXPECT_EQ(Rows(query), "1|IBM.V|10\n2|AAPL|20\n3|AAPL|10\n4|MSFT|10\n");
  }
  EXPECT_EQ(Rows(query), tens);

  // A rewriter that throws on the reading thread meets the same failure
  // again on the caller's, and nothing is written.
  DbRowRewriteFunction failing(
      [&](const std::vector<std::string>& cells, std::vector<std::optional<std::string>>& values) {
        values[0] = "LOST";
        if (cells[0] == "3") throw std::runtime_error("no");
      },
      [] {});
  EXPECT_FALSE(dao_.RewriteForRenameAndRecalc(failing));
  EXPECT_EQ(Rows(query), tens);
}

}  // namespace
