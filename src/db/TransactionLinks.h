// Links the transactions an import run writes to that run. The ids a run
// gets come mostly one after another (a fixed step apart on a node of a
// cluster, which hands out every n-th id), so a stretch of ids at a fixed step
// is linked by one statement that copies them from trans_table, instead of
// one insert per transaction. A stretch holds only ids this run was given, so
// the links stay exact when other writers' rows take ids in between.
#pragma once

#include <cstdint>

namespace vo {

class ImportRunDAO;

class TransactionLinks {
 public:
  TransactionLinks(ImportRunDAO& runs, uint64_t runId) : runs_(runs), runId_(runId) {}

  // Takes the id of a transaction the run just wrote, in the order written.
  // May link the stretch before it; false when that fails.
  bool Add(uint64_t transId);
  // Links the stretch not linked yet; false when that fails.
  bool Flush();

 private:
  ImportRunDAO& runs_;
  uint64_t runId_;
  uint64_t first_ = 0;  // 0: no stretch pending
  uint64_t last_ = 0;
  uint64_t step_ = 0;  // 0 while the stretch holds one id
};

}  // namespace vo
