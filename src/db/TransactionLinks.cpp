#include "db/TransactionLinks.h"

#include "db/ImportRunDAO.h"

namespace vo {

namespace {

// A wider step makes the copying statement read more rows it then skips.
constexpr uint64_t kLongestStep = 64;

}  // namespace

bool TransactionLinks::Add(uint64_t transId) {
  if (first_ != 0 && transId > last_) {
    const uint64_t step = transId - last_;
    if (step_ == 0 ? step <= kLongestStep : step == step_) {
      step_ = step;
      last_ = transId;
      return true;
    }
  }
  const bool linked = Flush();
  first_ = last_ = transId;
  return linked;
}

bool TransactionLinks::Flush() {
  if (first_ == 0) return true;
  const bool linked = runs_.LinkTransactions(runId_, first_, last_, step_ == 0 ? 1 : step_);
  first_ = last_ = step_ = 0;
  return linked;
}

}  // namespace vo
