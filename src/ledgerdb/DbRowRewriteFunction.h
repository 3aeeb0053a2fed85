// A DbRowRewriter that hands each row of a rewrite to a function. Given a
// function that forgets the rows seen, it lets the engine read ahead.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ledgerdb/DbRowRewriter.h"

namespace vo {

class DbRowRewriteFunction : public DbRowRewriter {
 public:
  using Function = std::function<void(const std::vector<std::string>& cells,
                                      std::vector<std::optional<std::string>>& values)>;

  explicit DbRowRewriteFunction(Function function, std::function<void()> restart = nullptr)
      : function_(std::move(function)), restart_(std::move(restart)) {}

  void Rewrite(const std::vector<std::string>& cells, std::vector<std::optional<std::string>>& values) override {
    function_(cells, values);
  }
  bool MayReadAhead() const override { return static_cast<bool>(restart_); }
  void Restart() override {
    if (restart_) restart_();
  }

 private:
  Function function_;
  std::function<void()> restart_;
};

}  // namespace vo
