// The batched exchanges of a symbol update, run on a thread of their own one
// batch ahead of the reader: the server answers the next batch while this
// process reads the last answer, instead of each side waiting on the other.
// Answers come out in the order of their batches. A batch the server refuses
// as too large (HTTP 413) is sent again in halves, and later batches keep the
// smaller size.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "symbols/SecurityMasterClient.h"
#include "symbols/SecurityMasterRequest.h"

namespace vo {

class BatchExchanger {
 public:
  // Starts at once; `client` and `request` are the exchanger's until it is
  // destroyed, which stops it after the exchange in flight.
  BatchExchanger(SecurityMasterClient& client, SecurityMasterRequest& request, size_t batchSymbols);
  ~BatchExchanger();
  BatchExchanger(const BatchExchanger&) = delete;
  BatchExchanger& operator=(const BatchExchanger&) = delete;

  // The next answer into `answer` (replacing it); false once every batch is
  // answered, or when an exchange failed: failed() says which.
  bool Next(std::string& answer);

  bool failed() const { return failed_; }
  // Why the exchanges failed, for diagnostics.
  const std::string& failure() const { return failure_; }

 private:
  // Answers read but not yet taken: one is enough to keep both sides busy.
  static constexpr size_t kAnswersAhead = 1;

  void Run();
  // The exchanges themselves, until every batch is answered, one fails, or
  // the reader is gone.
  void Exchange();
  // Waits for room for one more answer; false when stopped.
  bool WaitForRoom();

  SecurityMasterClient& client_;
  SecurityMasterRequest& request_;
  size_t batchSymbols_;

  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<std::string> answers_;
  bool finished_ = false;  // no answer will be added
  bool stopping_ = false;  // the reader is gone
  bool failed_ = false;
  std::string failure_;

  std::thread thread_;  // last, so that it starts once the rest is ready
};

}  // namespace vo
