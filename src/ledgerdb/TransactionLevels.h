// The nesting of Begin / Commit / Rollback on one connection, the same for
// every backend: the outermost level is the engine's transaction, each inner
// level a savepoint named after its depth, so an inner rollback undoes only
// what was written since that level began.
#pragma once

#include <functional>
#include <string>

namespace vo {

class TransactionLevels {
 public:
  // Runs one statement on the backend's connection; false (with the error
  // recorded by the backend) when it fails.
  using Run = std::function<bool(const std::string& sql)>;

  explicit TransactionLevels(Run run) : run_(std::move(run)) {}

  int Depth() const { return depth_; }

  // `beginOutermost` opens the transaction itself (each engine has its own
  // way); an inner level is a savepoint.
  bool Begin(const std::function<bool()>& beginOutermost);
  bool Commit();
  // `engineStillOpen`: false when the engine has already rolled the whole
  // transaction back after an error; then every level ends here.
  bool Rollback(bool engineStillOpen);

 private:
  std::string Savepoint() const { return "vo_level_" + std::to_string(depth_ - 1); }

  Run run_;
  int depth_ = 0;
};

}  // namespace vo
