// Links the transactions an import run writes to that run. The ids a run
// gets come mostly one after another, so a stretch of consecutive ids is
// linked by one statement that copies them from trans_table, instead of one
// insert per transaction. A stretch holds only ids this run was given, so the
// links stay exact when another connection's rows take ids in between.
#pragma once

#include <cstdint>

class ImportRunDAO;

class TransactionLinks {
 public:
  TransactionLinks(ImportRunDAO& runs, uint64_t runId) : runs_(runs), runId_(runId) {}

  // Takes the id of a transaction the run just wrote (ids only grow). May
  // link the stretch before it; false when that fails.
  bool Add(unsigned long transId);
  // Links the stretch not linked yet; false when that fails.
  bool Flush();

 private:
  ImportRunDAO& runs_;
  uint64_t runId_;
  unsigned long first_ = 0;  // 0: no stretch pending
  unsigned long last_ = 0;
};
