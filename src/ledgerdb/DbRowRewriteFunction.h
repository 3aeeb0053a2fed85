// A DbRowRewriter that hands each row of a rewrite to a function.
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

  explicit DbRowRewriteFunction(Function function) : function_(std::move(function)) {}

  void Rewrite(const std::vector<std::string>& cells, std::vector<std::optional<std::string>>& values) override {
    function_(cells, values);
  }

 private:
  Function function_;
};

}  // namespace vo
