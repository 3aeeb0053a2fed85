#include "db/TransactionLinks.h"

#include "db/ImportRunDAO.h"

bool TransactionLinks::Add(unsigned long transId) {
  if (first_ != 0 && transId == last_ + 1) {
    last_ = transId;
    return true;
  }
  const bool linked = Flush();
  first_ = last_ = transId;
  return linked;
}

bool TransactionLinks::Flush() {
  if (first_ == 0) return true;
  const bool linked = runs_.LinkTransactions(runId_, first_, last_);
  first_ = last_ = 0;
  return linked;
}
