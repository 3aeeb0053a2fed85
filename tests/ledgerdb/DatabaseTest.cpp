#include "ledgerdb/Database.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DbTransaction.h"
#include "support/Backends.h"
#include "support/Rows.h"
#include "support/StoredState.h"
#include "support/TempDatabase.h"

using namespace vo;

namespace {

class DatabaseTest : public BackendTest {
 protected:
  Database* db() { return Database::Instance(); }

  bool InsertTrans(const std::map<std::string, std::string>& fields) {
    return !StoreRow("trans_schema", "trans_table", fields).empty();
  }

  TempDatabase temp_;
};
INSTANTIATE_TEST_SUITE_P(, DatabaseTest, BothBackends(), BackendName);

// What only a server database, or only an SQLite file, has.
#ifdef VO_WITH_MARIADB
class DatabaseServerTest : public DatabaseTest {};
INSTANTIATE_TEST_SUITE_P(, DatabaseServerTest, testing::Values(Backend::kMariaDb), BackendName);
#endif
class DatabaseFileTest : public DatabaseTest {};
INSTANTIATE_TEST_SUITE_P(, DatabaseFileTest, testing::Values(Backend::kSqlite), BackendName);

TEST_P(DatabaseTest, ValuesAreStoredInTheirFormsAndReadBackAsText) {
  ASSERT_TRUE(InsertTrans({{"trans_id", "NULL"},
                           {"trans_action", "2"},
                           {"trans_dttrade", "1/16/09 9:30:00"},
                           {"trans_dtsettle", ""},
                           {"trans_total", "$1,250.50"},
                           {"trans_unitprice", "$25.00"},
                           {"trans_note_user", "NULL"},
                           {"sym_name", "IBM"}}))
      << db()->LastError();
  EXPECT_EQ(Rows("SELECT trans_total + 0, trans_action + 0, trans_dttrade, trans_dtsettle IS NULL, "
                 "trans_note_user IS NULL FROM trans_table"),
            "1250500000|2|2009-01-16 09:30:00|1|1\n");
  EXPECT_EQ(Rows("SELECT trans_total, trans_unitprice, trans_dtsettle, trans_note_user, sym_name "
                 "FROM trans_table"),
            "1250.5|$25.00|||IBM\n");
}

TEST_P(DatabaseTest, ValuesThatCannotTakeTheirStoredFormFailTheWrite) {
  const std::pair<const char*, const char*> kBad[] = {
      {"trans_dttrade", "someday"}, {"trans_dtsettle", "2/30/2009"}, {"trans_total", "12abc"},
      {"trans_total", "N/A"},       {"trans_action", "Buy"},         {"no_such_column", "1"},
  };
  for (const auto& [column, value] : kBad) {
    EXPECT_FALSE(InsertTrans({{"sym_name", "IBM"}, {column, value}})) << column << "=" << value;
    EXPECT_NE(db()->LastError().find(column), std::string::npos) << db()->LastError();
  }
  EXPECT_FALSE(db()->insert(DBData("sym_schema"), "trans_table", false));
  EXPECT_FALSE(db()->insert(DBData("trans_schema"), "no_table", false));
  EXPECT_EQ(Rows("SELECT count(*) FROM trans_table"), "0\n");

  ASSERT_TRUE(InsertTrans({{"sym_name", "IBM"}, {"trans_total", "5"}}));
  DBData update("trans_schema");
  update.SetField("trans_total", "five");
  EXPECT_FALSE(db()->modify(update, "trans_table", "trans_id = 1"));
  update.SetField("trans_total", "6");
  EXPECT_FALSE(db()->modify(update, "trans_table", " "));  // never every row by accident
  EXPECT_EQ(Rows("SELECT trans_total FROM trans_table"), "5\n");
  EXPECT_TRUE(db()->modify(update, "trans_table", "trans_id = 1"));
  EXPECT_EQ(Rows("SELECT trans_total FROM trans_table"), "6\n");

  // The keyed update with fields by column position (of sym_table: 3 sym_type,
  // 25 sym_vo_sym) refuses what the named one refuses, and a position
  // outside the table or out of order.
  DBData symbol("sym_schema");
  symbol.SetField("sym_name", "IBM");
  ASSERT_TRUE(db()->insert(symbol, "sym_table", false));
  const std::vector<ColumnValue> refused[] = {{{3, "x"}}, {{99, "1"}}, {{25, "A"}, {3, "1"}}, {}};
  for (const std::vector<ColumnValue>& fields : refused) {
    EXPECT_FALSE(db()->modify(fields, "sym_table", "sym_name", "IBM")) << fields.size();
  }
  const std::vector<ColumnValue> fields{{3, "1"}, {25, "IBM.V"}};
  EXPECT_TRUE(db()->modify(fields, "sym_table", "sym_name", "IBM"));
  EXPECT_EQ(Rows("SELECT sym_type, sym_vo_sym FROM sym_table"), "1|IBM.V\n");
}

TEST_P(DatabaseTest, EnumerationCellsFollowTheQueryFlagsAndStatementsRunOneAtATime) {
  ASSERT_TRUE(InsertTrans({{"trans_action", "2"}, {"trans_pos", "2"}, {"sym_name", "IBM"}}));
  ASSERT_TRUE(InsertTrans({{"trans_action", "999"}, {"trans_pos", "1"}, {"sym_name", "IBM"}}));
  DBData symbol("sym_schema");
  symbol.SetField("sym_name", "IBM");
  symbol.SetField("sym_type", 1);
  ASSERT_TRUE(db()->insert(symbol, "sym_table", false));

  const std::string sql =
      "SELECT a.trans_action, a.trans_pos, b.sym_type FROM trans_table a, sym_table b "
      "WHERE a.sym_name = b.sym_name ORDER BY a.trans_id";
  EXPECT_EQ(Rows(sql, true), "Sell|2|Call Option (Equity)\n999|1|Call Option (Equity)\n");
  EXPECT_EQ(Rows(sql), "2|2|1\n999|1|1\n");
  unsigned long id = 0;
  ASSERT_TRUE(db()->Query(id, sql));  // the two-argument form reads friendly strings
  DBQueryResult result;
  ASSERT_TRUE(db()->GetQueryResult(id, result));
  ASSERT_TRUE(db()->DeleteQuery(id));
  EXPECT_FALSE(db()->DeleteQuery(id));
  EXPECT_EQ(Render(result), "Sell|2|Call Option (Equity)\n999|1|Call Option (Equity)\n");
  EXPECT_EQ(result.getFields()[2], "sym_type");

  EXPECT_EQ(Rows("SELECT count(*) FROM trans_table; DELETE FROM trans_table").substr(0, 6), "FAILED");
  EXPECT_EQ(Rows("SELECT nothing FROM trans_table").substr(0, 6), "FAILED");
  EXPECT_EQ(Rows("SELECT count(*) FROM trans_table"), "2\n");
}

TEST_P(DatabaseTest, TransactionsCommitRollBackAndNest) {
  {
    DbTransaction transaction;
    ASSERT_TRUE(transaction.active());
    ASSERT_TRUE(InsertTrans({{"sym_name", "LOST"}}));
  }  // no commit: rolled back
  {
    DbTransaction outer;
    ASSERT_TRUE(InsertTrans({{"sym_name", "KEPT"}}));
    {
      DbTransaction inner;
      ASSERT_TRUE(inner.active());
      ASSERT_TRUE(InsertTrans({{"sym_name", "INNER"}}));
    }
    EXPECT_TRUE(outer.Commit());
    EXPECT_FALSE(outer.Commit());
  }
  EXPECT_EQ(Rows("SELECT sym_name FROM trans_table"), "KEPT\n");
  EXPECT_FALSE(db()->CommitTransaction());
  EXPECT_FALSE(db()->RollbackTransaction());
}

TEST_P(DatabaseTest, SecondWriterWaitsThenFailsCleanly) {
#ifdef VO_WITH_MARIADB
  if (TempDatabase::OnServer()) {
    // On a server writers lock rows: another client's uncommitted update of a
    // row makes ours wait for the timeout and fail, and leaves no transaction open.
    ASSERT_TRUE(InsertTrans({{"trans_id", "1"}, {"sym_name", "A"}}));
    mariadb_test::Connection other(temp_.file());
    ASSERT_TRUE(other.Run("START TRANSACTION"));
    ASSERT_TRUE(other.Run("UPDATE trans_table SET sym_name = 'B' WHERE trans_id = 1"));
    db()->SetBusyTimeout(1000);
    DBData update("trans_schema");
    update.SetField("sym_name", "C");
    {
      DbTransaction transaction;
      ASSERT_TRUE(transaction.active());
      EXPECT_FALSE(db()->modify(update, "trans_table", "trans_id = 1"));
      EXPECT_NE(db()->LastError().find("Lock wait timeout"), std::string::npos) << db()->LastError();
    }
    ASSERT_TRUE(other.Run("ROLLBACK"));
    EXPECT_TRUE(db()->modify(update, "trans_table", "trans_id = 1"));
    EXPECT_EQ(Rows("SELECT sym_name FROM trans_table"), "C\n");
    return;
  }
#endif
  StoredState other(temp_.file());
  ASSERT_EQ(other.Rows("BEGIN IMMEDIATE"), "");
  db()->SetBusyTimeout(100);
  {
    DbTransaction transaction;
    EXPECT_FALSE(transaction.active());
    EXPECT_FALSE(transaction.Commit());
  }
  EXPECT_FALSE(InsertTrans({{"sym_name", "A"}}));
  EXPECT_NE(db()->LastError().find("locked"), std::string::npos) << db()->LastError();
  ASSERT_EQ(other.Rows("ROLLBACK"), "");

  DbTransaction transaction;
  EXPECT_TRUE(transaction.active());
  EXPECT_TRUE(InsertTrans({{"sym_name", "A"}}));
  EXPECT_TRUE(transaction.Commit());
}

TEST_P(DatabaseTest, NowIsLocalStandardTimeInTheStoredForm) {
  auto localText = [] {
    std::time_t now = std::time(nullptr) - timezone;  // seconds west of UTC, no daylight saving
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return std::string(text) + "\n";
  };
  tzset();
  std::string before = localText();
  std::string now = Rows("SELECT NOW()");
  std::string after = localText();
  EXPECT_LE(before, now);
  EXPECT_LE(now, after);
}

#ifdef VO_WITH_MARIADB
TEST_P(DatabaseServerTest, OpensTheNamedServerDatabaseAndExplainsWhyNot) {
  ASSERT_TRUE(temp_.connected()) << db()->LastError();
  EXPECT_EQ(Rows("SELECT table_name, engine, table_collation FROM information_schema.tables "
                 "WHERE table_schema = DATABASE() AND table_name IN ('trans_table', 'vo_database') "
                 "ORDER BY table_name"),
            "trans_table|InnoDB|utf8mb4_nopad_bin\nvo_database|InnoDB|utf8mb4_nopad_bin\n");
  EXPECT_EQ(Rows("SELECT column_name, data_type FROM information_schema.columns "
                 "WHERE table_schema = DATABASE() AND table_name = 'trans_table' AND "
                 "column_name IN ('trans_id', 'trans_total', 'trans_action') ORDER BY column_name"),
            "trans_action|bigint\ntrans_id|bigint\ntrans_total|bigint\n");
  bool created = true;
  Database::Destruct();
  EXPECT_TRUE(db()->init("vo_db", "", "root", nullptr, 0, created));
  EXPECT_FALSE(created);

  // A server that drops the connection: no silent reconnect, a clear error.
  std::string id = Rows("SELECT CONNECTION_ID()");
  ASSERT_TRUE(mariadb_test::Connection(temp_.file()).Run("KILL CONNECTION " + id));
  std::string afterKill = Rows("SELECT count(*) FROM trans_table");
  EXPECT_NE(afterKill.find("went away"), std::string::npos) << afterKill;

  mariadb_test::ScratchDatabase foreign;
  ASSERT_TRUE(foreign.ok()) << foreign.error();
  ASSERT_TRUE(mariadb_test::Connection(foreign.url()).Run("CREATE TABLE accounts (id INT)"));
  const std::pair<std::string, std::string> kRefused[] = {
      {mariadb_test::UrlFor("vo_no_such_database"), "no database 'vo_no_such_database'"},
      {foreign.url(), "has tables but is not a VO database"},
      {"mariadb://localhost", "bad database URL"},
      {"mariadb:///x?socket=/nonexistent/mysqld.sock", "cannot connect"},
  };
  for (const auto& [url, reason] : kRefused) {
    Database::Destruct();
    setenv("VO_DB", url.c_str(), 1);
    EXPECT_FALSE(db()->init("vo_db", "", "root", nullptr, 0, created)) << url;
    EXPECT_FALSE(db()->IsConnected());
    EXPECT_NE(db()->LastError().find(reason), std::string::npos) << db()->LastError();
  }
  // A login the server refuses: a user that does not exist.
  std::string url = foreign.url();
  url.replace(url.find("://") + 3, url.find('@') - url.find("://") - 3, "vo_nobody:wrong");
  Database::Destruct();
  setenv("VO_DB", url.c_str(), 1);
  EXPECT_FALSE(db()->init("vo_db", "", "root", nullptr, 0, created));
  EXPECT_NE(db()->LastError().find("login refused"), std::string::npos) << db()->LastError();
  EXPECT_EQ(db()->LastError().find("wrong"), std::string::npos);  // the password is never shown
}

// TLS as the URL asks for it, against a server whose certificate a CA of its
// own signed and one that offers no TLS: required TLS is encrypted and, unless
// insecure, verified, or the connection is refused.
TEST_P(DatabaseServerTest, RequiredTlsIsEncryptedAndVerifiedOrRefused) {
  mariadb_test::TcpServer signedServer("tls");
  mariadb_test::TcpServer plainServer("plain");
  ASSERT_FALSE(signedServer.url().empty()) << signedServer.output();
  ASSERT_FALSE(plainServer.url().empty()) << plainServer.output();
  // "encrypted" or "plain" as the session sees it, or why it was refused.
  auto open = [&](const std::string& url) -> std::string {
    Database::Destruct();
    setenv("VO_DB", url.c_str(), 1);
    bool created = false;
    if (!db()->init("vo_db", "", "root", nullptr, 0, created)) return "refused: " + db()->LastError();
    const std::string cipher = Rows("SHOW SESSION STATUS LIKE 'Ssl_cipher'");
    return cipher == "Ssl_cipher|\n" ? "plain" : cipher.starts_with("Ssl_cipher|") ? "encrypted" : cipher;
  };
  const std::string ca = "?tls-ca=" + signedServer.ca();
  const std::pair<std::string, std::string> cases[] = {
      {signedServer.url() + ca, "encrypted"},
      {signedServer.url() + "?tls=on", "certificate"},  // no system CA signed it
      {signedServer.url() + "?tls=insecure", "encrypted"},
      {plainServer.url(), "plain"},
      {plainServer.url() + "?tls=on", "refused"},
      {plainServer.url() + "?tls=insecure", "the server does not offer it"},
  };
  for (const auto& [url, expected] : cases) {
    const std::string got = open(url);
    EXPECT_NE(got.find(expected), std::string::npos) << url << ": " << got;
  }
}
#else
// Built without the server backend: a server database is refused, for
// reading too, with the reason, and the file opens afterwards as before.
TEST_P(DatabaseFileTest, ServerDatabasesAreRefusedWithTheReason) {
  ASSERT_TRUE(temp_.connected()) << db()->LastError();
  const std::string reason = "this build of voservices has no MariaDB support (built with VO_WITH_MARIADB=OFF)";
  for (const char* url : {"mariadb://vo@localhost/vo", "mariadb:///vo?socket=/run/mysqld/mysqld.sock"}) {
    Database::Destruct();
    setenv("VO_DB", url, 1);
    bool created = true;
    EXPECT_FALSE(db()->init("vo_db", "", "root", nullptr, 0, created)) << url;
    EXPECT_FALSE(created);
    EXPECT_FALSE(db()->IsConnected());
    EXPECT_EQ(db()->LastError(), reason);
    Database::Destruct();
    EXPECT_FALSE(db()->initToRead()) << url;
    EXPECT_EQ(db()->LastError(), reason);
  }
  Database::Destruct();
  setenv("VO_DB", temp_.file().c_str(), 1);
  bool created = true;
  EXPECT_TRUE(db()->init("vo_db", "", "root", nullptr, 0, created)) << db()->LastError();
  EXPECT_FALSE(created);
}
#endif

TEST_P(DatabaseFileTest, OpensTheNamedFileAndRefusesForeignOnes) {
  ASSERT_TRUE(temp_.connected()) << db()->LastError();
  EXPECT_EQ(Rows("SELECT name FROM pragma_table_info('trans_table') WHERE cid IN (0, 13, 29)"),
            "trans_id\ntrans_total\ntrans_change_date\n");
  EXPECT_EQ(Rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
            "corp_event_table\nevent_table\ngrp_table\nimport_claim\nimport_run\nimport_run_sym\n"
            "import_run_trans\ninactive_sym_table\nport_table\nposition_table\nsym_table\n"
            "trans_dup_table\ntrans_table\n");

  // A second init while connected keeps the connection; a reopen finds the schema.
  bool created = true;
  EXPECT_TRUE(db()->init("vo_db", "", "root", nullptr, 0, created));
  EXPECT_FALSE(created);
  Database::Destruct();
  EXPECT_TRUE(db()->init("vo_db", "", "root", nullptr, 0, created));
  EXPECT_FALSE(created);

  // What a file that is not ours is refused for is the schema tests' concern.
  TempDir dir;
  Database::Destruct();
  setenv("VO_DB", dir.Write("not-a-db", "plain text, not a database").c_str(), 1);
  EXPECT_FALSE(db()->init("vo_db", "", "root", nullptr, 0, created));
  EXPECT_FALSE(db()->IsConnected());
  EXPECT_NE(db()->LastError(), "");

  // Without VO_DB the file is vo_db.sqlite3 in the current folder.
  unsetenv("VO_DB");
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  EXPECT_TRUE(db()->init("vo_db", "", "root", nullptr, 0, created));
  EXPECT_TRUE(created);
  Database::Destruct();
  std::filesystem::current_path(previous);
  EXPECT_TRUE(std::filesystem::exists(dir.path() + "vo_db.sqlite3"));
}

}  // namespace
