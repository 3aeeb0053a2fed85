#include "ledgerdb/TransactionLevels.h"

namespace vo {

bool TransactionLevels::Begin(const std::function<bool()>& beginOutermost) {
  bool ok = depth_ == 0 ? beginOutermost() : run_("SAVEPOINT vo_level_" + std::to_string(depth_));
  if (ok) ++depth_;
  return ok;
}

bool TransactionLevels::Commit() {
  if (depth_ == 0) return false;
  bool ok = depth_ == 1 ? run_("COMMIT") : run_("RELEASE SAVEPOINT " + Savepoint());
  if (ok) --depth_;
  return ok;
}

bool TransactionLevels::Rollback(bool engineStillOpen) {
  if (depth_ == 0) return false;
  if (!engineStillOpen) {
    depth_ = 0;
    return true;
  }
  bool ok = depth_ == 1 ? run_("ROLLBACK")
                        : run_("ROLLBACK TO SAVEPOINT " + Savepoint()) &&
                              run_("RELEASE SAVEPOINT " + Savepoint());
  if (ok) --depth_;
  return ok;
}

}  // namespace vo
