#include "ledgerdb/MariaDbBackend.h"

#include <errmsg.h>
#include <mysql.h>
#include <mysqld_error.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>

#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/HEnum.h"
#include "ledgerdb/SqlDialect.h"
#include "ledgerdb/SqlLiteral.h"
#include "ledgerdb/StoredForms.h"
#include "platform/DebugOutput.h"
#include "platform/TimeZone.h"

namespace vo {

namespace {

constexpr unsigned int kConnectTimeoutSeconds = 10;
// Where Debian keeps the certificates of the CAs the system trusts.
constexpr const char* kSystemCaFolder = "/etc/ssl/certs";
constexpr char kNullText[] = "NULL";
// Rows per multi-row insert: large enough that the round trips vanish from an
// import's time, small enough to stay far below the placeholder limit.
constexpr size_t kBatchRows = 256;
// Our own table, marking a database as VO's and recording its schema version.
constexpr char kMarkerTable[] = "vo_database";
constexpr char kApplication[] = "voservices";
constexpr int kSchemaVersion = 1;
// Tables without an id of their own get this hidden column, so that their rows
// keep the order they were written in, as in SQLite, and SELECT * still shows
// exactly the described columns.
constexpr char kRowOrderColumn[] = "vo_row";
constexpr char kTableOptions[] =
    " ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_nopad_bin";

// Connector/C's process-wide state, started with the first connection and
// ended (so that leak checkers see only what is really lost) when the process
// ends and no connection holds it any more: a connection still open at exit,
// closed when the library unloads, is closed before the client library ends.
std::shared_ptr<void> UseLibrary() {
  struct Library {
    Library() { mysql_library_init(0, nullptr, nullptr); }
    ~Library() { mysql_library_end(); }
  };
  static const std::shared_ptr<Library> library = std::make_shared<Library>();
  return library;
}

const char* SqlType(const ColumnDef& column, bool indexed) {
  switch (column.kind) {
    case ColumnKind::kId:
      return "BIGINT NOT NULL AUTO_INCREMENT";
    case ColumnKind::kEnum:
    case ColumnKind::kAmount:
      return "BIGINT";
    case ColumnKind::kDate:
      return "VARCHAR(64)";
    case ColumnKind::kText:
      // An index needs a bounded length.
      return column.unique ? "VARCHAR(255) NOT NULL" : indexed ? "VARCHAR(255)" : "LONGTEXT";
  }
  return "TEXT";
}

// The key part of an index: a text column an earlier version declared
// LONGTEXT (not indexed then) is keyed by its first 255 characters, which
// equality lookups recheck against the whole value.
std::string KeyColumns(const DBSchemaDef& table, const DBSchemaDef::Index& index) {
  std::string columns;
  for (const std::string& name : index) {
    const ColumnDef* column = table.Find(name);
    const bool prefix = column && column->kind == ColumnKind::kText && !column->unique;
    columns += (columns.empty() ? "" : ", ") + name + (prefix ? "(255)" : "");
  }
  return columns;
}

bool IsConnectionLost(unsigned int code) {
  return code == CR_SERVER_GONE_ERROR || code == CR_SERVER_LOST || code == CR_CONNECTION_ERROR ||
         code == CR_CONN_HOST_ERROR || code == ER_CONNECTION_KILLED;
}

// Errors after which the work succeeds when it is simply done again: a
// deadlock (the server has rolled the transaction back), a cluster node that
// lost to another node's writes at certification, during commit, or is not
// ready for work, and a key that another writer stored first (a symbol added
// on another node of a cluster), which the work done again sees.
bool AsksForRetry(unsigned int code) {
  return code == ER_LOCK_DEADLOCK || code == ER_ERROR_DURING_COMMIT ||
         code == ER_UNKNOWN_COM_ERROR || code == ER_DUP_ENTRY;
}

// The id column of a table: the first, when it is one; null otherwise.
const ColumnDef* IdColumnOf(const DBSchemaDef& table) {
  const ColumnDef& first = table.columns().front();
  return first.kind == ColumnKind::kId ? &first : nullptr;
}

// How the cells of one result column are turned into text.
struct CellReader {
  enum Kind { kPlain, kAmount, kFriendly } kind = kPlain;
  const HEnum* enumeration = nullptr;
};

CellReader ReaderFor(const MYSQL_FIELD& field, CellForm form) {
  if (form == CellForm::kStored) return {};
  const bool friendlyEnums = form == CellForm::kFriendly;
  if (!field.org_table || !field.org_name || !*field.org_table) return {};
  const DBSchemaDef* def = DBSchemaDef::ForTable(field.org_table);
  const ColumnDef* column = def ? def->Find(field.org_name) : nullptr;
  if (!column) return {};
  if (column->kind == ColumnKind::kAmount) return {CellReader::kAmount};
  if (friendlyEnums && column->friendlyEnum) {
    if (const HEnum* enumeration = HEnum::GetEnum(column->friendlyEnum)) {
      return {CellReader::kFriendly, enumeration};
    }
  }
  return {};
}

std::string ReadCell(const char* cell, unsigned long length, const CellReader& reader) {
  if (!cell) return {};
  std::string text(cell, length);
  if (reader.kind == CellReader::kPlain) return text;
  int64_t value = 0;
  if (ParseWholeNumber(text, value) != StoredForm::kValue) return text;
  if (reader.kind == CellReader::kAmount) return FormatMillionths(value);
  std::string friendly = reader.enumeration->GetFriendlyString(static_cast<int32_t>(value));
  return friendly.empty() ? text : friendly;
}

std::string ColumnList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
  return list;
}

// NOW() on the server gives the session's local time; the session runs in the
// same standard-time offset as the rest of the library's dates.
std::string SessionTimeZone() {
  long offset = -TimeZoneBiasMinutes();
  char text[16];
  std::snprintf(text, sizeof text, "%c%02ld:%02ld", offset < 0 ? '-' : '+', std::labs(offset) / 60,
                std::labs(offset) % 60);
  return text;
}

}  // namespace

void MariaDbBackend::CloseConnection::operator()(MYSQL* connection) const {
  mysql_close(connection);
}
void MariaDbBackend::CloseStatement::operator()(MYSQL_STMT* statement) const {
  mysql_stmt_close(statement);
}

MariaDbBackend::~MariaDbBackend() {
  // Statements go before the connection; an open transaction is rolled back
  // by the server when the connection closes.
  inserts_.clear();
  batchInserts_.clear();
  reused_.clear();
}

bool MariaDbBackend::Fail(std::string message) {
  error_ = std::move(message);
  failure_ = DbFailure::kStatement;
  return false;
}

// Inside a transaction any error of the server ends it: some errors make the
// server roll the whole transaction back (a deadlock) and others only the
// statement, and the session cannot be trusted to say which; nothing more is
// sent for the transaction but its rollback, so no statement meant for it can
// run, and commit, without it.
bool MariaDbBackend::FailFromServer(unsigned int code, const std::string& message,
                                    const std::string& context) {
  const bool inTransaction = levels_.Depth() > 0;
  if (IsConnectionLost(code)) {
    error_ = context + ": the MariaDB server " + target_.Describe() + " went away (" + message + "); " +
             (committing_     ? "the commit may or may not have taken place"
              : inTransaction ? "the open transaction was lost"
                              : "nothing was written");
    failure_ = committing_ ? DbFailure::kCommitUnknown : DbFailure::kTransaction;
    Disconnect();
    return false;
  }
  error_ = context + ": " + message;
  failure_ = AsksForRetry(code) ? DbFailure::kConflict
             : inTransaction    ? DbFailure::kTransaction
                                : DbFailure::kStatement;
  if (inTransaction) ended_ = true;
  return false;
}

bool MariaDbBackend::FailFromDb(const std::string& context) {
  if (!db_) return Fail(context + ": not connected");
  return FailFromServer(mysql_errno(db_.get()), mysql_error(db_.get()), context);
}

bool MariaDbBackend::FailFromStatement(MYSQL_STMT* statement, const std::string& context) {
  return FailFromServer(mysql_stmt_errno(statement), mysql_stmt_error(statement), context);
}

bool MariaDbBackend::TransactionOpen() const { return db_ && levels_.Depth() > 0 && !ended_; }

bool MariaDbBackend::Finish(bool ok) {
  if (levels_.Depth() > 0 || !db_) return ok;
  if (ok) return mysql_commit(db_.get()) == 0 || FailFromDb("COMMIT");
  const std::string error = error_;
  const DbFailure failure = failure_;
  mysql_rollback(db_.get());
  error_ = error;
  failure_ = failure;
  return false;
}

void MariaDbBackend::Disconnect() {
  DropPending();
  // Its statements are left to the next connect: a caller may hold one. The
  // client library has made them unusable.
  db_.reset();
}

bool MariaDbBackend::Exec(const std::string& sql) {
  if (mysql_real_query(db_.get(), sql.data(), sql.size()) != 0) return FailFromDb(sql);
  // A statement that returns rows here is read and dropped.
  if (MYSQL_RES* rows = mysql_store_result(db_.get())) mysql_free_result(rows);
  return true;
}

bool MariaDbBackend::Prepare(const std::string& sql, Statement& statement) {
  statement.reset(mysql_stmt_init(db_.get()));
  if (!statement) return FailFromDb("prepare");
  if (mysql_stmt_prepare(statement.get(), sql.data(), sql.size()) != 0) {
    bool failed = FailFromStatement(statement.get(), sql);
    statement.reset();
    return failed;
  }
  return true;
}

bool MariaDbBackend::Open(const std::string& location, bool& created) {
  return OpenFor(location, false, created);
}

bool MariaDbBackend::OpenToRead(const std::string& location) {
  bool created = false;
  return OpenFor(location, true, created);
}

// A reader's open creates and alters nothing; both judge the schema found.
bool MariaDbBackend::OpenFor(const std::string& location, bool toRead, bool& created) {
  created = false;
  if (!Connect(location)) return false;
  if (CreateSchema(toRead, created) && CheckSchema()) return true;
  error_ = target_.Describe() + ": " + error_;
  Disconnect();
  return false;
}

bool MariaDbBackend::Connect(const std::string& location) {
  std::optional<MariaDbTarget> target = MariaDbTarget::Parse(location, error_);
  if (!target) return false;
  target_ = *target;
  if (!target_.hasPassword) {
    // Keeps a password out of command lines and process listings.
    if (const char* password = std::getenv("VO_DB_PASSWORD")) {
      target_.password = password;
      target_.hasPassword = true;
    }
  }

  library_ = UseLibrary();
  location_ = location;
  // Statements prepared on an earlier connection.
  inserts_.clear();
  batchInserts_.clear();
  reused_.clear();
  db_.reset(mysql_init(nullptr));
  if (!db_) return Fail("cannot start a MariaDB connection: out of memory");
  my_bool off = 0;
  my_bool on = 1;
  // A server that stops answering (stalled, or a cluster node cut off from
  // the others) fails the statement, or the commit, that waits for it.
  unsigned int connectTimeout = std::min(kConnectTimeoutSeconds, target_.timeoutSeconds);
  unsigned int timeout = target_.timeoutSeconds;
  mysql_optionsv(db_.get(), MYSQL_OPT_RECONNECT, &off);
  mysql_optionsv(db_.get(), MYSQL_OPT_CONNECT_TIMEOUT, &connectTimeout);
  mysql_optionsv(db_.get(), MYSQL_OPT_READ_TIMEOUT, &timeout);
  mysql_optionsv(db_.get(), MYSQL_OPT_WRITE_TIMEOUT, &timeout);
  mysql_optionsv(db_.get(), MYSQL_SET_CHARSET_NAME, "utf8mb4");
  mysql_optionsv(db_.get(), MYSQL_OPT_LOCAL_INFILE, &off);
  // Required TLS is encrypted or fails; verified, it also fails unless the
  // server's certificate is signed by tls-ca or a CA the system trusts (the
  // client library would otherwise take any certificate).
  if (!target_.tlsCa.empty()) mysql_optionsv(db_.get(), MYSQL_OPT_SSL_CA, target_.tlsCa.c_str());
  if (!target_.tlsCert.empty()) mysql_optionsv(db_.get(), MYSQL_OPT_SSL_CERT, target_.tlsCert.c_str());
  if (!target_.tlsKey.empty()) mysql_optionsv(db_.get(), MYSQL_OPT_SSL_KEY, target_.tlsKey.c_str());
  if (target_.tls) {
    mysql_optionsv(db_.get(), MYSQL_OPT_SSL_ENFORCE, &on);
    if (target_.tlsVerify) {
      if (target_.tlsCa.empty()) mysql_optionsv(db_.get(), MYSQL_OPT_SSL_CAPATH, kSystemCaFolder);
      mysql_optionsv(db_.get(), MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &on);
    }
  }

  const char* host = target_.host.empty() ? nullptr : target_.host.c_str();
  const char* user = target_.user.empty() ? nullptr : target_.user.c_str();
  const char* password = target_.hasPassword ? target_.password.c_str() : nullptr;
  const char* socket = target_.socket.empty() ? nullptr : target_.socket.c_str();
  if (!mysql_real_connect(db_.get(), host, user, password, target_.database.c_str(), target_.port,
                          socket, 0)) {
    unsigned int code = mysql_errno(db_.get());
    std::string message = mysql_error(db_.get());
    db_.reset();
    std::string where = target_.Describe();
    if (code == ER_ACCESS_DENIED_ERROR || code == ER_DBACCESS_DENIED_ERROR) {
      return Fail(where + ": login refused (" + message +
                  "); check the user, the password and the user's grants on the database");
    }
    if (code == ER_BAD_DB_ERROR) {
      return Fail(where + ": the server has no database '" + target_.database +
                  "'; create it first (CREATE DATABASE " + target_.database +
                  " CHARACTER SET utf8mb4)");
    }
    return Fail(where + ": cannot connect to the MariaDB server (" + message + ")");
  }
  // Asked to enforce TLS without verifying, the client library still takes a
  // server that offers none: nothing crosses a connection that is not encrypted.
  if (target_.tls && mysql_get_ssl_cipher(db_.get()) == nullptr) {
    db_.reset();
    return Fail(target_.Describe() +
                ": cannot connect to the MariaDB server (TLS is required, but the server does not offer it)");
  }

  unsigned long capabilities = 0;
  bulk_ = mariadb_get_infov(db_.get(), MARIADB_CONNECTION_EXTENDED_SERVER_CAPABILITIES,
                            &capabilities) == 0 &&
          (capabilities & (MARIADB_CLIENT_STMT_BULK_OPERATIONS >> 32)) != 0;
  connectionId_ = mysql_thread_id(db_.get());

  // Text literals as standard SQL (and SQLite) read them: a backslash is
  // just a character. Nothing commits unless this backend says so.
  bool ready = Exec("SET NAMES utf8mb4 COLLATE utf8mb4_nopad_bin") &&
               Exec("SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES')") &&
               Exec("SET SESSION time_zone = '" + SessionTimeZone() + "'") &&
               Exec("SET SESSION TRANSACTION ISOLATION LEVEL REPEATABLE READ") &&
               Exec("SET SESSION autocommit = 0") &&
               (SetBusyTimeout(static_cast<int>(target_.lockWaitSeconds) * 1000), true);
  // On a node of a Galera cluster a read waits until the node has applied
  // what the cluster committed before it, so that a host reads its own writes
  // (and an import's checks see another node's import) whichever node it asks.
  DBQueryResult cluster;
  if (ready && Execute("SELECT @@wsrep_on", false, cluster) && cluster.size() == 1 &&
      cluster.begin()->front() == "1") {
    ready = Exec("SET SESSION wsrep_sync_wait = 1");
  }
  if (!ready) {
    error_ = target_.Describe() + ": " + error_;
    Disconnect();
  }
  return ready;
}

bool MariaDbBackend::Reconnect() {
  const unsigned long lost = connectionId_;
  Disconnect();
  if (!Connect(location_)) return false;
  // The server may not have noticed yet that the lost connection is gone, and
  // may still be committing for it: it is ended, and its end awaited, so that
  // what is read next is final.
  Exec("KILL CONNECTION " + std::to_string(lost));
  const std::string present =
      "SELECT count(*) FROM information_schema.processlist WHERE id = " + std::to_string(lost);
  for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(target_.timeoutSeconds);;) {
    DBQueryResult rows;
    if (!Execute(present, false, rows)) return false;
    if (rows.size() == 1 && rows.begin()->front() == "0") return true;
    if (std::chrono::steady_clock::now() > end) {
      return Fail("the lost connection " + std::to_string(lost) + " is still at work on " +
                  target_.Describe());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

std::string MariaDbBackend::CreateStatement(const DBSchemaDef& table) {
  std::string sql = "CREATE TABLE IF NOT EXISTS " + table.tableName() + " (";
  std::string key;
  std::string extra;
  for (size_t i = 0; i < table.columns().size(); ++i) {
    const ColumnDef& column = table.columns()[i];
    sql += (i ? ", " : "") + std::string(column.name) + " " + SqlType(column, table.IsIndexed(column.name));
    if (column.kind == ColumnKind::kId && key.empty()) key = column.name;
    if (column.unique) extra += std::string(", UNIQUE KEY (") + column.name + ")";
  }
  if (key.empty()) {
    key = kRowOrderColumn;
    sql += std::string(", ") + kRowOrderColumn + " BIGINT NOT NULL AUTO_INCREMENT INVISIBLE";
  }
  sql += ", PRIMARY KEY (" + key + ")" + extra;
  for (const DBSchemaDef::Index& index : table.indexes()) {
    sql += ", KEY " + table.IndexName(index) + " (" + KeyColumns(table, index) + ")";
  }
  // A deleted transaction takes its duplicate flag and its link to the import
  // run that wrote it with it (so that a reused id is never taken for that
  // run's row).
  if (table.tableName() == kTransDupTable || table.tableName() == kImportRunTransTable) {
    sql += ", FOREIGN KEY (trans_id) REFERENCES trans_table (trans_id) ON DELETE CASCADE";
  }
  return sql + ")" + kTableOptions;
}

bool MariaDbBackend::CreateSchema(bool readOnly, bool& created) {
  created = false;
  DBQueryResult names;
  if (!Execute("SELECT table_name FROM information_schema.tables WHERE table_schema = DATABASE()",
               false, names)) {
    return false;
  }
  std::set<std::string> present;
  for (const DBQueryResult::Row& row : names) present.insert(row[0]);

  if (!present.empty()) {
    // Tables of another application are never written to.
    if (!present.contains(kMarkerTable)) {
      return Fail("database '" + target_.database +
                  "' has tables but is not a VO database; give VO an empty database of its own");
    }
    DBQueryResult marker;
    if (!Execute(std::string("SELECT application, schema_version FROM ") + kMarkerTable, false,
                 marker)) {
      return false;
    }
    for (const DBQueryResult::Row& row : marker) {
      if (row[0] != kApplication) {
        return Fail("database '" + target_.database + "' belongs to " + row[0] + ", not VO");
      }
      if (std::atoi(row[1].c_str()) > kSchemaVersion) {
        return Fail("database '" + target_.database +
                    "' was made by a newer version of VO (schema version " + row[1] + ")");
      }
    }
  }
  bool complete = present.contains(kMarkerTable);
  for (const DBSchemaDef& table : DBSchemaDef::All()) {
    complete = complete && present.contains(table.tableName());
  }
  std::set<std::string> indexes;
  if (complete) {
    DBQueryResult indexNames;
    if (!Execute("SELECT DISTINCT index_name FROM information_schema.statistics "
                 "WHERE table_schema = DATABASE()",
                 false, indexNames)) {
      return false;
    }
    for (const DBQueryResult::Row& row : indexNames) indexes.insert(row[0]);
    complete = !indexes.contains(kRetiredTradeDateIndex);
    for (const DBSchemaDef& table : DBSchemaDef::All()) {
      for (const DBSchemaDef::Index& index : table.indexes()) {
        complete = complete && indexes.contains(table.IndexName(index));
      }
    }
  }
  if (complete) return true;
  if (readOnly) {
    return Fail(present.empty() ? "database '" + target_.database + "' is empty, not a VO database yet"
                                : "database '" + target_.database + "' is missing some of VO's tables");
  }

  // The mark goes first: a connection that dies half-way leaves a database
  // that the next connect completes rather than refuses. Every statement is
  // safe to run again, and when two clients create at once.
  // Only what is missing is made: CREATE may be revoked once the tables exist.
  created = !present.contains("trans_table");
  bool ok = (present.contains(kMarkerTable) ||
             Exec(std::string("CREATE TABLE IF NOT EXISTS ") + kMarkerTable +
                  " (application VARCHAR(32) NOT NULL PRIMARY KEY, schema_version INT NOT NULL)" +
                  kTableOptions)) &&
            Exec(std::string("INSERT IGNORE INTO ") + kMarkerTable + " VALUES (" + SqlLiteral(kApplication) +
                 ", " + std::to_string(kSchemaVersion) + ")");
  for (const DBSchemaDef& table : DBSchemaDef::All()) {
    ok = ok && (present.contains(table.tableName()) || Exec(CreateStatement(table)));
    // A table made by an earlier version gets the indexes it lacks. Without
    // the privilege to make them (INDEX may be revoked once the tables exist)
    // everything still works, more slowly, and the next connection tries again.
    for (const DBSchemaDef::Index& index : table.indexes()) {
      if (!ok || !present.contains(table.tableName()) || indexes.contains(table.IndexName(index))) continue;
      if (!Exec("CREATE INDEX IF NOT EXISTS " + table.IndexName(index) + " ON " + table.tableName() + " (" +
                KeyColumns(table, index) + ")")) {
        DebugOutput("VO database '" + target_.database + "': " + error_);
      }
    }
  }
  if (ok && indexes.contains(kRetiredTradeDateIndex) &&
      !Exec(std::string("DROP INDEX IF EXISTS ") + kRetiredTradeDateIndex + " ON trans_table")) {
    DebugOutput("VO database '" + target_.database + "': " + error_);
  }
  return Finish(ok);
}

// Tables made by something else under our names must not be written as if
// they were ours.
bool MariaDbBackend::CheckSchema() {
  for (const DBSchemaDef& table : DBSchemaDef::All()) {
    DBQueryResult shape;
    if (!Execute("SELECT * FROM " + table.tableName() + " LIMIT 0", false, shape)) return false;
    const std::vector<std::string>& fields = shape.getFields();
    bool same = fields.size() == table.columns().size();
    for (size_t i = 0; same && i < fields.size(); ++i) same = fields[i] == table.columns()[i].name;
    if (!same) return Fail(table.tableName() + " does not have the expected columns");
  }
  return true;
}

void MariaDbBackend::SetBusyTimeout(int milliseconds) {
  if (!db_) return;
  int seconds = std::max(1, (milliseconds + 999) / 1000);
  // Row locks and table (metadata) locks both wait this long.
  Exec("SET SESSION innodb_lock_wait_timeout = " + std::to_string(seconds) +
       ", lock_wait_timeout = " + std::to_string(seconds));
}

bool MariaDbBackend::Execute(const std::string& statement, bool friendlyEnums,
                             DBQueryResult& result) {
  if (!db_) return Fail("not connected");
  if (!Flush()) return false;
  std::string sql = SqlDialect::ForServer(statement);
  if (mysql_real_query(db_.get(), sql.data(), sql.size()) != 0) return Finish(FailFromDb(statement));
  MYSQL_RES* raw = mysql_store_result(db_.get());
  if (!raw) {
    if (mysql_field_count(db_.get()) != 0) return Finish(FailFromDb(statement));
    result.Assign({}, {});
    return Finish(true);
  }
  std::unique_ptr<MYSQL_RES, decltype(&mysql_free_result)> rows(raw, mysql_free_result);

  unsigned int columnCount = mysql_num_fields(raw);
  MYSQL_FIELD* fields = mysql_fetch_fields(raw);
  std::vector<std::string> names;
  std::vector<CellReader> readers;
  for (unsigned int c = 0; c < columnCount; ++c) {
    names.emplace_back(fields[c].name ? fields[c].name : "");
    readers.push_back(ReaderFor(fields[c], friendlyEnums ? CellForm::kFriendly : CellForm::kDecimal));
  }
  std::vector<DBQueryResult::Row> out;
  out.reserve(mysql_num_rows(raw));
  while (MYSQL_ROW cells = mysql_fetch_row(raw)) {
    unsigned long* lengths = mysql_fetch_lengths(raw);
    DBQueryResult::Row& row = out.emplace_back();
    row.reserve(columnCount);
    for (unsigned int c = 0; c < columnCount; ++c) {
      row.push_back(ReadCell(cells[c], lengths[c], readers[c]));
    }
  }
  result.Assign(std::move(names), std::move(out));
  return Finish(true);
}

bool MariaDbBackend::Stream(const std::string& statement, std::span<const std::string> parameters,
                            CellForm form, DbRowReceiver& receiver) {
  if (!db_) return Fail("not connected");
  if (!Flush()) return false;
  return Finish(StreamRows(statement, parameters, form, receiver));
}

bool MariaDbBackend::StreamRows(const std::string& statement, std::span<const std::string> parameters,
                                CellForm form, DbRowReceiver& receiver) {
  Statement prepared;
  if (!Prepare(SqlDialect::ForServer(statement), prepared)) return false;
  MYSQL_STMT* stmt = prepared.get();
  // Known once prepared: a statement without a result set would write, and is
  // refused before it runs.
  std::unique_ptr<MYSQL_RES, decltype(&mysql_free_result)> meta(mysql_stmt_result_metadata(stmt),
                                                                mysql_free_result);
  if (!meta) return Fail("a read may not write: " + statement);
  std::vector<Cell> values(parameters.size());
  for (size_t i = 0; i < parameters.size(); ++i) {
    values[i].kind = Cell::kText;
    values[i].text = parameters[i];
  }
  long long lastId = lastInsertId_;
  bool ran = Run(stmt, values);
  lastInsertId_ = lastId;  // a select stores no row
  if (!ran) return false;
  const unsigned int columnCount = mysql_num_fields(meta.get());
  MYSQL_FIELD* fields = mysql_fetch_fields(meta.get());
  std::vector<std::string> names;
  std::vector<CellReader> readers;
  for (unsigned int c = 0; c < columnCount; ++c) {
    names.emplace_back(fields[c].name ? fields[c].name : "");
    readers.push_back(ReaderFor(fields[c], form));
  }
  receiver.Columns(names);

  // Every cell arrives as text in a buffer that grows when a value is longer.
  std::vector<std::string> buffers(columnCount, std::string(256, '\0'));
  std::vector<unsigned long> lengths(columnCount);
  std::vector<my_bool> nulls(columnCount);
  std::vector<my_bool> truncated(columnCount);
  std::vector<MYSQL_BIND> binds(columnCount);
  auto bindColumn = [&](unsigned int c) {
    binds[c] = MYSQL_BIND{};
    binds[c].buffer_type = MYSQL_TYPE_STRING;
    binds[c].buffer = buffers[c].data();
    binds[c].buffer_length = buffers[c].size();
    binds[c].length = &lengths[c];
    binds[c].is_null = &nulls[c];
    binds[c].error = &truncated[c];
  };
  for (unsigned int c = 0; c < columnCount; ++c) bindColumn(c);
  // The rows wait in the client library's compact form, not as our strings,
  // so that the receiver may write through this connection between rows.
  if (mysql_stmt_bind_result(stmt, binds.data()) != 0 || mysql_stmt_store_result(stmt) != 0) {
    return FailFromStatement(stmt, statement);
  }

  std::vector<std::string> cells(columnCount);
  while (true) {
    int rc = mysql_stmt_fetch(stmt);
    if (rc == MYSQL_NO_DATA) return true;
    if (rc == 1) return FailFromStatement(stmt, statement);
    for (unsigned int c = 0; c < columnCount; ++c) {
      if (rc == MYSQL_DATA_TRUNCATED && truncated[c]) {
        buffers[c].resize(lengths[c]);
        bindColumn(c);
        if (mysql_stmt_fetch_column(stmt, &binds[c], c, 0) != 0) {
          return FailFromStatement(stmt, statement);
        }
      }
      cells[c] = nulls[c] ? std::string()
                          : ReadCell(buffers[c].data(), lengths[c], readers[c]);
    }
    if (rc == MYSQL_DATA_TRUNCATED && mysql_stmt_bind_result(stmt, binds.data()) != 0) {
      return FailFromStatement(stmt, statement);
    }
    if (!receiver.Row(cells)) {
      mysql_stmt_free_result(stmt);  // the rest of the rows are dropped
      return true;
    }
  }
}

// One value in its column's stored form; false (with the reason) when it
// cannot take that form.
bool MariaDbBackend::ToCell(const ColumnDef& column, std::string_view value,
                            const DBSchemaDef& table, Cell& cell) {
  auto invalid = [&](const char* what) {
    return Fail(table.tableName() + "." + column.name + ": " + what + " '" + std::string(value) +
                "'");
  };
  cell.kind = Cell::kNull;
  if (value == kNullText) return true;
  if (column.kind == ColumnKind::kText) {
    cell.kind = Cell::kText;
    cell.text.assign(value);
    return true;
  }
  if (column.kind == ColumnKind::kDate) {
    StoredForm form = NormaliseDate(value, cell.text);
    if (form == StoredForm::kInvalid) return invalid("unreadable date");
    if (form == StoredForm::kValue) cell.kind = Cell::kText;
    return true;
  }
  StoredForm form = column.kind == ColumnKind::kAmount ? ParseAmount(value, cell.integer)
                                                       : ParseWholeNumber(value, cell.integer);
  if (form == StoredForm::kInvalid) {
    return invalid(column.kind == ColumnKind::kAmount ? "not an amount" : "not a whole number");
  }
  if (form == StoredForm::kValue) cell.kind = Cell::kInteger;
  return true;
}

bool MariaDbBackend::Run(MYSQL_STMT* statement, std::span<const Cell> cells) {
  if (!BindAndExecute(statement, cells)) return FailFromStatement(statement, "write");
  lastInsertId_ = static_cast<long long>(mysql_stmt_insert_id(statement));
  return true;
}

bool MariaDbBackend::BindAndExecute(MYSQL_STMT* statement, std::span<const Cell> cells) {
  std::vector<MYSQL_BIND> binds(cells.size());
  std::vector<unsigned long> lengths(cells.size());
  for (size_t i = 0; i < cells.size(); ++i) {
    const Cell& cell = cells[i];
    MYSQL_BIND& bind = binds[i];
    if (cell.kind == Cell::kNull) {
      bind.buffer_type = MYSQL_TYPE_NULL;
    } else if (cell.kind == Cell::kInteger) {
      bind.buffer_type = MYSQL_TYPE_LONGLONG;
      bind.buffer = const_cast<int64_t*>(&cell.integer);
    } else {
      lengths[i] = cell.text.size();
      bind.buffer_type = MYSQL_TYPE_STRING;
      bind.buffer = const_cast<char*>(cell.text.data());
      bind.buffer_length = lengths[i];
      bind.length = &lengths[i];
    }
  }
  return (binds.empty() || mysql_stmt_bind_param(statement, binds.data()) == 0) &&
         mysql_stmt_execute(statement) == 0;
}

bool MariaDbBackend::Insert(const DBData& data, const DBSchemaDef& table) {
  if (!db_) return Fail("not connected");
  if (!Flush()) return false;
  lastInsertId_ = -1;
  std::vector<std::string> names;
  std::vector<Cell> cells(data.size());
  size_t i = 0;
  for (const auto& [name, value] : data) {
    const ColumnDef* column = table.Find(name);
    if (!column) return Fail(table.tableName() + " has no column '" + name + "'");
    if (!ToCell(*column, value, table, cells[i++])) return false;
    names.push_back(name);
  }
  Statement& statement = inserts_[{&table, names}];
  if (!statement) {
    std::string sql = "INSERT INTO " + table.tableName() + " (" + ColumnList(names) + ") VALUES " +
                      SqlPlaceholders(names.size());
    if (!Prepare(sql, statement)) {
      inserts_.erase({&table, names});
      return false;
    }
  }
  return Finish(Run(statement.get(), cells));
}

MYSQL_STMT* MariaDbBackend::BatchInsertFor(const PendingRows& pending, size_t rows) {
  std::tuple<const DBSchemaDef*, uint64_t, size_t> key{pending.table, pending.columnSet, rows};
  Statement& cached = batchInserts_[key];
  if (cached) return cached.get();
  std::vector<std::string> names;
  for (int position : pending.positions) {
    names.emplace_back(pending.table->columns()[static_cast<size_t>(position)].name);
  }
  std::string row = SqlPlaceholders(names.size());
  std::string sql = "INSERT INTO " + pending.table->tableName() + " (" + ColumnList(names) +
                    ") VALUES ";
  for (size_t r = 0; r < rows; ++r) sql += (r ? ", " : "") + row;
  if (const ColumnDef* id = IdColumnOf(*pending.table)) sql += std::string(" RETURNING ") + id->name;
  if (!Prepare(sql, cached)) {
    batchInserts_.erase(key);
    return nullptr;
  }
  return cached.get();
}

bool MariaDbBackend::TakeBatches(std::vector<Batch>& batches) {
  // Tables in creation order: a table whose rows refer to another's (by a
  // foreign key) is described after it.
  auto rank = [](const DBSchemaDef* table) { return table - DBSchemaDef::All().data(); };
  std::stable_sort(pending_.begin(), pending_.end(), [&](const PendingRows& a, const PendingRows& b) {
    return rank(a.table) < rank(b.table);
  });
  bool ok = true;
  for (PendingRows& pending : pending_) {
    if (!ok || pending.rows == 0) continue;
    // Rows whose ids matter go in one multi-row statement that answers with
    // them, in the rows' order, consecutive on a single server. An array of
    // parameter sets is faster, but the server gives its rows ids with gaps.
    const bool returnsIds = IdColumnOf(*pending.table) != nullptr;
    const bool asArray = bulk_ && pending.rows > 1 && !returnsIds;
    MYSQL_STMT* statement = BatchInsertFor(pending, asArray ? 1 : pending.rows);
    ok = statement != nullptr;
    if (ok) batches.push_back({statement, std::move(pending), asArray, returnsIds});
  }
  DropPending();
  return ok;
}

bool MariaDbBackend::Flush() {
  if (pending_.empty()) return true;
  std::vector<Batch> batches;
  bool ok = TakeBatches(batches);
  for (const Batch& batch : batches) {
    ok = ok && (Send(batch) || FailFromStatement(batch.statement, "write")) && TakeIds(batch);
  }
  return ok;
}

bool MariaDbBackend::Send(const Batch& batch) {
  return batch.asArray ? SendArray(batch.statement, batch.rows)
                       : BindAndExecute(batch.statement, batch.rows.cells);
}

bool MariaDbBackend::TakeIds(const Batch& batch) {
  if (!batch.returnsIds) return true;
  MYSQL_STMT* statement = batch.statement;
  long long id = 0;
  MYSQL_BIND bind{};
  bind.buffer_type = MYSQL_TYPE_LONGLONG;
  bind.buffer = &id;
  if (mysql_stmt_bind_result(statement, &bind) != 0 || mysql_stmt_store_result(statement) != 0) {
    return FailFromStatement(statement, "read the ids of " + batch.rows.table->tableName());
  }
  const PendingRows& rows = batch.rows;
  size_t row = 0;
  for (; row < rows.rows && mysql_stmt_fetch(statement) == 0; ++row) {
    if (rows.ids[row]) rows.ids[row]->push_back(static_cast<uint64_t>(id));
    if (row == rows.lastInserted) lastInsertId_ = id;
  }
  mysql_stmt_free_result(statement);
  return row == rows.rows || Fail("the server answered " + std::to_string(row) + " ids for " +
                                  std::to_string(rows.rows) + " rows of " + rows.table->tableName());
}

// The rows go as one array of parameter sets for the one-row insert: the
// server runs that statement once per set, without parsing or binding a
// statement with a placeholder for every value.
bool MariaDbBackend::SendArray(MYSQL_STMT* statement, const PendingRows& pending) {
  const size_t rows = pending.rows;
  const size_t width = pending.positions.size();
  // Column after column: each value's place (an integer, or a pointer to the
  // text), its length and whether it is NULL.
  std::vector<MYSQL_BIND> binds(width);
  std::vector<int64_t> integers(width * rows);
  std::vector<const char*> texts(width * rows);
  std::vector<unsigned long> lengths(width * rows);
  std::vector<char> indicators(width * rows);
  for (size_t c = 0; c < width; ++c) {
    const ColumnDef& column = pending.table->columns()[static_cast<size_t>(pending.positions[c])];
    const bool integer = column.kind != ColumnKind::kText && column.kind != ColumnKind::kDate;
    const size_t first = c * rows;
    for (size_t r = 0; r < rows; ++r) {
      const Cell& cell = pending.cells[r * width + c];
      indicators[first + r] = cell.kind == Cell::kNull ? STMT_INDICATOR_NULL : STMT_INDICATOR_NONE;
      integers[first + r] = cell.integer;
      texts[first + r] = cell.text.data();
      lengths[first + r] = cell.text.size();
    }
    MYSQL_BIND& bind = binds[c];
    bind.buffer_type = integer ? MYSQL_TYPE_LONGLONG : MYSQL_TYPE_STRING;
    bind.buffer = integer ? static_cast<void*>(&integers[first]) : static_cast<void*>(&texts[first]);
    bind.length = &lengths[first];
    bind.u.indicator = &indicators[first];
  }
  unsigned int arraySize = static_cast<unsigned int>(rows);
  unsigned int single = 0;
  bool ok = mysql_stmt_attr_set(statement, STMT_ATTR_ARRAY_SIZE, &arraySize) == 0 &&
            mysql_stmt_bind_param(statement, binds.data()) == 0 &&
            mysql_stmt_execute(statement) == 0;
  // The statement serves single rows too.
  mysql_stmt_attr_set(statement, STMT_ATTR_ARRAY_SIZE, &single);
  return ok;
}

void MariaDbBackend::DropPending() {
  pending_.clear();
  pendingRows_ = 0;
}

bool MariaDbBackend::Insert(std::span<const ColumnValue> fields, const DBSchemaDef& table,
                            InsertedIds* ids) {
  if (!db_) return Fail("not connected");
  const std::vector<ColumnDef>& columns = table.columns();
  uint64_t set = 0;
  std::string refusal;
  if (!ColumnSetOf(fields, table, set, refusal)) return Fail(refusal);
  std::vector<Cell> row(fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    if (!ToCell(columns[static_cast<size_t>(fields[i].first)], fields[i].second, table, row[i])) {
      return false;
    }
  }

  // A table's rows reach it in the order they were given (its ids and the
  // order SELECT * reads follow that order): rows with another set of columns
  // wait for the ones before them.
  bool otherColumns = std::any_of(pending_.begin(), pending_.end(), [&](const PendingRows& rows) {
    return rows.table == &table && rows.columnSet != set;
  });
  if (otherColumns && !Flush()) return false;
  auto pending = std::find_if(pending_.begin(), pending_.end(), [&](const PendingRows& rows) {
    return rows.table == &table && rows.columnSet == set;
  });
  if (pending == pending_.end()) {
    PendingRows rows;
    rows.table = &table;
    rows.columnSet = set;
    for (const auto& [position, value] : fields) rows.positions.push_back(position);
    pending_.push_back(std::move(rows));
    pending = pending_.end() - 1;
  }
  for (Cell& cell : row) pending->cells.push_back(std::move(cell));
  pending->ids.push_back(ids);
  for (PendingRows& rows : pending_) rows.lastInserted = PendingRows::kNone;
  pending->lastInserted = pending->rows++;
  ++pendingRows_;
  lastInsertId_ = -1;  // known once the row is sent
  // Outside a transaction every row is written at once, so that it is durable
  // when the call returns.
  if (levels_.Depth() == 0) return Finish(Flush());
  if (pending->rows >= kBatchRows || pendingRows_ >= 4 * kBatchRows) return Flush();
  return true;
}

bool MariaDbBackend::Update(const DBData& data, const DBSchemaDef& table,
                            const std::string& condition) {
  if (!db_) return Fail("not connected");
  if (data.size() == 0) return Fail("nothing to update in " + table.tableName());
  if (condition.find_first_not_of(" \t") == std::string::npos) {
    return Fail("an update of " + table.tableName() + " needs a condition");
  }
  if (!Flush()) return false;
  std::vector<Cell> cells(data.size());
  std::string sql = "UPDATE " + table.tableName() + " SET ";
  size_t i = 0;
  for (const auto& [name, value] : data) {
    const ColumnDef* column = table.Find(name);
    if (!column) return Fail(table.tableName() + " has no column '" + name + "'");
    if (!ToCell(*column, value, table, cells[i])) return false;
    sql += (i++ ? ", " : "") + name + " = ?";
  }
  sql += " WHERE " + condition;
  Statement statement;
  long long lastId = lastInsertId_;
  bool ok = Prepare(SqlDialect::ForServer(sql), statement) && Run(statement.get(), cells);
  lastInsertId_ = lastId;  // an update stores no new row
  return Finish(ok);
}

MYSQL_STMT* MariaDbBackend::Reused(const std::string& sql) {
  Statement& cached = reused_[sql];
  if (!cached && !Prepare(sql, cached)) {
    reused_.erase(sql);
    return nullptr;
  }
  return cached.get();
}

bool MariaDbBackend::ExecuteWith(const std::string& statement, std::span<const std::string> values) {
  std::vector<Cell> cells(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    cells[i].kind = Cell::kText;
    cells[i].text = values[i];
  }
  return RunKept(statement, cells);
}

bool MariaDbBackend::ExecuteWith(const std::string& statement, std::span<const BoundValue> values) {
  std::vector<Cell> cells(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    cells[i].kind = values[i].isInteger ? Cell::kInteger : Cell::kText;
    cells[i].integer = values[i].integer;
    cells[i].text = values[i].text;
  }
  return RunKept(statement, cells);
}

bool MariaDbBackend::RunKept(const std::string& statement, std::span<const Cell> cells) {
  if (!db_) return Fail("not connected");
  if (!Flush()) return false;
  MYSQL_STMT* prepared = Reused(SqlDialect::ForServer(statement));
  if (!prepared) return Finish(false);
  long long lastId = lastInsertId_;
  bool ok = Run(prepared, cells);
  lastInsertId_ = lastId;
  return Finish(ok);
}

bool MariaDbBackend::UpdateByKey(std::span<const ColumnValue> fields, const DBSchemaDef& table,
                                 const std::string& keyColumn, const std::string& key) {
  // Checked as the file's engine checks them, then sent through the names.
  uint64_t set = 0;
  std::string refusal;
  if (!ColumnSetOf(fields, table, set, refusal)) return Fail(refusal);
  DBData data(table.schemaName());
  for (const auto& [position, value] : fields) {
    data.SetField(table.columns()[static_cast<size_t>(position)].name, std::string(value));
  }
  return UpdateByKey(data, table, keyColumn, key);
}

bool MariaDbBackend::UpdateByKey(const DBData& data, const DBSchemaDef& table,
                                 const std::string& keyColumn, const std::string& key) {
  if (!db_) return Fail("not connected");
  if (data.size() == 0) return Fail("nothing to update in " + table.tableName());
  const ColumnDef* keyDef = table.Find(keyColumn);
  if (!keyDef) return Fail(table.tableName() + " has no column '" + keyColumn + "'");
  if (!Flush()) return false;
  std::vector<Cell> cells(data.size() + 1);
  std::string sql = "UPDATE " + table.tableName() + " SET ";
  size_t i = 0;
  for (const auto& [name, value] : data) {
    const ColumnDef* column = table.Find(name);
    if (!column) return Fail(table.tableName() + " has no column '" + name + "'");
    if (!ToCell(*column, value, table, cells[i])) return false;
    sql += (i++ ? ", " : "") + name + " = ?";
  }
  sql += " WHERE " + keyColumn + " = ?";
  // The key compares as the text it is given, as it would as a quoted literal.
  cells[i].kind = Cell::kText;
  cells[i].text = key;
  MYSQL_STMT* prepared = Reused(sql);
  if (!prepared) return Finish(false);
  long long lastId = lastInsertId_;
  bool ok = Run(prepared, cells);
  lastInsertId_ = lastId;
  return Finish(ok);
}

bool MariaDbBackend::LastInsertId(unsigned long& id) const {
  if (lastInsertId_ <= 0) return false;
  id = static_cast<unsigned long>(lastInsertId_);
  return true;
}

bool MariaDbBackend::Begin() {
  if (!db_) return Fail("not connected");
  if (!Flush()) return false;
  // One writer at a time, as with an SQLite file: the outermost level takes
  // the row lock of our marker, so a second writer on this server waits (up
  // to the lock wait) for the first one's commit and then reads what it
  // stored. Writers on other nodes of a cluster are not held back by it: the
  // rows they both write decide, at commit, which one is done again.
  return levels_.Begin([this] {
    ended_ = false;
    if (!Exec("START TRANSACTION")) return false;
    if (Exec(std::string("SELECT application FROM ") + kMarkerTable + " FOR UPDATE")) return true;
    if (db_) mysql_rollback(db_.get());
    return false;
  });
}

bool MariaDbBackend::Commit() {
  if (!db_ || levels_.Depth() == 0) return Fail("no transaction to commit");
  if (ended_) return Fail("the transaction was ended by an error");
  if (!Flush()) return false;
  committing_ = levels_.Depth() == 1;
  const bool ok = levels_.Commit();
  committing_ = false;
  return ok;
}

bool MariaDbBackend::Rollback() {
  if (levels_.Depth() == 0) return Fail("no transaction to roll back");
  // Held rows were all written after the innermost level began.
  DropPending();
  if (db_ && !ended_) return levels_.Rollback(true);
  // After an error the whole transaction goes, whatever the server kept of
  // it; with the connection gone the server has rolled it back itself.
  if (db_) mysql_rollback(db_.get());
  ended_ = false;
  return levels_.Rollback(false);
}

}  // namespace vo
