// DbBackend over a MariaDB (or MySQL-compatible) server, or a node of a
// Galera cluster, through Connector/C: one connection per process, no silent
// reconnect (a transaction never continues on a new connection), the schema
// created on first connect in InnoDB tables with binary utf8mb4 text
// (compared as SQLite compares it), the MySQL-dialect statements sent as
// written. Writes use prepared statements; the positional inserts of an
// import are held back and sent many rows to a statement, before anything
// else touches the connection, and the ids the server gives them are read
// back from it. The session never commits on its own (autocommit off): a
// statement outside a transaction is committed by this backend once it ran,
// and after any error of the server inside a transaction nothing more is sent
// for that transaction but its rollback.
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

struct st_mysql;
struct st_mysql_stmt;

namespace vo {

struct ColumnDef;

class MariaDbBackend : public DbBackend {
 public:
  MariaDbBackend() = default;
  ~MariaDbBackend() override;

  bool ComparesTextByBytes() const override { return false; }

  // `location` is a mariadb:// URL (see MariaDbTarget).
  bool Open(const std::string& location, bool& created) override;
  bool OpenToRead(const std::string& location) override;
  bool Execute(const std::string& statement, bool friendlyEnums, DBQueryResult& result) override;
  // The rows wait in the client library's compact form and reach the
  // receiver one at a time; it may write through the connection meanwhile.
  bool Stream(const std::string& statement, std::span<const std::string> parameters, CellForm form,
              DbRowReceiver& receiver) override;
  bool Insert(const DBData& data, const DBSchemaDef& table) override;
  bool Insert(std::span<const ColumnValue> fields, const DBSchemaDef& table,
              InsertedIds* ids) override;
  bool SendHeldRows() override { return Flush(); }
  bool Update(const DBData& data, const DBSchemaDef& table, const std::string& condition) override;
  bool ExecuteWith(const std::string& statement, std::span<const std::string> values) override;
  bool ExecuteWith(const std::string& statement, std::span<const BoundValue> values) override;
  bool UpdateByKey(std::span<const ColumnValue> fields, const DBSchemaDef& table, const std::string& keyColumn,
                   const std::string& key) override;
  bool UpdateByKey(const DBData& data, const DBSchemaDef& table, const std::string& keyColumn,
                   const std::string& key) override;
  bool LastInsertId(unsigned long& id) const override;

  bool Begin() override;
  bool Commit() override;
  bool Rollback() override;
  int TransactionDepth() const override { return levels_.Depth(); }
  bool TransactionOpen() const override;
  DbFailure LastFailure() const override { return failure_; }
  bool Reconnect() override;

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
    std::vector<InsertedIds*> ids;  // where each row's id goes; may be null
    size_t rows = 0;
    size_t lastInserted = kNone;  // the row of the latest Insert, when it is here
    static constexpr size_t kNone = static_cast<size_t>(-1);
  };

  // A failure of this side (nothing was sent): the statement only.
  bool Fail(std::string message);
  // A failure the server (or the connection) reported: see DbFailure.
  bool FailFromServer(unsigned int code, const std::string& message, const std::string& context);
  bool FailFromDb(const std::string& context);
  bool FailFromStatement(st_mysql_stmt* statement, const std::string& context);
  // Outside a transaction, ends the statement's own: commits what it did, or
  // rolls it back when it failed. Returns `ok`, false when the commit fails.
  bool Finish(bool ok);
  // Forgets the connection and the statements prepared on it.
  void Disconnect();
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
  // Runs `statement` (kept prepared for the next call) with `cells` bound.
  bool RunKept(const std::string& statement, std::span<const Cell> cells);
  // Stream without ending the statement's own transaction.
  bool StreamRows(const std::string& statement, std::span<const std::string> parameters,
                  CellForm form, DbRowReceiver& receiver);
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
    bool returnsIds = false;  // the statement answers with the rows' ids
  };
  // Moves the buffered rows into batches, the tables that others refer to
  // first, preparing what statements they need.
  bool TakeBatches(std::vector<Batch>& batches);
  bool Send(const Batch& batch);
  // Reads the ids a batch's statement answered with and hands them out.
  bool TakeIds(const Batch& batch);
  // Sends the rows of one column set in one round trip as an array of values.
  static bool SendArray(st_mysql_stmt* statement, const PendingRows& pending);
  // Sends every buffered row and waits for them all.
  bool Flush();
  void DropPending();

  // Connector/C's process-wide state, held while the connection is open:
  // declared before it, so released after it is closed.
  std::shared_ptr<void> library_;
  Connection db_;  // closed after every statement below
  MariaDbTarget target_;
  std::string location_;
  // The server's id of this connection: after a commit's answer was lost,
  // the lost connection is ended by it before the outcome is read.
  unsigned long connectionId_ = 0;
  std::map<std::pair<const DBSchemaDef*, std::vector<std::string>>, Statement> inserts_;
  std::map<std::tuple<const DBSchemaDef*, uint64_t, size_t>, Statement> batchInserts_;
  std::map<std::string, Statement> reused_;
  std::vector<PendingRows> pending_;
  size_t pendingRows_ = 0;
  // The server takes arrays of parameter sets (MariaDB does; others may not).
  bool bulk_ = false;
  std::string error_;
  long long lastInsertId_ = -1;  // -1: none, or not sent yet
  TransactionLevels levels_{[this](const std::string& sql) { return Exec(sql); }};
  DbFailure failure_ = DbFailure::kStatement;
  // The open transaction met an error: only its rollback may be sent.
  bool ended_ = false;
  // The outermost COMMIT is on its way: losing the connection now leaves its
  // outcome unknown.
  bool committing_ = false;
};

}  // namespace vo
