#include "ledgerdb/SqliteBackend.h"

#include <sqlite3.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <new>
#include <optional>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/DbRowRewriter.h"
#include "ledgerdb/HEnum.h"
#include "ledgerdb/SqlDialect.h"
#include "ledgerdb/SqliteCells.h"
#include "ledgerdb/SqliteReadAhead.h"
#include "ledgerdb/StoreCheck.h"
#include "ledgerdb/StoredForms.h"
#include "platform/TimeZone.h"

namespace vo {

namespace {

constexpr int kDefaultBusyTimeoutMs = 10000;
constexpr char kNullText[] = "NULL";
constexpr char kDupCleanupTrigger[] = "trans_dup_cleanup";
constexpr char kRunLinkCleanupTrigger[] = "import_run_trans_cleanup";
// Room for a whole import's pages, so a large transaction is not spilled to the
// journal and read back before it commits.
constexpr int kCacheKilobytes = 65536;
// Another size of that cache, for a small machine (and for tests that need
// the pages of an import to reach the file before it commits).
constexpr char kCacheSizeVariable[] = "VO_DB_CACHE_KB";
// A reader scans (a table read whole is read once) or looks up a few rows
// through an index: a small cache serves both, and the process stays small.
constexpr char kReadCachePragma[] = "PRAGMA cache_size = -4096";
// Trades read by date are sorted; a second thread halves the sort's merging.
constexpr char kReadSortThreadsPragma[] = "PRAGMA threads = 2";
// Pages for a new database file (an existing one keeps its own). The tables
// are mostly appended to and read whole; large pages mean an eighth of the
// page writes and system calls of the 4 KB default when an import commits,
// which halves its commit time.
constexpr char kPageSize[] = "PRAGMA page_size = 32768";

// NOW(): local standard time in the stored date form, like DateTime::Now.
void NowFunction(sqlite3_context* context, int, sqlite3_value**) {
  std::time_t now = std::time(nullptr) - static_cast<std::time_t>(TimeZoneBiasMinutes()) * 60;
  std::tm parts{};
  gmtime_r(&now, &parts);
  char text[32];
  size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
  sqlite3_result_text(context, text, static_cast<int>(length), SQLITE_TRANSIENT);
}

CellReader ReaderFor(sqlite3_stmt* statement, int column, CellForm form) {
  if (form == CellForm::kStored) return {};
  const char* table = sqlite3_column_table_name(statement, column);
  const char* origin = sqlite3_column_origin_name(statement, column);
  if (!table || !origin) return {};
  const DBSchemaDef* def = DBSchemaDef::ForTable(table);
  return ReaderForColumn(def ? def->Find(origin) : nullptr, form);
}

}  // namespace

// One RewriteRows while its statement runs. The statement's condition asks
// the rewriter about each row; the rows it changes wait here, by rowid, until
// the statement's assignments take their values. SQLite assigns each chosen
// row right after choosing it, so one row waits in `held` (its values swapped
// in, nothing allocated); any others (a table with triggers has every row
// chosen first) wait in `waiting`.
struct RowRewrite {
  struct Waiting {
    std::vector<std::optional<std::string>> values;
    size_t untaken = 0;  // assignments still to come; 0: nothing waits
  };
  DbRowRewriter& rewriter;
  std::vector<CellReader> readers;
  std::vector<std::string> cells;
  std::vector<std::optional<std::string>> values;
  sqlite3_int64 heldRow = 0;
  Waiting held;
  std::unordered_map<sqlite3_int64, Waiting> waiting;
  // Set while the rows are decided ahead: the statement takes their values
  // from it instead of asking the rewriter. `stale` once a row differed.
  SqliteReadAhead* ahead = nullptr;
  bool stale = false;
};

namespace {

constexpr char kChooseRowFunction[] = "vo_rewrite_row";
constexpr char kTakeValueFunction[] = "vo_rewritten_value";

// vo_rewrite_row(rowid, read...): whether the rewriter changes the row.
void ChooseRow(sqlite3_context* context, int count, sqlite3_value** args) {
  RowRewrite& rewrite = *static_cast<RowRewrite*>(sqlite3_user_data(context));
  try {
    const sqlite3_int64 row = sqlite3_value_int64(args[0]);
    for (std::optional<std::string>& value : rewrite.values) value.reset();
    if (rewrite.ahead) {
      uint64_t digest = 0;
      for (int i = 1; i < count; ++i) digest = DigestCell(digest, args[i]);
      if (!rewrite.ahead->Take(row, digest, rewrite.values)) {
        rewrite.stale = true;
        sqlite3_result_error(context, "the rows read ahead are not the rows rewritten", -1);
        return;
      }
    } else {
      for (int i = 1; i < count; ++i) {
        const size_t cell = static_cast<size_t>(i - 1);
        ReadCell(args[i], rewrite.readers[cell], rewrite.cells[cell]);
      }
      rewrite.rewriter.Rewrite(rewrite.cells, rewrite.values);
    }
    const bool changes = DbRowRewriter::Changes(rewrite.values);
    if (changes && rewrite.held.untaken == 0) {
      rewrite.heldRow = row;
      rewrite.held.values.swap(rewrite.values);
      rewrite.held.untaken = rewrite.held.values.size();
      rewrite.values.resize(rewrite.held.values.size());
    } else if (changes) {
      rewrite.waiting[row] = {rewrite.values, rewrite.values.size()};
    }
    sqlite3_result_int(context, changes ? 1 : 0);
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(context);
  } catch (...) {
    sqlite3_result_error(context, "a row could not be rewritten", -1);
  }
}

// vo_rewritten_value(index, rowid, current): the written column's new value,
// or the one it has.
void TakeValue(sqlite3_context* context, int, sqlite3_value** args) {
  RowRewrite& rewrite = *static_cast<RowRewrite*>(sqlite3_user_data(context));
  const sqlite3_int64 row = sqlite3_value_int64(args[1]);
  const sqlite3_int64 index = sqlite3_value_int64(args[0]);
  const bool held = rewrite.held.untaken > 0 && rewrite.heldRow == row;
  auto other = held ? rewrite.waiting.end() : rewrite.waiting.find(row);
  if (!held && other == rewrite.waiting.end()) {
    sqlite3_result_error(context, "a row was written that was not chosen", -1);
    return;
  }
  RowRewrite::Waiting& waiting = held ? rewrite.held : other->second;
  if (index < 0 || static_cast<size_t>(index) >= waiting.values.size()) {
    sqlite3_result_error(context, "a row was written that was not chosen", -1);
    return;
  }
  const std::optional<std::string>& value = waiting.values[static_cast<size_t>(index)];
  if (value) {
    sqlite3_result_text(context, value->data(), static_cast<int>(value->size()), SQLITE_TRANSIENT);
  } else {
    sqlite3_result_value(context, args[2]);
  }
  if (--waiting.untaken == 0 && !held) rewrite.waiting.erase(other);
}

// Defines the two functions of a rewrite over `rewrite`; with none, removes them.
bool DefineRewriteFunctions(sqlite3* db, RowRewrite* rewrite) {
  auto define = [&](const char* name, int arguments, void (*function)(sqlite3_context*, int, sqlite3_value**)) {
    return sqlite3_create_function_v2(db, name, arguments, SQLITE_UTF8 | SQLITE_DIRECTONLY, rewrite,
                                      rewrite ? function : nullptr, nullptr, nullptr, nullptr) == SQLITE_OK;
  };
  const bool chosen = define(kChooseRowFunction, -1, ChooseRow);
  return define(kTakeValueFunction, 3, TakeValue) && chosen;
}

// Result codes that concern only the statement that got them: its values,
// a constraint, its text. Every other failure (a full disk, an I/O error, a
// damaged or locked file, memory) is the database's and ends the transaction.
bool IsStatementOnly(int code) {
  switch (code & 0xff) {
    case SQLITE_ERROR:
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
      return true;
    default:
      return false;
  }
}

std::string CacheSizePragma() {
  const char* text = std::getenv(kCacheSizeVariable);
  long kilobytes = text ? std::strtol(text, nullptr, 10) : 0;
  if (kilobytes <= 0) kilobytes = kCacheKilobytes;
  return "PRAGMA cache_size = -" + std::to_string(kilobytes);
}

bool IsBlankTail(const char* tail) {
  for (; tail && *tail; ++tail) {
    if (*tail != ' ' && *tail != '\t' && *tail != '\n' && *tail != '\r' && *tail != ';') {
      return false;
    }
  }
  return true;
}

// "file:PATH?immutable=1", the path's bytes that a URI gives a meaning
// escaped.
std::string ImmutableUri(const std::string& file) {
  std::string uri = file.starts_with('/') ? "file://" : "file:";  // an empty authority before a path
  for (char c : file) {
    if (c == '%' || c == '?' || c == '#') {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      uri += escaped;
    } else {
      uri += c;
    }
  }
  return uri + "?immutable=1";
}

}  // namespace

void SqliteBackend::CloseConnection::operator()(sqlite3* db) const { sqlite3_close_v2(db); }
void SqliteBackend::FinalizeStatement::operator()(sqlite3_stmt* statement) const {
  sqlite3_finalize(statement);
}

SqliteBackend::~SqliteBackend() {
  // Statements go before the connection; an open transaction is rolled back
  // by closing.
  inserts_.clear();
  rowInserts_.clear();
}

bool SqliteBackend::Fail(std::string message) {
  error_ = std::move(message);
  failure_ = DbFailure::kStatement;
  return false;
}

bool SqliteBackend::FailWithCode(int code, std::string message) {
  error_ = std::move(message);
  failure_ = IsStatementOnly(code) ? DbFailure::kStatement : DbFailure::kTransaction;
  return false;
}

bool SqliteBackend::FailFromDb(const std::string& context) {
  if (!db_) return Fail(context + ": not connected");
  return FailWithCode(sqlite3_extended_errcode(db_.get()),
                      context + ": " + sqlite3_errmsg(db_.get()));
}

bool SqliteBackend::TransactionOpen() const {
  return db_ && levels_.Depth() > 0 && !sqlite3_get_autocommit(db_.get());
}

bool SqliteBackend::Exec(const std::string& sql) {
  char* message = nullptr;
  int rc = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &message);
  if (rc == SQLITE_OK) return true;
  std::string text = message ? message : sqlite3_errmsg(db_.get());
  sqlite3_free(message);
  return FailWithCode(rc, sql + ": " + text);
}

bool SqliteBackend::Prepare(const std::string& sql, Statement& statement) {
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db_.get(), sql.c_str(), static_cast<int>(sql.size()), &raw, &tail);
  statement.reset(raw);
  if (rc != SQLITE_OK) return FailFromDb(sql);
  if (!raw) return Fail("empty statement");
  if (!IsBlankTail(tail)) return Fail("one statement at a time: " + sql);
  return true;
}

bool SqliteBackend::Open(const std::string& file, bool& created) {
  created = false;
  if (!Connect(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) return false;
  StoreCheck::Found found;
  bool ready = ReadStore(found) && Judge(found);
  if (ready && StoreCheck::IsEmpty(found)) {
    // Only a file we make gets our page size and journal mode.
    ready = Exec(kPageSize) && Exec("PRAGMA journal_mode = WAL");
  }
  // The cache size comes after the page size: SQLite counts it in the pages
  // of the size it has then, and counted in default-sized ones a large first
  // import held eight times the memory instead of spilling past the cache.
  ready = ready && Exec(CacheSizePragma()) && CreateSchema(created);
  if (!ready) {
    error_ = file + ": " + error_;
    db_.reset();
  }
  return ready;
}

// A reader leaves the folder as it found it. Where it could write, it opens
// read-write but refuses writes itself, because only such a connection
// removes the -wal and -shm files when it closes; where it cannot, a file
// with no write-ahead log waiting is opened immutable, which needs neither.
bool SqliteBackend::OpenToRead(const std::string& file) {
  const std::filesystem::path path(file);
  const std::string folder = path.has_parent_path() ? path.parent_path().string() : ".";
  const bool writable = access(file.c_str(), W_OK) == 0 && access(folder.c_str(), W_OK) == 0;
  std::error_code error;
  const bool logWaiting = std::filesystem::exists(file + "-wal", error);
  bool connected = writable      ? Connect(file, SQLITE_OPEN_READWRITE)
                   : logWaiting ? Connect(file, SQLITE_OPEN_READONLY)
                                : Connect(file, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, ImmutableUri(file));
  if (!connected) return false;
  StoreCheck::Found found;
  bool ready = Exec(kReadCachePragma) && Exec(kReadSortThreadsPragma) && ReadStore(found) && Judge(found);
  if (ready && StoreCheck::IsEmpty(found)) ready = Fail("there is no VO database in it");
  // A file made before some of our tables existed gets them on its next
  // write; until then a reader sees them empty. They are made in this
  // connection's temporary schema, which leaves the file alone.
  for (const DBSchemaDef& table : DBSchemaDef::All()) {
    if (!ready || found.tables.contains(table.tableName())) continue;
    ready = Exec(table.CreateTableStatement(true));
  }
  ready = ready && (!writable || Exec("PRAGMA query_only = 1"));
  if (!ready) {
    error_ = file + ": " + error_;
    db_.reset();
  }
  return ready;
}

bool SqliteBackend::Connect(const std::string& file, int flags, const std::string& uri) {
  sqlite3* raw = nullptr;
  // One thread at a time uses a connection (the library is called from one
  // thread at a time, an import's second thread never touches the database,
  // and a rewrite's read-ahead opens a connection of its own), so SQLite's
  // own lock around every call and cell is only cost.
  int rc = sqlite3_open_v2(uri.empty() ? file.c_str() : uri.c_str(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  db_.reset(raw);
  if (rc != SQLITE_OK) {
    FailFromDb("cannot open " + file);
    db_.reset();
    return false;
  }
  sqlite3_extended_result_codes(db_.get(), 1);
  SetBusyTimeout(kDefaultBusyTimeoutMs);
  // SQLite opens a file it may not write read-only; an import would then
  // refuse every row one by one and call itself a success.
  bool ready = !(flags & SQLITE_OPEN_READWRITE) || !sqlite3_db_readonly(db_.get(), "main") ||
               Fail("the database file cannot be written (a read-only file, folder or disk)");
  // Settings of this connection only; the file is not changed by them.
  ready = ready && Exec("PRAGMA synchronous = FULL") && Exec("PRAGMA foreign_keys = OFF") &&
               (sqlite3_create_function(db_.get(), "NOW", 0, SQLITE_UTF8, nullptr, NowFunction,
                                        nullptr, nullptr) == SQLITE_OK ||
                FailFromDb("NOW"));
  if (!ready) {
    error_ = file + ": " + error_;
    db_.reset();
  }
  return ready;
}

bool SqliteBackend::ReadText(const std::string& pragma, std::string& value) {
  Statement statement;
  if (!Prepare("PRAGMA " + pragma, statement)) return false;
  if (sqlite3_step(statement.get()) != SQLITE_ROW) return FailFromDb("PRAGMA " + pragma);
  const unsigned char* text = sqlite3_column_text(statement.get(), 0);
  value = text ? reinterpret_cast<const char*>(text) : "";
  return true;
}

bool SqliteBackend::ReadNumber(const std::string& pragma, int64_t& value) {
  std::string text;
  if (!ReadText(pragma, text)) return false;
  value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return true;
}

bool SqliteBackend::ReadStore(StoreCheck::Found& found) {
  if (!ReadNumber("application_id", found.owner) || !ReadNumber("user_version", found.version)) {
    return false;
  }
  Statement tables;
  if (!Prepare("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite$_%' "
               "ESCAPE '$'",
               tables)) {
    return false;
  }
  int rc;
  while ((rc = sqlite3_step(tables.get())) == SQLITE_ROW) {
    found.tables[reinterpret_cast<const char*>(sqlite3_column_text(tables.get(), 0))];
  }
  if (rc != SQLITE_DONE) return FailFromDb("read the schema");
  for (auto& [name, columns] : found.tables) {
    Statement info;
    if (!Prepare("SELECT name, type FROM pragma_table_info(?)", info)) return false;
    sqlite3_bind_text(info.get(), 1, name.c_str(), static_cast<int>(name.size()), SQLITE_STATIC);
    while ((rc = sqlite3_step(info.get())) == SQLITE_ROW) {
      auto text = [&](int column) {
        const unsigned char* cell = sqlite3_column_text(info.get(), column);
        return std::string(cell ? reinterpret_cast<const char*>(cell) : "");
      };
      columns.push_back({text(0), text(1)});
    }
    if (rc != SQLITE_DONE) return FailFromDb("read the columns of " + name);
  }
  return true;
}

bool SqliteBackend::Judge(const StoreCheck::Found& found) {
  std::string difference = StoreCheck::Difference(found, DBSchemaDef::DeclaredType);
  if (difference.empty()) return true;
  return Fail("not a VO database, nothing was changed: " + difference);
}

bool SqliteBackend::SchemaComplete(bool& complete) {
  Statement names;
  if (!Prepare("SELECT name FROM sqlite_master", names)) return false;
  std::set<std::string> present;
  int rc;
  while ((rc = sqlite3_step(names.get())) == SQLITE_ROW) {
    const char* name = reinterpret_cast<const char*>(sqlite3_column_text(names.get(), 0));
    if (name) present.insert(name);
  }
  if (rc != SQLITE_DONE) return FailFromDb("read the schema");
  int64_t owner = 0;
  if (!ReadNumber("application_id", owner)) return false;
  complete = owner == StoreCheck::kApplicationId && present.contains(kDupCleanupTrigger) &&
             present.contains(kRunLinkCleanupTrigger) && !present.contains(kRetiredTradeDateIndex);
  for (const DBSchemaDef& table : DBSchemaDef::All()) {
    for (const std::string& name : table.ObjectNames()) complete = complete && present.contains(name);
  }
  return true;
}

bool SqliteBackend::CreateSchema(bool& created) {
  created = false;
  // A file that has everything is only read: taking the write lock here would
  // make every reader wait for whichever import holds it.
  bool complete = false;
  if (!SchemaComplete(complete)) return false;
  if (complete) return true;
  if (!Exec("BEGIN IMMEDIATE")) return false;
  // Another process may have changed the file since it was judged.
  StoreCheck::Found found;
  if (!ReadStore(found) || !Judge(found)) {
    std::string error = error_;
    Exec("ROLLBACK");
    return Fail(error);
  }
  Statement probe;
  bool ok = Prepare("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'trans_table'",
                    probe) &&
            sqlite3_step(probe.get()) == SQLITE_ROW;
  created = ok && sqlite3_column_int(probe.get(), 0) == 0;
  probe.reset();
  for (const DBSchemaDef& table : DBSchemaDef::All()) {
    for (const std::string& sql : table.CreateStatements()) ok = ok && Exec(sql);
  }
  ok = ok && Exec(std::string("DROP INDEX IF EXISTS ") + kRetiredTradeDateIndex);
  // A deleted transaction takes its duplicate flag with it.
  ok = ok && Exec(std::string("CREATE TRIGGER IF NOT EXISTS ") + kDupCleanupTrigger +
                  " AFTER DELETE ON trans_table BEGIN DELETE FROM " + kTransDupTable +
                  " WHERE trans_id = OLD.trans_id; END");
  // And its link to the import run that wrote it, so that a reused id is never
  // taken for that run's row.
  ok = ok && Exec(std::string("CREATE TRIGGER IF NOT EXISTS ") + kRunLinkCleanupTrigger +
                  " AFTER DELETE ON trans_table BEGIN DELETE FROM " + kImportRunTransTable +
                  " WHERE trans_id = OLD.trans_id; END");
  ok = ok && Exec("PRAGMA application_id = " + std::to_string(StoreCheck::kApplicationId)) &&
       Exec("PRAGMA user_version = " + std::to_string(StoreCheck::kSchemaVersion));
  if (ok) return Exec("COMMIT");
  std::string error = error_;
  Exec("ROLLBACK");
  return Fail(error);
}

void SqliteBackend::SetBusyTimeout(int milliseconds) {
  if (db_) sqlite3_busy_timeout(db_.get(), milliseconds);
}

bool SqliteBackend::Execute(const std::string& statement, bool friendlyEnums,
                            DBQueryResult& result) {
  if (!db_) return Fail("not connected");
  Statement prepared;
  if (!Prepare(SqlDialect::Rewrite(statement), prepared)) return false;
  sqlite3_stmt* stmt = prepared.get();

  int columnCount = sqlite3_column_count(stmt);
  std::vector<std::string> names;
  std::vector<CellReader> readers;
  for (int c = 0; c < columnCount; ++c) {
    const char* name = sqlite3_column_name(stmt, c);
    names.emplace_back(name ? name : "");
    readers.push_back(ReaderFor(stmt, c, friendlyEnums ? CellForm::kFriendly : CellForm::kDecimal));
  }

  std::vector<DBQueryResult::Row> rows;
  while (true) {
    int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) return FailFromDb(statement);
    DBQueryResult::Row& row = rows.emplace_back();
    row.resize(static_cast<size_t>(columnCount));
    for (int c = 0; c < columnCount; ++c) {
      ReadCell(sqlite3_column_value(stmt, c), readers[c], row[static_cast<size_t>(c)]);
    }
  }
  result.Assign(std::move(names), std::move(rows));
  return true;
}

bool SqliteBackend::Stream(const std::string& statement, std::span<const std::string> parameters,
                           CellForm form, DbRowReceiver& receiver) {
  if (!db_) return Fail("not connected");
  Statement prepared;
  if (!Prepare(SqlDialect::Rewrite(statement), prepared)) return false;
  sqlite3_stmt* stmt = prepared.get();
  if (!sqlite3_stmt_readonly(stmt)) return Fail("a read may not write: " + statement);
  for (size_t i = 0; i < parameters.size(); ++i) {
    if (sqlite3_bind_text(stmt, static_cast<int>(i + 1), parameters[i].data(),
                          static_cast<int>(parameters[i].size()), SQLITE_STATIC) != SQLITE_OK) {
      return FailFromDb(statement);
    }
  }

  const int columnCount = sqlite3_column_count(stmt);
  std::vector<std::string> names;
  std::vector<CellReader> readers;
  for (int c = 0; c < columnCount; ++c) {
    const char* name = sqlite3_column_name(stmt, c);
    names.emplace_back(name ? name : "");
    readers.push_back(ReaderFor(stmt, c, form));
  }
  receiver.Columns(names);

  // One row buffer reused for every row: its strings keep their capacity.
  std::vector<std::string> cells(static_cast<size_t>(columnCount));
  while (true) {
    int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE) return true;
    if (rc != SQLITE_ROW) return FailFromDb(statement);
    for (int c = 0; c < columnCount; ++c) {
      ReadCell(sqlite3_column_value(stmt, c), readers[static_cast<size_t>(c)], cells[static_cast<size_t>(c)]);
    }
    if (!receiver.Row(cells)) return true;
  }
}

// Binds one value in its column's stored form; false (with the reason) when
// it cannot take that form.
bool SqliteBackend::BindValue(sqlite3_stmt* statement, int position, const ColumnDef& column,
                              std::string_view value, const DBSchemaDef& table) {
  auto invalid = [&](const char* what) {
    return Fail(table.tableName() + "." + column.name + ": " + what + " '" + std::string(value) +
                "'");
  };
  int rc = SQLITE_OK;
  if (value == kNullText) {
    rc = sqlite3_bind_null(statement, position);
  } else if (column.kind == ColumnKind::kText) {
    rc = sqlite3_bind_text(statement, position, value.data(), static_cast<int>(value.size()),
                           SQLITE_STATIC);
  } else if (column.kind == ColumnKind::kDate) {
    auto slot = static_cast<size_t>(position);
    if (dates_.size() <= slot) dates_.resize(slot + 1);
    std::string& date = dates_[slot];
    StoredForm form = NormaliseDate(value, date);
    if (form == StoredForm::kInvalid) return invalid("unreadable date");
    rc = form == StoredForm::kNull
             ? sqlite3_bind_null(statement, position)
             : sqlite3_bind_text(statement, position, date.data(), static_cast<int>(date.size()),
                                 SQLITE_STATIC);
  } else {
    int64_t number = 0;
    StoredForm form = column.kind == ColumnKind::kAmount ? ParseAmount(value, number)
                                                         : ParseWholeNumber(value, number);
    if (form == StoredForm::kInvalid) {
      return invalid(column.kind == ColumnKind::kAmount ? "not an amount" : "not a whole number");
    }
    rc = form == StoredForm::kNull ? sqlite3_bind_null(statement, position)
                                   : sqlite3_bind_int64(statement, position, number);
  }
  if (rc != SQLITE_OK) return FailFromDb(std::string("bind ") + column.name);
  return true;
}

bool SqliteBackend::BindFields(sqlite3_stmt* statement, const DBData& data,
                               const std::vector<const ColumnDef*>& columns,
                               const DBSchemaDef& table) {
  int position = 0;
  for (const auto& [name, value] : data) {
    const ColumnDef& column = *columns[static_cast<size_t>(position)];
    if (!BindValue(statement, ++position, column, value, table)) return false;
  }
  return true;
}

bool SqliteBackend::StepToDone(sqlite3_stmt* statement) {
  int rc = sqlite3_step(statement);
  bool done = rc == SQLITE_DONE || rc == SQLITE_ROW;
  if (!done) FailFromDb("write");
  sqlite3_reset(statement);
  return done;
}

SqliteBackend::PreparedInsert* SqliteBackend::InsertFor(const DBData& data,
                                                        const DBSchemaDef& table) {
  std::vector<PreparedInsert>& cached = inserts_[&table];
  for (PreparedInsert& insert : cached) {
    if (insert.names.size() != data.size()) continue;
    auto name = insert.names.begin();
    auto field = data.begin();
    while (field != data.end() && *name == field->first) ++name, ++field;
    if (field == data.end()) return &insert;
  }

  PreparedInsert insert;
  std::string columns;
  std::string values;
  for (const auto& [name, value] : data) {
    const ColumnDef* column = table.Find(name);
    if (!column) {
      Fail(table.tableName() + " has no column '" + name + "'");
      return nullptr;
    }
    columns += (insert.names.empty() ? "" : ", ") + name;
    values += insert.names.empty() ? "?" : ", ?";
    insert.names.push_back(name);
    insert.columns.push_back(column);
  }
  std::string sql = insert.names.empty()
                        ? "INSERT INTO " + table.tableName() + " DEFAULT VALUES"
                        : "INSERT INTO " + table.tableName() + " (" + columns + ") VALUES (" +
                              values + ")";
  if (!Prepare(sql, insert.statement)) return nullptr;
  return &cached.emplace_back(std::move(insert));
}

bool SqliteBackend::Insert(const DBData& data, const DBSchemaDef& table) {
  if (!db_) return Fail("not connected");
  PreparedInsert* insert = InsertFor(data, table);
  if (!insert) return false;
  sqlite3_stmt* statement = insert->statement.get();
  if (!BindFields(statement, data, insert->columns, table)) {
    sqlite3_reset(statement);
    return false;
  }
  if (!StepToDone(statement)) return false;
  lastInsertId_ = sqlite3_last_insert_rowid(db_.get());
  return true;
}

sqlite3_stmt* SqliteBackend::InsertFor(std::span<const ColumnValue> fields,
                                       const DBSchemaDef& table) {
  const std::vector<ColumnDef>& columns = table.columns();
  uint64_t set = 0;
  std::string refusal;
  if (!ColumnSetOf(fields, table, set, refusal)) {
    Fail(refusal);
    return nullptr;
  }
  Statement& cached = rowInserts_[{&table, set}];
  if (cached) return cached.get();

  std::string names;
  std::string values;
  for (const auto& [position, value] : fields) {
    names += (names.empty() ? "" : ", ") + std::string(columns[static_cast<size_t>(position)].name);
    values += values.empty() ? "?" : ", ?";
  }
  std::string sql = fields.empty() ? "INSERT INTO " + table.tableName() + " DEFAULT VALUES"
                                   : "INSERT INTO " + table.tableName() + " (" + names +
                                         ") VALUES (" + values + ")";
  if (!Prepare(sql, cached)) {
    rowInserts_.erase({&table, set});
    return nullptr;
  }
  return cached.get();
}

bool SqliteBackend::Insert(std::span<const ColumnValue> fields, const DBSchemaDef& table,
                           InsertedIds* ids) {
  if (!db_) return Fail("not connected");
  for (size_t i = 1; i < fields.size(); ++i) {
    if (fields[i - 1].first >= fields[i].first) return Fail("fields out of column order");
  }
  sqlite3_stmt* statement = InsertFor(fields, table);
  if (!statement) return false;
  int position = 0;
  for (const auto& [column, value] : fields) {
    if (!BindValue(statement, ++position, table.columns()[static_cast<size_t>(column)], value,
                   table)) {
      sqlite3_reset(statement);
      return false;
    }
  }
  if (!StepToDone(statement)) return false;
  lastInsertId_ = sqlite3_last_insert_rowid(db_.get());
  if (ids) ids->push_back(static_cast<uint64_t>(lastInsertId_));
  return true;
}

bool SqliteBackend::Update(const DBData& data, const DBSchemaDef& table,
                           const std::string& condition) {
  if (!db_) return Fail("not connected");
  if (data.size() == 0) return Fail("nothing to update in " + table.tableName());
  if (condition.find_first_not_of(" \t") == std::string::npos) {
    return Fail("an update of " + table.tableName() + " needs a condition");
  }
  std::vector<const ColumnDef*> columns;
  std::string sql = "UPDATE " + table.tableName() + " SET ";
  for (const auto& [name, value] : data) {
    const ColumnDef* column = table.Find(name);
    if (!column) return Fail(table.tableName() + " has no column '" + name + "'");
    sql += (columns.empty() ? "" : ", ") + name + " = ?";
    columns.push_back(column);
  }
  sql += " WHERE " + condition;
  Statement statement;
  if (!Prepare(SqlDialect::Rewrite(sql), statement) ||
      !BindFields(statement.get(), data, columns, table)) {
    return false;
  }
  return StepToDone(statement.get());
}

bool SqliteBackend::RewriteRows(const DBSchemaDef& table, std::span<const std::string> read,
                                std::span<const std::string> written, CellForm form, DbRowRewriter& rewriter) {
  if (!db_) return Fail("not connected");
  if (written.empty()) return Fail("a rewrite of " + table.tableName() + " writes no column");
  RowRewrite rewrite{rewriter, {}, std::vector<std::string>(read.size()),
                     std::vector<std::optional<std::string>>(written.size()), 0, {}, {}};
  std::string sql = "UPDATE " + table.tableName() + " SET ";
  for (size_t i = 0; i < written.size(); ++i) {
    if (!table.Find(written[i])) return Fail(table.tableName() + " has no column '" + written[i] + "'");
    sql += (i == 0 ? "" : ", ") + written[i] + " = " + kTakeValueFunction + "(" + std::to_string(i) +
           ", rowid, " + written[i] + ")";
  }
  sql += std::string(" WHERE ") + kChooseRowFunction + "(rowid";
  std::string select = "SELECT rowid";
  for (const std::string& item : read) {
    rewrite.readers.push_back(ReaderForColumn(table.Find(item), form));
    sql += ", " + item;
    select += ", " + item;
  }
  sql += ")";
  select += " FROM " + table.tableName() + " ORDER BY rowid";

  // The functions see this call's state, and exist only while it runs.
  struct Undefine {
    sqlite3* db;
    ~Undefine() { DefineRewriteFunctions(db, nullptr); }
  } undefine{db_.get()};
  if (!DefineRewriteFunctions(db_.get(), &rewrite)) return FailFromDb("defining the functions of a rewrite");
  Statement statement;
  if (!Prepare(SqlDialect::Rewrite(sql), statement)) return false;
  if (rewriter.MayReadAhead()) {
    if (std::optional<bool> written = RewriteReadingAhead(SqlDialect::Rewrite(select), rewrite, statement.get())) {
      return *written;
    }
    rewriter.Restart();
  }
  return StepToDone(statement.get());
}

std::optional<bool> SqliteBackend::RewriteReadingAhead(const std::string& select, RowRewrite& rewrite,
                                                       sqlite3_stmt* statement) {
  // A second connection sees the file as last committed, beside this one's
  // writes, only in write-ahead-log mode; a database in memory has no file.
  const char* file = sqlite3_db_filename(db_.get(), "main");
  std::string mode;
  if (!file || !*file || !ReadText("journal_mode", mode) || mode != "wal") return std::nullopt;
  SqliteReadAhead ahead(rewrite.rewriter, rewrite.readers, rewrite.values.size());
  if (!ahead.Start(file, select)) return std::nullopt;
  // The statement is undone if some row read ahead turns out missing from it.
  if (!Exec("SAVEPOINT vo_read_ahead")) return false;
  rewrite.ahead = &ahead;
  const int rc = sqlite3_step(statement);
  const int code = sqlite3_extended_errcode(db_.get());
  const std::string message = sqlite3_errmsg(db_.get());
  sqlite3_reset(statement);
  rewrite.ahead = nullptr;
  const bool done = rc == SQLITE_DONE || rc == SQLITE_ROW;
  const bool tookAll = done && ahead.TookAll();
  ahead.Stop();
  if (tookAll) return Exec("RELEASE vo_read_ahead");
  // A failure that ended the transaction took the savepoint with it.
  if (!sqlite3_get_autocommit(db_.get()) &&
      !(Exec("ROLLBACK TO vo_read_ahead") && Exec("RELEASE vo_read_ahead"))) {
    return false;
  }
  if (done || rewrite.stale) return std::nullopt;
  return FailWithCode(code, "write: " + message);
}

sqlite3_stmt* SqliteBackend::BoundStatement(const std::string& statement, size_t values) {
  if (!db_) {
    Fail("not connected");
    return nullptr;
  }
  Statement& prepared = boundStatements_[statement];
  if (!prepared && !Prepare(SqlDialect::Rewrite(statement), prepared)) {
    boundStatements_.erase(statement);
    return nullptr;
  }
  sqlite3_stmt* stmt = prepared.get();
  if (sqlite3_bind_parameter_count(stmt) != static_cast<int>(values)) {
    Fail("the statement takes " + std::to_string(sqlite3_bind_parameter_count(stmt)) + " values, not " +
         std::to_string(values));
    return nullptr;
  }
  return stmt;
}

bool SqliteBackend::StepBound(sqlite3_stmt* stmt, bool bound) {
  if (!bound) {
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    return FailFromDb("bind");
  }
  bool done = StepToDone(stmt);
  sqlite3_clear_bindings(stmt);
  return done;
}

bool SqliteBackend::ExecuteWith(const std::string& statement, std::span<const std::string> values) {
  sqlite3_stmt* stmt = BoundStatement(statement, values.size());
  if (!stmt) return false;
  bool bound = true;
  for (size_t i = 0; bound && i < values.size(); ++i) {
    bound = sqlite3_bind_text(stmt, static_cast<int>(i) + 1, values[i].data(), static_cast<int>(values[i].size()),
                              SQLITE_STATIC) == SQLITE_OK;
  }
  return StepBound(stmt, bound);
}

bool SqliteBackend::ExecuteWith(const std::string& statement, std::span<const BoundValue> values) {
  sqlite3_stmt* stmt = BoundStatement(statement, values.size());
  if (!stmt) return false;
  bool bound = true;
  for (size_t i = 0; bound && i < values.size(); ++i) {
    const BoundValue& value = values[i];
    const int position = static_cast<int>(i) + 1;
    bound = (value.isInteger ? sqlite3_bind_int64(stmt, position, value.integer)
                             : sqlite3_bind_text(stmt, position, value.text.data(),
                                                 static_cast<int>(value.text.size()), SQLITE_STATIC)) == SQLITE_OK;
  }
  return StepBound(stmt, bound);
}

bool SqliteBackend::UpdateByKey(const DBData& data, const DBSchemaDef& table,
                                const std::string& keyColumn, const std::string& key) {
  if (!db_) return Fail("not connected");
  if (data.size() == 0) return Fail("nothing to update in " + table.tableName());
  const ColumnDef* keyDef = table.Find(keyColumn);
  if (!keyDef) return Fail(table.tableName() + " has no column '" + keyColumn + "'");

  std::string shape;
  for (const auto& [name, value] : data) shape += name + ", ";
  shape += "= " + keyColumn;
  PreparedInsert& update = keyedUpdates_[{&table, shape}];
  if (!update.statement) {
    std::string sql = "UPDATE " + table.tableName() + " SET ";
    for (const auto& [name, value] : data) {
      const ColumnDef* column = table.Find(name);
      if (!column) {
        keyedUpdates_.erase({&table, shape});
        return Fail(table.tableName() + " has no column '" + name + "'");
      }
      sql += (update.columns.empty() ? "" : ", ") + name + " = ?";
      update.columns.push_back(column);
    }
    sql += " WHERE " + keyColumn + " = ?";
    if (!Prepare(sql, update.statement)) {
      keyedUpdates_.erase({&table, shape});
      return false;
    }
  }

  sqlite3_stmt* statement = update.statement.get();
  if (!BindFields(statement, data, update.columns, table) ||
      !BindValue(statement, static_cast<int>(data.size()) + 1, *keyDef, key, table)) {
    sqlite3_reset(statement);
    return false;
  }
  return StepToDone(statement);
}

bool SqliteBackend::UpdateByKey(std::span<const ColumnValue> fields, const DBSchemaDef& table,
                                const std::string& keyColumn, const std::string& key) {
  if (!db_) return Fail("not connected");
  if (fields.empty()) return Fail("nothing to update in " + table.tableName());
  const ColumnDef* keyDef = table.Find(keyColumn);
  if (!keyDef) return Fail(table.tableName() + " has no column '" + keyColumn + "'");
  const std::vector<ColumnDef>& columns = table.columns();
  uint64_t set = 0;
  std::string refusal;
  if (!ColumnSetOf(fields, table, set, refusal)) return Fail(refusal);

  Statement& update = positionalUpdates_[{&table, set, keyColumn}];
  if (!update) {
    std::string sql = "UPDATE " + table.tableName() + " SET ";
    for (const auto& [position, value] : fields) {
      sql += std::string(sql.back() == ' ' ? "" : ", ") + columns[static_cast<size_t>(position)].name + " = ?";
    }
    sql += " WHERE " + keyColumn + " = ?";
    if (!Prepare(sql, update)) {
      positionalUpdates_.erase({&table, set, keyColumn});
      return false;
    }
  }
  sqlite3_stmt* statement = update.get();
  int bound = 0;
  for (const auto& [position, value] : fields) {
    if (!BindValue(statement, ++bound, columns[static_cast<size_t>(position)], value, table)) {
      sqlite3_reset(statement);
      return false;
    }
  }
  if (!BindValue(statement, ++bound, *keyDef, key, table)) {
    sqlite3_reset(statement);
    return false;
  }
  return StepToDone(statement);
}

bool SqliteBackend::LastInsertId(unsigned long& id) const {
  if (lastInsertId_ < 0) return false;
  id = static_cast<unsigned long>(lastInsertId_);
  return true;
}

bool SqliteBackend::Begin() {
  if (!db_) return Fail("not connected");
  return levels_.Begin([this] { return Exec("BEGIN IMMEDIATE"); });
}

bool SqliteBackend::Commit() {
  if (!db_ || levels_.Depth() == 0) return Fail("no transaction to commit");
  return levels_.Commit();
}

bool SqliteBackend::Rollback() {
  if (!db_ || levels_.Depth() == 0) return Fail("no transaction to roll back");
  // SQLite may have rolled the whole transaction back already after an error.
  return levels_.Rollback(!sqlite3_get_autocommit(db_.get()));
}

}  // namespace vo
