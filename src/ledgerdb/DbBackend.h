// The storage engine behind Database: one connection to one database, with
// the stored forms of DBSchemaDef applied on every write and read: an SQLite
// file (SqliteBackend) or a MariaDB server (MariaDbBackend).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "ledgerdb/BoundValue.h"
#include "ledgerdb/Database.h"  // ColumnValue, InsertedIds
#include "ledgerdb/DbFailure.h"
#include "ledgerdb/DbRowReceiver.h"

namespace vo {

class DBData;
class DBQueryResult;
class DbRowRewriter;
class DBSchemaDef;

class DbBackend {
 public:
  virtual ~DbBackend() = default;

  // Whether text compares, groups and joins by its bytes alone (a file does;
  // a server compares names without regard to case), so that a caller may
  // match names in memory exactly as a statement would.
  virtual bool ComparesTextByBytes() const = 0;

  // Opens (creating when missing) the database and its schema. `created`
  // tells whether the schema had to be created.
  // Refuses, before writing anything, a database that is not ours (see
  // StoreCheck) or that cannot be written.
  virtual bool Open(const std::string& location, bool& created) = 0;
  // Opens an existing database of ours for reading only: creates nothing,
  // alters nothing, and refuses what Open would refuse.
  virtual bool OpenToRead(const std::string& location) = 0;

  // Runs one statement. Rows of a select land in `result`; enumeration
  // columns with friendly strings read as those strings when `friendlyEnums`.
  virtual bool Execute(const std::string& statement, bool friendlyEnums, DBQueryResult& result) = 0;
  // Runs one statement that writes, its `?` placeholders bound to `values` as
  // text, in order. By default the values go into the text as quoted literals;
  // an engine may keep the statement prepared for the next call instead.
  virtual bool ExecuteWith(const std::string& statement, std::span<const std::string> values);
  // The same with each value bound as text or as a whole number.
  virtual bool ExecuteWith(const std::string& statement, std::span<const BoundValue> values) = 0;
  // Runs one select and hands its rows to `receiver` as the statement steps,
  // never holding the result. `parameters` bind to the statement's `?`
  // placeholders in order, as text.
  virtual bool Stream(const std::string& statement, std::span<const std::string> parameters,
                      CellForm form, DbRowReceiver& receiver) = 0;
  // Whether RewriteRows works here: an engine that can call into the
  // program for each row of a statement.
  virtual bool RewritesRowsInPlace() const { return false; }
  // One statement over every row of `table`: each row's `read` items (a
  // column of the table reads in its own form, any other expression as its
  // plain value) go to `rewriter`, and the `written` columns it sets are
  // written; the others keep their values.
  virtual bool RewriteRows(const DBSchemaDef& table, std::span<const std::string> read,
                           std::span<const std::string> written, CellForm form, DbRowRewriter& rewriter);
  virtual bool Insert(const DBData& data, const DBSchemaDef& table) = 0;
  // The same insert with the fields given by column position (see
  // Database::insert). An engine may hold the row back and send it with
  // others; `ids`, when given, receives the id the row gets once it is known.
  virtual bool Insert(std::span<const ColumnValue> fields, const DBSchemaDef& table,
                      InsertedIds* ids) = 0;
  // Sends every row held back; true when there is none.
  virtual bool SendHeldRows() { return true; }
  virtual bool Update(const DBData& data, const DBSchemaDef& table,
                      const std::string& condition) = 0;
  // The same update of the rows whose `keyColumn` equals `key` (see
  // Database::modify). By default an Update with the key as a quoted literal;
  // an engine may keep one prepared statement per column set instead, which
  // is what makes many such updates in a row cheap.
  virtual bool UpdateByKey(const DBData& data, const DBSchemaDef& table,
                           const std::string& keyColumn, const std::string& key);
  // The same with the fields given by column position, in ascending order.
  virtual bool UpdateByKey(std::span<const ColumnValue> fields, const DBSchemaDef& table,
                           const std::string& keyColumn, const std::string& key) = 0;
  // The id of the row stored by the last successful Insert; false when none
  // (or when that row is still held back).
  virtual bool LastInsertId(unsigned long& id) const = 0;

  // Nestable: the outermost level is a database transaction, inner levels
  // are savepoints.
  virtual bool Begin() = 0;
  virtual bool Commit() = 0;
  virtual bool Rollback() = 0;
  virtual int TransactionDepth() const = 0;
  // Whether the engine still holds the transaction that Begin opened. After a
  // full disk, an I/O error, a server's error or a lost connection an engine
  // may have ended it by itself; nothing more may be sent for it.
  virtual bool TransactionOpen() const = 0;
  // What the last failure did to the work around it (see DbFailure).
  virtual DbFailure LastFailure() const = 0;
  // Opens the connection again where it was opened, after one was lost with
  // a commit in flight, once the server has finished with the lost one, so
  // that what is read next is final. False when the engine has no such loss
  // (a file) or the database cannot be reached.
  virtual bool Reconnect() { return false; }

  // How long a write waits for another connection's lock before failing.
  virtual void SetBusyTimeout(int milliseconds) = 0;
  virtual std::string LastError() const = 0;

 protected:
  // The set of column positions of a positional row (bit n for position n),
  // or, when a position is outside the table (or past 63) or the positions do
  // not ascend, false with the reason in `refusal`.
  static bool ColumnSetOf(std::span<const ColumnValue> fields, const DBSchemaDef& table, uint64_t& set,
                          std::string& refusal);
};

}  // namespace vo
