// DbBackend over an SQLite file, marked as ours with its application id and
// user version (see StoreCheck): WAL journal on the files it creates, a busy timeout so that a second
// writer waits and then fails cleanly, NOW() registered, the MySQL-like
// statements rewritten by SqlDialect, inserts prepared once per table and
// column set and reused with bound values.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <deque>
#include <vector>

#include "ledgerdb/DbBackend.h"
#include "ledgerdb/StoreCheck.h"
#include "ledgerdb/TransactionLevels.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vo {

struct ColumnDef;
struct RowRewrite;

class SqliteBackend : public DbBackend {
 public:
  SqliteBackend() = default;
  ~SqliteBackend() override;

  bool ComparesTextByBytes() const override { return true; }

  bool Open(const std::string& file, bool& created) override;
  bool OpenToRead(const std::string& file) override;
  bool Execute(const std::string& statement, bool friendlyEnums, DBQueryResult& result) override;
  bool Stream(const std::string& statement, std::span<const std::string> parameters, CellForm form,
              DbRowReceiver& receiver) override;
  bool RewritesRowsInPlace() const override { return true; }
  bool RewriteRows(const DBSchemaDef& table, std::span<const std::string> read, std::span<const std::string> written,
                   CellForm form, DbRowRewriter& rewriter) override;
  bool Insert(const DBData& data, const DBSchemaDef& table) override;
  bool Insert(std::span<const ColumnValue> fields, const DBSchemaDef& table,
              InsertedIds* ids) override;
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

  void SetBusyTimeout(int milliseconds) override;
  std::string LastError() const override { return error_; }

 private:
  struct CloseConnection {
    void operator()(sqlite3* db) const;
  };
  struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const;
  };
  using Connection = std::unique_ptr<sqlite3, CloseConnection>;
  using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

  // One reusable insert: the column names it binds, in DBData order.
  struct PreparedInsert {
    std::vector<std::string> names;
    std::vector<const ColumnDef*> columns;
    Statement statement;
  };

  bool Fail(std::string message);
  bool FailFromDb(const std::string& context);
  // Records the reason and what the result code ended (the statement only, or
  // the transaction).
  bool FailWithCode(int code, std::string message);
  bool Exec(const std::string& sql);
  bool Prepare(const std::string& sql, Statement& statement);
  // Whether the file is marked and has every table, index and trigger; reads only.
  bool SchemaComplete(bool& complete);
  // Creates what is missing and marks the file, in one transaction.
  bool CreateSchema(bool& created);
  // Opens the connection with its per-connection settings.
  // `uri`, when given, is what SQLite opens (with SQLITE_OPEN_URI); `file`
  // names the database in messages either way.
  bool Connect(const std::string& file, int flags, const std::string& uri = "");
  bool ReadNumber(const std::string& pragma, int64_t& value);
  bool ReadText(const std::string& pragma, std::string& value);
  // What the file holds: its mark and its tables' columns; reads only.
  bool ReadStore(StoreCheck::Found& found);
  // False, with what differs, when the file is not ours to use.
  bool Judge(const StoreCheck::Found& found);
  PreparedInsert* InsertFor(const DBData& data, const DBSchemaDef& table);
  // The reused insert of exactly these column positions; null on failure.
  sqlite3_stmt* InsertFor(std::span<const ColumnValue> fields,
                          const DBSchemaDef& table);
  bool BindValue(sqlite3_stmt* statement, int position, const ColumnDef& column,
                 std::string_view value, const DBSchemaDef& table);
  bool BindFields(sqlite3_stmt* statement, const DBData& data,
                  const std::vector<const ColumnDef*>& columns, const DBSchemaDef& table);
  bool StepToDone(sqlite3_stmt* statement);
  // Runs a rewrite's statement while a second connection decides its rows
  // ahead (SqliteReadAhead). Nothing when the rewrite must run without it
  // (no file, no write-ahead log, a row differed): nothing is written then.
  std::optional<bool> RewriteReadingAhead(const std::string& select, RowRewrite& rewrite, sqlite3_stmt* statement);
  // The kept statement of ExecuteWith for `statement`, prepared on first use,
  // when it takes `values` placeholders; null (after Fail) otherwise.
  sqlite3_stmt* BoundStatement(const std::string& statement, size_t values);
  // Steps a kept statement whose values are bound (`bound`), then lets its
  // values go.
  bool StepBound(sqlite3_stmt* statement, bool bound);

  Connection db_;  // declared first: destroyed after every statement below
  std::map<const DBSchemaDef*, std::vector<PreparedInsert>> inserts_;
  // Positional inserts by table and the set of column positions they bind.
  std::map<std::pair<const DBSchemaDef*, uint64_t>, Statement> rowInserts_;
  // Statements of ExecuteWith by their text as given.
  std::map<std::string, Statement> boundStatements_;
  // Keyed updates by table and "column, column, ... = key column" text.
  std::map<std::pair<const DBSchemaDef*, std::string>, PreparedInsert> keyedUpdates_;
  // Keyed updates by column position: by table, the set of positions, and
  // the key column.
  std::map<std::tuple<const DBSchemaDef*, uint64_t, std::string>, Statement> positionalUpdates_;
  // Normalised dates by bound position: each stays bound, without a copy,
  // until that position is bound again. A deque, so that growing it never
  // moves a text that is bound.
  std::deque<std::string> dates_;
  std::string error_;
  long long lastInsertId_ = -1;
  TransactionLevels levels_{[this](const std::string& sql) { return Exec(sql); }};
  DbFailure failure_ = DbFailure::kStatement;
};

}  // namespace vo
