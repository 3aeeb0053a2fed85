// The process-wide connection to the VO database, named by the environment
// variable VO_DB: an embedded SQLite file (default "vo_db.sqlite3" in the
// current directory), or a shared MariaDB database given as a mariadb:// URL.
// The schema is created when the database is new. Statements are text in a
// MySQL-like dialect; the few forms SQLite lacks are rewritten on the way.
// Every operation returns false on failure and never throws.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ledgerdb/BoundValue.h"
#include "ledgerdb/DbFailure.h"

namespace vo {

class DBData;
// One value of a row for a positional insert: the column's position in its
// table and the text (borrowed for the call).
using ColumnValue = std::pair<int, std::string_view>;
// Where the ids given to inserted rows are handed, in the order of the inserts.
using InsertedIds = std::vector<uint64_t>;
class DBQueryResult;
class DbRowReceiver;
class DbRowRewriter;
class DbBackend;
enum class CellForm;
class DBTableMgr;
class DBSchemaMgr;
class DBConnectionMgr;

class Database {
 public:
  // The one Database of the process, created on first use.
  static Database* Instance();
  // Closes the connection and discards the instance; the next Instance() makes a new one.
  static void Destruct();
  // Where init and initToRead connect: the location set, else VO_DB, else
  // the default file.
  static std::string Location();
  // The location init and initToRead connect to from now on (a host's
  // choice); empty goes back to VO_DB or the default.
  static void SetLocation(std::string location);

  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  ~Database();

  // Opens the database (or keeps the open connection). `created` is set when
  // the schema had to be created. The name, host, user, password and port are
  // accepted for the interface's sake; where the database is comes from VO_DB.
  bool init(const std::string& dbName, const std::string& host, const std::string& user,
            const char* password, int port, bool& created);
  // Opens the database at `location` (an SQLite file, created with its schema
  // when missing), or keeps the open connection, wherever it leads.
  bool Open(const std::string& location, bool& created);
  // Opens the database file named by VO_DB for reading only: nothing is
  // created or altered, and a file that is not a VO database is refused.
  bool initToRead();
  bool IsConnected() const;
  // Whether the connected database compares text by its bytes alone (see
  // DbBackend::ComparesTextByBytes); false when not connected.
  bool ComparesTextByBytes() const;

  // Runs a statement. A select's rows are kept under `queryId` until
  // DeleteQuery. With the two-argument form, and with friendlyEnums true,
  // trans_action and sym_type cells come back as their friendly strings;
  // otherwise enumeration cells come back as decimal values.
  bool Query(unsigned long& queryId, const std::string& statement);
  bool Query(unsigned long& queryId, const std::string& statement, bool friendlyEnums,
             bool flag2, bool flag3);
  // Runs a statement that writes, with `?` placeholders bound to `values` as
  // text in order (so a number in text takes the column's numeric form, as it
  // would written into the statement). The statement is kept prepared: the
  // same text with other values runs again without being parsed again.
  bool Execute(const std::string& statement, std::span<const std::string> values);
  // The same with values bound as text or as whole numbers.
  bool Execute(const std::string& statement, std::span<const BoundValue> values);
  bool GetQueryResult(unsigned long queryId, DBQueryResult& result);
  // Runs a select and hands its rows to `receiver` one at a time as they are
  // read (for results too large to hold). `parameters` bind, as text, to the
  // statement's `?` placeholders in order; values are never pasted in.
  bool Stream(const std::string& statement, std::span<const std::string> parameters,
              CellForm form, DbRowReceiver& receiver);
  // Whether RewriteRows works on the connected engine (a database file).
  bool RewritesRowsInPlace() const;
  // Rewrites rows of `table` in place in one statement: each row's `read`
  // items (columns of the table in their form, or other expressions) go to
  // `rewriter`, and the `written` columns it sets are stored (a column it
  // leaves keeps its value). A row nothing changes is not written. Fails,
  // writing nothing, where the engine cannot do it. A rewriter that allows
  // it (DbRowRewriter::MayReadAhead) is asked on a second core, ahead of the
  // statement, where the engine can read the table beside its writer.
  bool RewriteRows(const std::string& table, std::span<const std::string> read,
                   std::span<const std::string> written, CellForm form, DbRowRewriter& rewriter);
  bool DeleteQuery(unsigned long queryId);
  // Query, GetQueryResult and DeleteQuery in one: the rows go straight into
  // `result` (left as it was on failure) instead of being kept and copied.
  bool Select(const std::string& statement, bool friendlyEnums, DBQueryResult& result);

  // Inserts one row built from the data's fields into the table. False, and
  // nothing stored, when a field names no column of the table or holds a
  // value that cannot take its stored form (an unreadable date, an amount
  // that is not a number, an enumeration value that is not a whole number).
  bool insert(const DBData& data, const std::string& table, bool flag);
  // The same insert for a caller that keeps a row as (column position in the
  // table, text) pairs in ascending position order: no names to look up, and
  // one reused statement per set of columns. False, and nothing stored, when
  // a position is outside the table or a value cannot take its stored form.
  // Inside a transaction a server database sends such rows many at a time,
  // so the id a row gets may be known only later: `ids`, when given,
  // receives it then (at once on a file), in the order of the inserts.
  bool insert(std::span<const ColumnValue> fields, const std::string& table,
              InsertedIds* ids = nullptr);
  // Sends the rows that inserts have held back, so that every id is handed out.
  bool SendHeldRows();
  // Updates the rows of the table matching the condition (an SQL expression,
  // never empty). True when the statement ran, whether or not a row matched.
  bool modify(const DBData& data, const std::string& table, const std::string& condition);
  // The same update of the rows whose `keyColumn` holds exactly `key`; the
  // key is bound, never put into the statement's text, so many updates of
  // the same columns reuse one statement.
  bool modify(const DBData& data, const std::string& table, const std::string& keyColumn,
              const std::string& key);
  // The same keyed update with the fields given by column position, in
  // ascending order, as the positional insert takes them.
  bool modify(std::span<const ColumnValue> fields, const std::string& table, const std::string& keyColumn,
              const std::string& key);
  // The id generated by the last successful insert; false when there was none.
  // The ids come from the database (on a server shared by many writers,
  // never from a guess of the next free one).
  bool GetLastID(unsigned long& id);

  // One database transaction around many writes (see DbTransaction). Nested
  // calls open savepoints; the outermost commit makes everything durable.
  bool BeginTransaction();
  bool CommitTransaction();
  bool RollbackTransaction();
  // True, with the reason, when the open transaction has met a failure that
  // ends it (a full disk, an I/O error, an engine that dropped it). Until the
  // outermost rollback every statement is then refused, and commit fails: no
  // statement meant for the transaction runs outside it.
  bool TransactionFailed(std::string& reason) const;
  // What ended the open transaction (meaningful once TransactionFailed), or
  // what the last failed call did (see DbFailure): a conflict asks for the
  // work to be done again; a lost commit leaves its outcome unknown.
  DbFailure TransactionFailure() const;
  DbFailure LastFailure() const;
  // After a commit whose outcome is unknown: connects again where it was
  // connected, once the server has finished with the lost connection, so that
  // the caller can read whether its writes are there. False when that cannot
  // be done (the database cannot be reached).
  bool Reconnect();

  // How long a write waits for another process's lock before it fails
  // (10 seconds unless set). Applies to the open connection.
  void SetBusyTimeout(int milliseconds);

  // The message of the last failure, for logs and error texts.
  std::string LastError() const;

  DBTableMgr* GetTableMgr() const { return nullptr; }
  DBSchemaMgr* GetSchemaMgr() const { return nullptr; }
  DBConnectionMgr* GetConnectionMgr() const { return nullptr; }

 private:
  Database();
  // Makes the backend for `location` and opens it with `open`, unless a
  // connection is open already (kept as it is).
  bool Connect(const std::string& location, const std::function<bool(DbBackend&, const std::string&)>& open);

  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vo
