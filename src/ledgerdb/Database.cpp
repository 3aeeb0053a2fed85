#include "ledgerdb/Database.h"

#include <cstdlib>
#include <map>
#include <utility>

#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/DbBackend.h"
#ifdef VO_WITH_MARIADB
#include "ledgerdb/MariaDbBackend.h"
#endif
#include "ledgerdb/MariaDbTarget.h"
#include "ledgerdb/SqliteBackend.h"

namespace vo {

namespace {

constexpr char kDefaultFile[] = "vo_db.sqlite3";

std::unique_ptr<Database>& Current() {
  static std::unique_ptr<Database> instance;
  return instance;
}

// The location a host chose for the process's connection; empty: none.
std::string& ChosenLocation() {
  static std::string location;
  return location;
}

// The database file: VO_DB, or the default in the current directory.
// A mariadb:// URL names a shared server database; anything else is a file.
// Null, with the reason in `error`, for a server database in a build without
// the server backend.
std::unique_ptr<DbBackend> BackendFor(const std::string& location, [[maybe_unused]] std::string& error) {
  if (MariaDbTarget::IsUrl(location)) {
#ifdef VO_WITH_MARIADB
    return std::make_unique<MariaDbBackend>();
#else
    error = "this build of voservices has no MariaDB support (built with VO_WITH_MARIADB=OFF)";
    return nullptr;
#endif
  }
  return std::make_unique<SqliteBackend>();
}

}  // namespace

class Database::Impl {
 public:
  std::unique_ptr<DbBackend> backend;
  std::map<unsigned long, DBQueryResult> queries;
  unsigned long nextQueryId = 1;
  std::string error;
  // Transaction levels begun and not yet committed or rolled back.
  int openLevels = 0;
  // Why the open transaction can no longer commit; empty while it can.
  std::string transactionFailure;
  DbFailure transactionFailureKind = DbFailure::kTransaction;
  DbFailure lastFailure = DbFailure::kStatement;

  bool Fail(std::string message) {
    error = std::move(message);
    return false;
  }
  // Records the backend's reason when `ok` is false. A failure that is not
  // the statement's own ends the open transaction, as does an engine that has
  // dropped the transaction by itself.
  bool Check(bool ok) {
    if (ok) return true;
    error = backend->LastError();
    lastFailure = backend->LastFailure();
    if (openLevels > 0 && transactionFailure.empty() &&
        (lastFailure != DbFailure::kStatement || !backend->TransactionOpen())) {
      transactionFailure = error;
      transactionFailureKind =
          lastFailure == DbFailure::kStatement ? DbFailure::kTransaction : lastFailure;
    }
    return false;
  }
  // Whether a statement may run now: connected, and when a transaction was
  // begun, that transaction is still whole and open. Otherwise the statement
  // would run, and commit, on its own.
  bool Ready() {
    if (!backend) return Fail("not connected");
    if (openLevels == 0) return true;
    if (transactionFailure.empty() && !backend->TransactionOpen()) {
      transactionFailure = "the database ended the transaction";
      transactionFailureKind = DbFailure::kTransaction;
    }
    if (transactionFailure.empty()) return true;
    return Fail("the transaction was ended by an earlier error: " + transactionFailure);
  }
  // One level of the transaction is closed, whatever the backend answered.
  void Closed() {
    if (openLevels > 0) --openLevels;
    if (openLevels == 0) transactionFailure.clear();
  }
  const DBSchemaDef* TableFor(const DBData& data, const std::string& table) {
    const DBSchemaDef* def = DBSchemaDef::ForTable(table);
    if (!def) {
      Fail("unknown table " + table);
      return nullptr;
    }
    if (!data.schemaName().empty() && data.schemaName() != def->schemaName()) {
      Fail(data.schemaName() + " data cannot be written to " + table);
      return nullptr;
    }
    return def;
  }
};

Database* Database::Instance() {
  auto& instance = Current();
  if (!instance) instance.reset(new Database());
  return instance.get();
}

void Database::Destruct() { Current().reset(); }

std::string Database::Location() {
  if (!ChosenLocation().empty()) return ChosenLocation();
  const char* file = std::getenv("VO_DB");
  return file && *file ? file : kDefaultFile;
}

void Database::SetLocation(std::string location) { ChosenLocation() = std::move(location); }

Database::Database() : impl_(std::make_unique<Impl>()) {}
Database::~Database() = default;

bool Database::init(const std::string&, const std::string&, const std::string&, const char*, int,
                    bool& created) {
  return Open(Location(), created);
}

bool Database::Open(const std::string& location, bool& created) {
  created = false;
  return Connect(location, [&created](DbBackend& backend, const std::string& at) { return backend.Open(at, created); });
}

bool Database::initToRead() {
  return Connect(Location(), [](DbBackend& backend, const std::string& at) { return backend.OpenToRead(at); });
}

bool Database::Connect(const std::string& location,
                       const std::function<bool(DbBackend&, const std::string&)>& open) {
  if (impl_->backend) return true;
  std::string error;
  std::unique_ptr<DbBackend> backend = BackendFor(location, error);
  if (!backend) return impl_->Fail(error);
  if (!open(*backend, location)) return impl_->Fail(backend->LastError());
  impl_->backend = std::move(backend);
  return true;
}

bool Database::IsConnected() const { return impl_->backend != nullptr; }

bool Database::ComparesTextByBytes() const { return impl_->backend && impl_->backend->ComparesTextByBytes(); }

bool Database::Query(unsigned long& queryId, const std::string& statement) {
  return Query(queryId, statement, true, true, false);
}

bool Database::Query(unsigned long& queryId, const std::string& statement, bool friendlyEnums,
                     bool, bool) {
  if (!impl_->Ready()) return false;
  DBQueryResult result;
  if (!impl_->Check(impl_->backend->Execute(statement, friendlyEnums, result))) return false;
  queryId = impl_->nextQueryId++;
  impl_->queries.emplace(queryId, std::move(result));
  return true;
}

bool Database::Execute(const std::string& statement, std::span<const std::string> values) {
  if (!impl_->Ready()) return false;
  return impl_->Check(impl_->backend->ExecuteWith(statement, values));
}

bool Database::Execute(const std::string& statement, std::span<const BoundValue> values) {
  if (!impl_->Ready()) return false;
  return impl_->Check(impl_->backend->ExecuteWith(statement, values));
}

bool Database::Select(const std::string& statement, bool friendlyEnums, DBQueryResult& result) {
  if (!impl_->Ready()) return false;
  DBQueryResult rows;
  if (!impl_->Check(impl_->backend->Execute(statement, friendlyEnums, rows))) return false;
  result = std::move(rows);
  return true;
}

bool Database::GetQueryResult(unsigned long queryId, DBQueryResult& result) {
  auto it = impl_->queries.find(queryId);
  if (it == impl_->queries.end()) return impl_->Fail("no query " + std::to_string(queryId));
  result = it->second;
  return true;
}

bool Database::Stream(const std::string& statement, std::span<const std::string> parameters,
                      CellForm form, DbRowReceiver& receiver) {
  if (!impl_->Ready()) return false;
  return impl_->Check(impl_->backend->Stream(statement, parameters, form, receiver));
}

bool Database::RewritesRowsInPlace() const { return impl_->backend && impl_->backend->RewritesRowsInPlace(); }

bool Database::RewriteRows(const std::string& table, std::span<const std::string> read,
                           std::span<const std::string> written, CellForm form, DbRowRewriter& rewriter) {
  if (!impl_->Ready()) return false;
  if (!impl_->backend->RewritesRowsInPlace()) return impl_->Fail("this database cannot rewrite rows in place");
  const DBSchemaDef* def = DBSchemaDef::ForTable(table);
  if (!def) return impl_->Fail("unknown table " + table);
  return impl_->Check(impl_->backend->RewriteRows(*def, read, written, form, rewriter));
}

bool Database::DeleteQuery(unsigned long queryId) {
  if (impl_->queries.erase(queryId) == 0) {
    return impl_->Fail("no query " + std::to_string(queryId));
  }
  return true;
}

bool Database::insert(const DBData& data, const std::string& table, bool) {
  if (!impl_->Ready()) return false;
  const DBSchemaDef* def = impl_->TableFor(data, table);
  return def && impl_->Check(impl_->backend->Insert(data, *def));
}

bool Database::insert(std::span<const ColumnValue> fields, const std::string& table,
                      InsertedIds* ids) {
  if (!impl_->Ready()) return false;
  const DBSchemaDef* def = DBSchemaDef::ForTable(table);
  if (!def) return impl_->Fail("unknown table " + table);
  return impl_->Check(impl_->backend->Insert(fields, *def, ids));
}

bool Database::SendHeldRows() {
  if (!impl_->Ready()) return false;
  return impl_->Check(impl_->backend->SendHeldRows());
}

bool Database::modify(const DBData& data, const std::string& table, const std::string& condition) {
  if (!impl_->Ready()) return false;
  const DBSchemaDef* def = impl_->TableFor(data, table);
  return def && impl_->Check(impl_->backend->Update(data, *def, condition));
}

bool Database::modify(const DBData& data, const std::string& table, const std::string& keyColumn,
                      const std::string& key) {
  if (!impl_->Ready()) return false;
  const DBSchemaDef* def = impl_->TableFor(data, table);
  return def && impl_->Check(impl_->backend->UpdateByKey(data, *def, keyColumn, key));
}

bool Database::modify(std::span<const ColumnValue> fields, const std::string& table, const std::string& keyColumn,
                      const std::string& key) {
  if (!impl_->Ready()) return false;
  const DBSchemaDef* def = DBSchemaDef::ForTable(table);
  if (!def) return impl_->Fail("unknown table " + table);
  return impl_->Check(impl_->backend->UpdateByKey(fields, *def, keyColumn, key));
}

bool Database::GetLastID(unsigned long& id) {
  // A row held back gets its id when it is sent.
  if (!impl_->Ready() || !impl_->Check(impl_->backend->SendHeldRows())) return false;
  return impl_->backend->LastInsertId(id) || impl_->Fail("no row inserted yet");
}

bool Database::BeginTransaction() {
  if (!impl_->Ready() || !impl_->Check(impl_->backend->Begin())) return false;
  ++impl_->openLevels;
  return true;
}

bool Database::CommitTransaction() {
  if (impl_->openLevels == 0) return impl_->Fail("no transaction to commit");
  // A failed transaction is left open for the rollback that must follow.
  if (!impl_->Ready() || !impl_->Check(impl_->backend->Commit())) return false;
  impl_->Closed();
  return true;
}

bool Database::RollbackTransaction() {
  if (!impl_->backend) return impl_->Fail("not connected");
  bool ok = impl_->backend->Rollback();
  if (!ok) impl_->error = impl_->backend->LastError();
  impl_->Closed();
  return ok;
}

bool Database::TransactionFailed(std::string& reason) const {
  reason = impl_->transactionFailure;
  return !reason.empty();
}

DbFailure Database::TransactionFailure() const { return impl_->transactionFailureKind; }

DbFailure Database::LastFailure() const { return impl_->lastFailure; }

bool Database::Reconnect() {
  if (!impl_->backend) return impl_->Fail("not connected");
  if (impl_->openLevels > 0) return impl_->Fail("a transaction is still open");
  if (impl_->backend->Reconnect()) return true;
  return impl_->Fail(impl_->backend->LastError());
}

void Database::SetBusyTimeout(int milliseconds) {
  if (impl_->backend) impl_->backend->SetBusyTimeout(milliseconds);
}

std::string Database::LastError() const { return impl_->error; }

}  // namespace vo
