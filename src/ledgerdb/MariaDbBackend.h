// DbBackend over a MariaDB (or MySQL-compatible) server through Connector/C:
// one connection per process, no silent reconnect (a transaction never
// continues on a new connection), the schema created on first connect in
// InnoDB tables with binary utf8mb4 text (compared as SQLite compares it),
// the MySQL-dialect statements sent as written. Writes use prepared
// statements; the positional inserts of an import are buffered and sent as
// multi-row inserts, flushed before anything else touches the connection.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "ledgerdb/DbBackend.h"
#include "ledgerdb/MariaDbTarget.h"
#include "ledgerdb/TransactionLevels.h"

struct ColumnDef;
struct st_mysql;
struct st_mysql_stmt;

class MariaDbBackend : public DbBackend {
 public:
  MariaDbBackend() = default;
  ~MariaDbBackend() override;

  // `location` is a mariadb:// URL (see MariaDbTarget).
  bool Open(const std::string& location, bool& created) override;
  bool OpenToRead(const std::string& location) override;
  bool Execute(const std::string& statement, bool friendlyEnums, DBQueryResult& result) override;
  // The rows wait in the client library's compact form and reach the
  // receiver one at a time; it may write through the connection meanwhile.
  bool Stream(const std::string& statement, std::span<const std::string> parameters, CellForm form,
              DbRowReceiver& receiver) override;
  bool Insert(const DBData& data, const DBSchemaDef& table) override;
  bool Insert(std::span<const ColumnValue> fields, const DBSchemaDef& table) override;
  bool Update(const DBData& data, const DBSchemaDef& table, const std::string& condition) override;
  bool ExecuteWith(const std::string& statement, std::span<const std::string> values) override;
  bool UpdateByKey(const DBData& data, const DBSchemaDef& table, const std::string& keyColumn,
                   const std::string& key) override;
  bool LastInsertId(unsigned long& id) const override;

  bool Begin() override;
  bool Commit() override;
  bool Rollback() override;
  int TransactionDepth() const override { return levels_.Depth(); }
  bool TransactionOpen() const override;
  bool LastFailureWasStatementOnly() const override { return statementOnly_; }

  void SetBusyTimeout(int milliseconds) override;
  std::string LastError() const override { return error_; }

  // The CREATE TABLE statement of one table in this server's dialect.
  static std::string CreateStatement(const DBSchemaDef& table);

 private:
  struct CloseConnection {
    void operator()(st_mysql* connection) const;
  };
  struct CloseStatement {
    void operator()(st_mysql_stmt* statement) const;
  };
  using Connection = std::unique_ptr<st_mysql, CloseConnection>;
  using Statement = std::unique_ptr<st_mysql_stmt, CloseStatement>;

  // One value in its stored form, owned, ready to bind.
  struct Cell {
    enum Kind { kNull, kInteger, kText } kind = kNull;
    int64_t integer = 0;
    std::string text;
  };
  // Positional rows waiting to be sent, for one table and column set.
  struct PendingRows {
    const DBSchemaDef* table = nullptr;
    uint64_t columnSet = 0;
    std::vector<int> positions;
    std::vector<Cell> cells;  // row after row
    size_t rows = 0;
  };

  bool Fail(std::string message);
  bool FailFromDb(const std::string& context);
  bool FailFromStatement(st_mysql_stmt* statement, const std::string& context);
  bool Exec(const std::string& sql);
  bool Prepare(const std::string& sql, Statement& statement);
  bool OpenFor(const std::string& location, bool toRead, bool& created);
  bool Connect(const std::string& location);
  // Creates what is missing (never when `readOnly`: then a database that is
  // not complete is refused).
  bool CreateSchema(bool readOnly, bool& created);
  bool CheckSchema();
  bool ToCell(const ColumnDef& column, std::string_view value, const DBSchemaDef& table,
              Cell& cell);
  bool Run(st_mysql_stmt* statement, std::span<const Cell> cells);
  // Binds and runs; the caller reports a failure.
  static bool BindAndExecute(st_mysql_stmt* statement, std::span<const Cell> cells);
  // The reused statement inserting `rows` rows of the pending column set.
  // The prepared statement of that text, kept for the next call; null on failure.
  st_mysql_stmt* Reused(const std::string& sql);
  st_mysql_stmt* BatchInsertFor(const PendingRows& pending, size_t rows);
  // Rows ready to go with the statement that inserts them.
  struct Batch {
    st_mysql_stmt* statement = nullptr;
    PendingRows rows;
    bool asArray = false;  // one row's statement run for each row
  };
  // Moves the buffered rows into batches, the tables that others refer to
  // first, preparing what statements they need.
  bool TakeBatches(std::vector<Batch>& batches);
  static bool Send(const Batch& batch);
  // Sends the rows of one column set in one round trip as an array of values.
  static bool SendArray(st_mysql_stmt* statement, const PendingRows& pending);
  // Sends every buffered row and waits for them all.
  bool Flush();
  void DropPending();
  // The id the next row of `table` takes, as the server would choose it
  // (one more than the largest); false when it cannot be read.
  bool NextId(const DBSchemaDef& table, size_t idPosition, long long& id);

  Connection db_;  // declared first: closed after every statement below
  MariaDbTarget target_;
  std::map<std::pair<const DBSchemaDef*, std::vector<std::string>>, Statement> inserts_;
  std::map<std::tuple<const DBSchemaDef*, uint64_t, size_t>, Statement> batchInserts_;
  std::map<std::string, Statement> reused_;
  std::vector<PendingRows> pending_;
  size_t pendingRows_ = 0;
  // Ids handed out inside the open transaction, by table: our writer lock
  // keeps other VO writers out until it ends.
  std::map<const DBSchemaDef*, long long> nextIds_;
  bool lastIdKnown_ = false;
  // The server takes arrays of parameter sets (MariaDB does; others may not).
  bool bulk_ = false;
  std::string error_;
  long long lastInsertId_ = -1;
  TransactionLevels levels_{[this](const std::string& sql) { return Exec(sql); }};
  bool statementOnly_ = true;
};
