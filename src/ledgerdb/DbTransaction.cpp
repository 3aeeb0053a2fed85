#include "ledgerdb/DbTransaction.h"

#include "ledgerdb/Database.h"

namespace vo {

DbTransaction::DbTransaction(Database* db) : db_(db ? db : Database::Instance()) {
  active_ = db_->BeginTransaction();
}

DbTransaction::~DbTransaction() {
  if (active_) db_->RollbackTransaction();
}

bool DbTransaction::Commit() {
  if (!active_ || !db_->CommitTransaction()) return false;
  active_ = false;
  return true;
}

bool DbTransaction::failed(std::string& reason) const {
  return active_ && db_->TransactionFailed(reason);
}

DbFailure DbTransaction::failure() const {
  std::string reason;
  return db_->TransactionFailed(reason) ? db_->TransactionFailure() : db_->LastFailure();
}

}  // namespace vo
