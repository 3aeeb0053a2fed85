#include "ledgerdb/SqlDialect.h"

#include <gtest/gtest.h>

#include <utility>

using namespace vo;

namespace {

// The statements the library writes in the server's dialect, as SQLite reads
// them: a multi-table update becomes UPDATE ... FROM, a column two joined
// tables share is qualified, the duplicate flag tests the side table.
// Everything else passes unchanged.
TEST(SqlDialectTest, RewritesForSqliteOnlyWhatItReadsOtherwise) {
  const std::pair<const char*, const char*> kRewritten[] = {
      {"UPDATE trans_table voTable, inactive_sym_table symTable SET voTable.sym_name = "
       "symTable.sym_vo_sym WHERE voTable.sym_name = symTable.sym_name",
       "UPDATE trans_table AS voTable SET sym_name = symTable.sym_vo_sym FROM "
       "inactive_sym_table AS symTable WHERE voTable.sym_name = symTable.sym_name"},
      // Without aliases, with two assignments and a function call in a value.
      {"update a, b set a.x = b.x, a.y = coalesce(b.y, 1) where a.id = b.id",
       "UPDATE a SET x = b.x, y = coalesce(b.y, 1) FROM b where a.id = b.id"},
      {"SELECT sym_table.*, COUNT(trans_table.trans_id ) 'count_trans_table'  FROM "
       "sym_table LEFT OUTER JOIN trans_table ON sym_table.sym_name = "
       "trans_table.sym_name  GROUP BY sym_name ",
       "SELECT sym_table.*, COUNT(trans_table.trans_id ) 'count_trans_table'  FROM "
       "sym_table LEFT OUTER JOIN trans_table ON sym_table.sym_name = "
       "trans_table.sym_name  GROUP BY sym_table.sym_name "},
      // Aliased tables qualify with the alias; a column only one table has stays bare.
      {"SELECT a.*, b.sym_type FROM trans_table a, sym_table b WHERE "
       "a.sym_name = b.sym_name ORDER BY sym_name DESC, trans_qty",
       "SELECT a.*, b.sym_type FROM trans_table a, sym_table b WHERE "
       "a.sym_name = b.sym_name ORDER BY a.sym_name DESC, trans_qty"},
      {"select a.trans_id from trans_table a where a.trans_type <> 0 "
       "and a.trans_dup <> 1  order by sym_name",
       "select a.trans_id from trans_table a where a.trans_type <> 0 and a.trans_id NOT IN "
       "(SELECT trans_id FROM trans_dup_table)  order by sym_name"},
      {"select trans_id from trans_table where trans_dup = 1",
       "select trans_id from trans_table where trans_id IN (SELECT trans_id FROM "
       "trans_dup_table)"},
  };
  for (const auto& [sql, rewritten] : kRewritten) EXPECT_EQ(SqlDialect::Rewrite(sql), rewritten) << sql;
  const char* const kUnchanged[] = {
      "REPLACE INTO inactive_sym_table SELECT * FROM sym_table WHERE sym_vo_sym IS NULL AND "
      "sym_name IN ('A', 'B')",
      "SELECT  a.*, b.sym_exp_date, b.sym_type FROM  trans_table a, sym_table b WHERE a.sym_name "
      "= b.sym_name AND b.sym_exp_date < NOW() AND a.trans_id IN (101, 99)",
      "update trans_table set trans_total = 310000000 where trans_id = 7",
      "SELECT sym_name, sym_vo_sym FROM sym_table ",
      "SELECT sym_name FROM sym_table GROUP BY sym_name",
      "SELECT a.sym_name AS sym_name FROM trans_table a, sym_table b ORDER BY sym_name",
      // Quoted text is never rewritten.
      "SELECT 'update a x, b y set x.c = y.d where trans_dup <> 1' FROM sym_table",
      "UPDATE sym_table SET sym_desc = 'a, b' WHERE sym_name = 'O''NEIL'",
      "not sql at all, (",
  };
  for (const char* sql : kUnchanged) EXPECT_EQ(SqlDialect::Rewrite(sql), sql);
}

// The server takes the MySQL dialect as written: only our own duplicate flag
// and an empty IN list change.
TEST(SqlDialectTest, ServerStatementsPassAsWrittenButForTheFlagAndEmptyLists) {
  const std::string update = "UPDATE trans_table t, sym_table s SET t.sym_name = s.sym_vo_sym "
                             "WHERE t.sym_name = s.sym_name";
  EXPECT_EQ(SqlDialect::ForServer(update), update);
  EXPECT_EQ(SqlDialect::ForServer("select a.trans_id from trans_table a where a.trans_dup <> 1 "
                                  "and a.trans_id IN ( ) and sym_name NOT IN ('IN ()')"),
            "select a.trans_id from trans_table a where a.trans_id NOT IN (SELECT trans_id FROM "
            "trans_dup_table) and a.trans_id IN (SELECT NULL FROM DUAL WHERE FALSE) and sym_name "
            "NOT IN ('IN ()')");
}

}  // namespace
