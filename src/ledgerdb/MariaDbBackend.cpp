#include "ledgerdb/MariaDbBackend.h"

#include <errmsg.h>
#include <mysql.h>
#include <mysqld_error.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/HEnum.h"
#include "ledgerdb/SqlDialect.h"
#include "ledgerdb/StoredForms.h"
#include "platform/TimeZone.h"

namespace {

constexpr int kDefaultBusyTimeoutMs = 10000;
constexpr unsigned int kConnectTimeoutSeconds = 10;
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

// Connector/C's process-wide state, released when the process ends so that
// leak checkers see only what is really lost.
void UseLibrary() {
  struct Library {
    Library() { mysql_library_init(0, nullptr, nullptr); }
    ~Library() { mysql_library_end(); }
  };
  static Library library;
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

bool IsConnectionLost(unsigned int code) {
  return code == CR_SERVER_GONE_ERROR || code == CR_SERVER_LOST || code == CR_CONNECTION_ERROR ||
         code == CR_CONN_HOST_ERROR || code == ER_CONNECTION_KILLED;
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

std::string Placeholders(size_t count) {
  std::string row = "(";
  for (size_t i = 0; i < count; ++i) row += i ? ", ?" : "?";
  return row + ")";
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

// A literal as SQL writes it (the session takes backslashes literally).
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += c;
    quoted += c;
  }
  return quoted + "'";
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
  statementOnly_ = true;
  return false;
}

bool MariaDbBackend::FailFromDb(const std::string& context) {
  if (!db_) return Fail(context + ": not connected");
  unsigned int code = mysql_errno(db_.get());
  std::string message = mysql_error(db_.get());
  // The server undoes a failed statement and keeps the transaction, except
  // after a deadlock (it rolls the whole transaction back), a full disk or
  // table, a write error, or a lost connection.
  bool statementOnly = code < CR_MIN_ERROR && code != ER_LOCK_DEADLOCK &&
                       code != ER_RECORD_FILE_FULL && code != ER_DISK_FULL &&
                       code != ER_ERROR_ON_WRITE && code != ER_GET_ERRNO && !IsConnectionLost(code);
  if (IsConnectionLost(code)) {
    Fail(context + ": the MariaDB server " + target_.Describe() + " went away (" + message +
                "); " + (levels_.Depth() > 0 ? "the open transaction was lost" : "nothing was written"));
  } else {
    Fail(context + ": " + message);
  }
  statementOnly_ = statementOnly;
  return false;
}

bool MariaDbBackend::TransactionOpen() const {
  return db_ && levels_.Depth() > 0 && (db_->server_status & SERVER_STATUS_IN_TRANS) != 0;
}

bool MariaDbBackend::FailFromStatement(MYSQL_STMT* statement, const std::string& context) {
  unsigned int code = mysql_stmt_errno(statement);
  if (IsConnectionLost(code)) return FailFromDb(context);
  return Fail(context + ": " + mysql_stmt_error(statement));
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
  db_.reset();
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

  UseLibrary();
  db_.reset(mysql_init(nullptr));
  if (!db_) return Fail("cannot start a MariaDB connection: out of memory");
  my_bool off = 0;
  my_bool on = 1;
  unsigned int timeout = kConnectTimeoutSeconds;
  mysql_optionsv(db_.get(), MYSQL_OPT_RECONNECT, &off);
  mysql_optionsv(db_.get(), MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
  mysql_optionsv(db_.get(), MYSQL_SET_CHARSET_NAME, "utf8mb4");
  mysql_optionsv(db_.get(), MYSQL_OPT_LOCAL_INFILE, &off);
  if (!target_.tlsCa.empty()) {
    mysql_optionsv(db_.get(), MYSQL_OPT_SSL_CA, target_.tlsCa.c_str());
    mysql_optionsv(db_.get(), MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &on);
  }
  if (!target_.tlsCert.empty()) mysql_optionsv(db_.get(), MYSQL_OPT_SSL_CERT, target_.tlsCert.c_str());
  if (!target_.tlsKey.empty()) mysql_optionsv(db_.get(), MYSQL_OPT_SSL_KEY, target_.tlsKey.c_str());
  if (target_.tls) mysql_optionsv(db_.get(), MYSQL_OPT_SSL_ENFORCE, &on);

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

  unsigned long capabilities = 0;
  bulk_ = mariadb_get_infov(db_.get(), MARIADB_CONNECTION_EXTENDED_SERVER_CAPABILITIES,
                            &capabilities) == 0 &&
          (capabilities & (MARIADB_CLIENT_STMT_BULK_OPERATIONS >> 32)) != 0;

  // Text literals as standard SQL (and SQLite) read them: a backslash is
  // just a character.
  bool ready = Exec("SET NAMES utf8mb4 COLLATE utf8mb4_nopad_bin") &&
               Exec("SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES')") &&
               Exec("SET SESSION time_zone = '" + SessionTimeZone() + "'") &&
               Exec("SET SESSION TRANSACTION ISOLATION LEVEL REPEATABLE READ") &&
               (SetBusyTimeout(kDefaultBusyTimeoutMs), true);
  if (!ready) {
    error_ = target_.Describe() + ": " + error_;
    db_.reset();
  }
  return ready;
}

std::string MariaDbBackend::CreateStatement(const DBSchemaDef& table) {
  const std::vector<std::string>& indexed = table.indexedColumns();
  auto isIndexed = [&](const char* name) {
    for (const std::string& column : indexed) {
      if (column == name) return true;
    }
    return false;
  };
  std::string sql = "CREATE TABLE IF NOT EXISTS " + table.tableName() + " (";
  std::string key;
  std::string extra;
  for (size_t i = 0; i < table.columns().size(); ++i) {
    const ColumnDef& column = table.columns()[i];
    sql += (i ? ", " : "") + std::string(column.name) + " " + SqlType(column, isIndexed(column.name));
    if (column.kind == ColumnKind::kId && key.empty()) key = column.name;
    if (column.unique) extra += std::string(", UNIQUE KEY (") + column.name + ")";
  }
  if (key.empty()) {
    key = kRowOrderColumn;
    sql += std::string(", ") + kRowOrderColumn + " BIGINT NOT NULL AUTO_INCREMENT INVISIBLE";
  }
  sql += ", PRIMARY KEY (" + key + ")" + extra;
  for (const std::string& column : indexed) {
    sql += ", KEY " + table.tableName() + "_" + column + " (" + column + ")";
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
  if (complete) return true;
  if (readOnly) {
    return Fail(present.empty() ? "database '" + target_.database + "' is empty, not a VO database yet"
                                : "database '" + target_.database + "' is missing some of VO's tables");
  }

  // The mark goes first: a connection that dies half-way leaves a database
  // that the next connect completes rather than refuses. Every statement is
  // safe to run again, and when two clients create at once.
  created = !present.contains("trans_table");
  bool ok = Exec(std::string("CREATE TABLE IF NOT EXISTS ") + kMarkerTable +
                 " (application VARCHAR(32) NOT NULL PRIMARY KEY, schema_version INT NOT NULL)" +
                 kTableOptions) &&
            Exec(std::string("INSERT IGNORE INTO ") + kMarkerTable + " VALUES (" +
                 Quoted(kApplication) + ", " + std::to_string(kSchemaVersion) + ")");
  for (const DBSchemaDef& table : DBSchemaDef::All()) ok = ok && Exec(CreateStatement(table));
  return ok;
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
  nextIds_.clear();  // the statement may write rows of any table
  std::string sql = SqlDialect::ForServer(statement);
  if (mysql_real_query(db_.get(), sql.data(), sql.size()) != 0) return FailFromDb(statement);
  MYSQL_RES* raw = mysql_store_result(db_.get());
  if (!raw) {
    if (mysql_field_count(db_.get()) != 0) return FailFromDb(statement);
    result.Assign({}, {});
    return true;
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
  return true;
}

bool MariaDbBackend::Stream(const std::string& statement, std::span<const std::string> parameters,
                            CellForm form, DbRowReceiver& receiver) {
  if (!db_) return Fail("not connected");
  if (!Flush()) return false;
  Statement prepared;
  if (!Prepare(SqlDialect::ForServer(statement), prepared)) return false;
  MYSQL_STMT* stmt = prepared.get();
  std::vector<Cell> values(parameters.size());
  for (size_t i = 0; i < parameters.size(); ++i) {
    values[i].kind = Cell::kText;
    values[i].text = parameters[i];
  }
  long long lastId = lastInsertId_;
  bool ran = Run(stmt, values);
  lastInsertId_ = lastId;  // a select stores no row
  if (!ran) return false;

  std::unique_ptr<MYSQL_RES, decltype(&mysql_free_result)> meta(mysql_stmt_result_metadata(stmt),
                                                                mysql_free_result);
  if (!meta) return Fail(statement + ": not a select");
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
                      Placeholders(names.size());
    if (!Prepare(sql, statement)) {
      inserts_.erase({&table, names});
      return false;
    }
  }
  nextIds_.erase(&table);  // the server chooses this row's id
  lastIdKnown_ = Run(statement.get(), cells);
  return lastIdKnown_;
}

MYSQL_STMT* MariaDbBackend::BatchInsertFor(const PendingRows& pending, size_t rows) {
  std::tuple<const DBSchemaDef*, uint64_t, size_t> key{pending.table, pending.columnSet, rows};
  Statement& cached = batchInserts_[key];
  if (cached) return cached.get();
  std::vector<std::string> names;
  for (int position : pending.positions) {
    names.emplace_back(pending.table->columns()[static_cast<size_t>(position)].name);
  }
  std::string row = Placeholders(names.size());
  std::string sql = "INSERT INTO " + pending.table->tableName() + " (" + ColumnList(names) +
                    ") VALUES ";
  for (size_t r = 0; r < rows; ++r) sql += (r ? ", " : "") + row;
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
    const bool asArray = bulk_ && pending.rows > 1;
    MYSQL_STMT* statement = BatchInsertFor(pending, asArray ? 1 : pending.rows);
    ok = statement != nullptr;
    if (ok) batches.push_back({statement, std::move(pending), asArray});
  }
  DropPending();
  return ok;
}

bool MariaDbBackend::Flush() {
  if (pending_.empty()) return true;
  // Inside a transaction the ids were handed out already; outside, the one
  // row sent takes the id the server gives it.
  long long handedOut = lastInsertId_;
  std::vector<Batch> batches;
  bool ok = TakeBatches(batches);
  for (const Batch& batch : batches) {
    if (!ok) break;
    if (!Send(batch)) ok = FailFromStatement(batch.statement, "write");
  }
  if (ok && !batches.empty()) {
    lastInsertId_ = static_cast<long long>(mysql_stmt_insert_id(batches.back().statement));
  }
  if (levels_.Depth() > 0) lastInsertId_ = handedOut;
  return ok;
}

bool MariaDbBackend::Send(const Batch& batch) {
  return batch.asArray ? SendArray(batch.statement, batch.rows)
                       : BindAndExecute(batch.statement, batch.rows.cells);
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

bool MariaDbBackend::NextId(const DBSchemaDef& table, size_t idPosition, long long& id) {
  auto known = nextIds_.find(&table);
  if (known != nextIds_.end()) {
    id = known->second;
    return true;
  }
  if (!Flush()) return false;
  std::string column = table.columns()[idPosition].name;
  std::string sql = "SELECT COALESCE(MAX(" + column + "), 0) + 1 FROM " + table.tableName();
  if (mysql_real_query(db_.get(), sql.data(), sql.size()) != 0) return FailFromDb(sql);
  MYSQL_RES* result = mysql_store_result(db_.get());
  if (!result) return FailFromDb(sql);
  MYSQL_ROW row = mysql_fetch_row(result);
  id = row && row[0] ? std::atoll(row[0]) : 1;
  mysql_free_result(result);
  nextIds_[&table] = id;
  return true;
}

bool MariaDbBackend::Insert(std::span<const ColumnValue> fields, const DBSchemaDef& table) {
  if (!db_) return Fail("not connected");
  const std::vector<ColumnDef>& columns = table.columns();
  uint64_t set = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    int position = fields[i].first;
    if (position < 0 || static_cast<size_t>(position) >= columns.size() || position >= 64) {
      return Fail(table.tableName() + " has no column at position " + std::to_string(position));
    }
    if (i > 0 && fields[i - 1].first >= position) return Fail("fields out of column order");
    set |= uint64_t{1} << position;
  }
  std::vector<std::pair<int, Cell>> row(fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    row[i].first = fields[i].first;
    if (!ToCell(columns[static_cast<size_t>(fields[i].first)], fields[i].second, table,
                row[i].second)) {
      return false;
    }
  }

  // Inside a transaction rows are buffered, so the id each one takes is
  // handed out here: the caller may link other rows to it at once.
  size_t idPosition = columns.size();
  for (size_t c = 0; c < columns.size() && c < 64; ++c) {
    if (columns[c].kind == ColumnKind::kId) {
      idPosition = c;
      break;
    }
  }
  lastIdKnown_ = false;
  if (levels_.Depth() > 0 && idPosition < columns.size()) {
    auto given = std::find_if(row.begin(), row.end(),
                              [&](const auto& cell) { return cell.first == static_cast<int>(idPosition); });
    long long id = 0;
    if (given != row.end() && given->second.kind == Cell::kInteger) {
      id = given->second.integer;
      long long next = 0;
      if (!NextId(table, idPosition, next)) return false;
      nextIds_[&table] = std::max(next, id + 1);
    } else {
      if (!NextId(table, idPosition, id)) return false;
      nextIds_[&table] = id + 1;
      Cell cell;
      cell.kind = Cell::kInteger;
      cell.integer = id;
      if (given != row.end()) {
        given->second = cell;
      } else {
        row.emplace_back(static_cast<int>(idPosition), cell);
        std::sort(row.begin(), row.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        set |= uint64_t{1} << idPosition;
      }
    }
    lastInsertId_ = id;
    lastIdKnown_ = true;
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
    for (const auto& [position, cell] : row) rows.positions.push_back(position);
    pending_.push_back(std::move(rows));
    pending = pending_.end() - 1;
  }
  for (auto& [position, cell] : row) pending->cells.push_back(std::move(cell));
  ++pending->rows;
  ++pendingRows_;
  // Outside a transaction every row is written at once, so that it is durable
  // when the call returns.
  if (levels_.Depth() == 0) {
    bool ok = Flush();
    lastIdKnown_ = ok;
    return ok;
  }
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
  return ok;
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
  if (!db_) return Fail("not connected");
  if (!Flush()) return false;
  nextIds_.clear();  // the statement may write rows of any table
  MYSQL_STMT* prepared = Reused(SqlDialect::ForServer(statement));
  if (!prepared) return false;
  std::vector<Cell> cells(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    cells[i].kind = Cell::kText;
    cells[i].text = values[i];
  }
  long long lastId = lastInsertId_;
  bool ok = Run(prepared, cells);
  lastInsertId_ = lastId;
  return ok;
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
  if (!prepared) return false;
  long long lastId = lastInsertId_;
  bool ok = Run(prepared, cells);
  lastInsertId_ = lastId;
  return ok;
}

bool MariaDbBackend::LastInsertId(unsigned long& id) const {
  if (lastInsertId_ <= 0 || !lastIdKnown_) return false;
  id = static_cast<unsigned long>(lastInsertId_);
  return true;
}

bool MariaDbBackend::Begin() {
  if (!db_) return Fail("not connected");
  if (!Flush()) return false;
  if (levels_.Depth() == 0) nextIds_.clear();
  // One writer at a time, as with an SQLite file: the outermost level takes
  // the row lock of our marker, so a second writer waits (up to the busy
  // timeout) for the first one's commit and then reads what it stored.
  return levels_.Begin([this] {
    return Exec("START TRANSACTION") &&
           (Exec(std::string("SELECT application FROM ") + kMarkerTable + " FOR UPDATE") ||
            (Exec("ROLLBACK"), false));
  });
}

bool MariaDbBackend::Commit() {
  if (!db_ || levels_.Depth() == 0) return Fail("no transaction to commit");
  return Flush() && levels_.Commit();
}

bool MariaDbBackend::Rollback() {
  if (!db_ || levels_.Depth() == 0) return Fail("no transaction to roll back");
  // Buffered rows were all written after the innermost level began.
  DropPending();
  nextIds_.clear();
  // The server may have ended the transaction already (a deadlock rolls it
  // back whole).
  return levels_.Rollback((db_->server_status & SERVER_STATUS_IN_TRANS) != 0);
}
