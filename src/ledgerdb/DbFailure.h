// What a failed database call did to the work around it: the caller decides
// from it whether to go on, give up, write everything again, or find out
// whether a commit took place.
#pragma once

namespace vo {

enum class DbFailure {
  // Only that statement failed (a value refused, a constraint, a statement
  // that could not be run); an open transaction goes on.
  kStatement,
  // The open transaction is over: rolled back by the engine, or left on a
  // connection that is gone. Nothing of it was committed.
  kTransaction,
  // As kTransaction, and the server asks for the work to be done again: a
  // deadlock, or a cluster that refused the transaction in favour of another
  // node's (certification failure).
  kConflict,
  // The connection was lost while a commit was on its way: the transaction may
  // or may not have been committed.
  kCommitUnknown,
};

}  // namespace vo
