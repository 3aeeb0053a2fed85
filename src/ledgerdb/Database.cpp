#include "ledgerdb/Database.h"

// Placeholder until the SQLite backend is built: nothing connects.
class Database::Impl {};

namespace {
std::unique_ptr<Database>& Current() {
  static std::unique_ptr<Database> instance;
  return instance;
}
}  // namespace

Database* Database::Instance() {
  auto& instance = Current();
  if (!instance) instance.reset(new Database());
  return instance.get();
}

void Database::Destruct() { Current().reset(); }

Database::Database() : impl_(std::make_unique<Impl>()) {}
Database::~Database() = default;

bool Database::init(const std::string&, const std::string&, const std::string&, const char*, int,
                    bool& created) {
  created = false;
  return false;
}
bool Database::IsConnected() const { return false; }
bool Database::Query(unsigned long&, const std::string&) { return false; }
bool Database::Query(unsigned long&, const std::string&, bool, bool, bool) { return false; }
bool Database::GetQueryResult(unsigned long, DBQueryResult&) { return false; }
bool Database::DeleteQuery(unsigned long) { return false; }
bool Database::insert(const DBData&, const std::string&, bool) { return false; }
bool Database::modify(const DBData&, const std::string&, const std::string&) { return false; }
bool Database::GetLastID(unsigned long&) { return false; }
bool Database::BeginTransaction() { return false; }
bool Database::CommitTransaction() { return false; }
bool Database::RollbackTransaction() { return false; }
std::string Database::LastError() const { return "not connected"; }
