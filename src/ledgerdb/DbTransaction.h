// RAII guard for one database transaction: begins in its constructor, makes
// the writes durable on Commit(), and rolls them back in its destructor when
// Commit() was not reached (an early return, an exception). Never throws.
#pragma once

#include <string>

#include "ledgerdb/DbFailure.h"

namespace vo {

class Database;

class DbTransaction {
 public:
  // Begins on the given connection (the process-wide one by default).
  explicit DbTransaction(Database* db = nullptr);
  ~DbTransaction();

  DbTransaction(const DbTransaction&) = delete;
  DbTransaction& operator=(const DbTransaction&) = delete;

  // False when the transaction could not begin (another writer held the
  // database past the busy timeout, or no connection).
  bool active() const { return active_; }
  // True, with the reason, once a failure has ended the transaction (see
  // Database::TransactionFailed): the work it was for must stop.
  bool failed(std::string& reason) const;

  // What ended it, once failed() or after a failed Commit(): a conflict asks
  // for the work to be done again from its start, on a new transaction; a
  // commit whose answer was lost leaves the outcome to be found out.
  DbFailure failure() const;

  // True when the writes are committed; false leaves them to the destructor's
  // rollback.
  bool Commit();

 private:
  Database* db_;
  bool active_ = false;
};

}  // namespace vo
