#include "db/HTransDAO.h"

#include "db/DbFixture.h"
#include "db/TransRecord.h"

namespace {

class TransDaoTest : public DbFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.connected()) << db()->LastError();
    Insert("sym_schema", "sym_table",
           {{"sym_name", "IBM090116C00050000"}, {"sym_type", "1"},
            {"sym_exp_date", "1/16/2009 23:59:59"}});
    Insert("sym_schema", "sym_table",
           {{"sym_name", "IBM290119P00050000"}, {"sym_type", "2"},
            {"sym_exp_date", "1/19/2999 23:59:59"}});
  }

  // One transaction through the import's insert; its id is the row count.
  void AddTrans(const std::string& symbol, const std::string& action, const std::string& type,
                const std::string& trade, const std::string& account = "7") {
    TransactionFields fields = {{0, "NULL"},   {1, action}, {2, "1"},        {3, type},
                                {4, "10"},     {5, "1.5"},  {7, trade},      {13, "(1,500.00)"},
                                {18, account}, {21, symbol}, {28, "1"}};
    ASSERT_TRUE(dao_.InsertFields(fields)) << db()->LastError();
  }

  HTransDAO dao_;
};

TEST_F(TransDaoTest, ColumnNamesByIndex) {
  EXPECT_EQ(HTransDAO::GetTransTableName(9), "trans_dtjrnl");
  EXPECT_TRUE(debug_.empty());
  EXPECT_EQ(HTransDAO::GetTransTableName(30), "");
  EXPECT_EQ(HTransDAO::GetTransTableName(-1), "");
  EXPECT_EQ(debug_, std::vector<std::string>(
                        2, "Invalid column index passed in HTransDAO::GetTransTableName()"));
  // A field under an index outside the table is refused with its row.
  EXPECT_FALSE(dao_.InsertFields({{21, "IBM"}, {30, "x"}}));
}

// A record keeps the first thirty cells of a row and only ever replaces them.
TEST_F(TransDaoTest, RecordKeepsAtMostThirtyFields) {
  TransRecord record(std::vector<std::string>(32, "c"));
  record.SetField(4, 12);
  record.SetField(30, "ignored");
  EXPECT_EQ(record.FieldCount(), 30);
  EXPECT_EQ(record.GetField(4) + record.GetField(29) + record.GetField(30), "12c");
  TransRecord shorter(std::vector<std::string>{"1", "2"});
  shorter.SetField(5, 7ul);
  EXPECT_EQ(shorter.FieldCount(), 2);
}

TEST_F(TransDaoTest, ExpiredSelectGivesThirtyTransactionColumnsAndTwoSymbolColumns) {
  AddTrans("IBM090116C00050000", "5", "1", "10/16/2008 10:00:00");
  AddTrans("IBM290119P00050000", "7", "1", "10/16/2008 10:00:00");
  AddTrans("IBM090116C00050000", "9", "2", "10/17/2008 10:00:00");

  DBQueryResult result;
  ASSERT_TRUE(dao_.SelectExpired({{"3", "10"}, {"1", "4"}, {"2", "1"}}, result));
  // The 2999 expiration has not passed; actions are decimal.
  EXPECT_EQ(Render(result),
            "1|5|1|1|10|1.5||2008-10-16 10:00:00||||||-1500|||||7|||IBM090116C00050000|||||||1||"
            "2009-01-16 23:59:59|1\n"
            "3|9|1|2|10|1.5||2008-10-17 10:00:00||||||-1500|||||7|||IBM090116C00050000|||||||1||"
            "2009-01-16 23:59:59|1\n");

  DBQueryResult none;
  EXPECT_TRUE(dao_.SelectExpired({}, none));  // an empty list selects nothing
  EXPECT_EQ(none.size(), 0u);

  // Copying the expiration row stores the transaction's own values only.
  TransRecord record(result[0]);
  record.SetField(1, 17);
  ASSERT_TRUE(dao_.InsertRecord(record)) << db()->LastError();
  EXPECT_EQ(record.GetField(0), "4");
  unsigned long id = 0;
  ASSERT_TRUE(db()->GetLastID(id));
  EXPECT_EQ(id, 4u);
  EXPECT_EQ(Rows("SELECT trans_action, trans_qty, trans_dttrade, trans_total, sym_name, "
                 "trans_recon IS NULL, sym_dup IS NULL, trans_ref_id IS NULL, "
                 "trans_change_date IS NOT NULL FROM trans_table WHERE trans_id = 4"),
            "17|10|2008-10-16 10:00:00|-1500|IBM090116C00050000|1|1|1|1\n");
}

TEST_F(TransDaoTest, SmartTimeSelectAndTradeTimeUpdate) {
  AddTrans("IBM", "0", "1", "1/16/2009 10:00:00", "8");
  AddTrans("IBM", "2", "1", "1/16/2009 10:00:00", "7");
  AddTrans("AAPL", "3", "2", "1/16/2009 09:00:00", "7");

  DBQueryResult result;
  ASSERT_TRUE(dao_.SelectForSmartTime(result, {"1", "2", "3", "99"}));
  EXPECT_EQ(Render(result),
            "3|2009-01-16 09:00:00|AAPL|Short Sell|1|7\n"
            "2|2009-01-16 10:00:00|IBM|Sell|1|7\n"
            "1|2009-01-16 10:00:00|IBM|Buy|1|8\n");

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

TEST_F(TransDaoTest, RecalcSelectSkipsNullTypesAndDuplicatesAndTotalsRoundTrip) {
  AddTrans("IBM", "0", "1", "1/16/2009");
  AddTrans("AAPL", "0", "0", "1/16/2009");  // TransTypeNull
  AddTrans("AAPL", "0", "1", "1/16/2009");
  Insert("trans_dup_schema", "trans_dup_table", {{"trans_id", "3"}});

  DBQueryResult result;
  ASSERT_TRUE(dao_.SelectForRecalc(result));
  EXPECT_EQ(Render(result), "1|2009-01-16 00:00:00|IBM|0|10|1.5|||||||1|-1500|\n");

  ASSERT_TRUE(dao_.UpdateWhere("trans_total = 310000000", "trans_id = 1"));
  EXPECT_FALSE(dao_.UpdateWhere("trans_total = ", "trans_id = 1"));
  ASSERT_TRUE(dao_.SelectForRecalc(result));
  EXPECT_EQ(result[0][13], "310");

  // Deleting a transaction drops its duplicate flag with it.
  ASSERT_TRUE(Execute("DELETE FROM trans_table WHERE trans_id = 3"));
  EXPECT_EQ(Rows("SELECT count(*) FROM trans_dup_table"), "0\n");
}

}  // namespace
