// A DbRowReceiver that hands each row of a streamed select to a function, for
// a reader that needs no column names and reads every row.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ledgerdb/DbRowReceiver.h"

namespace vo {

class DbRowFunction : public DbRowReceiver {
 public:
  using Function = std::function<void(const std::vector<std::string>& cells)>;

  explicit DbRowFunction(Function function) : function_(std::move(function)) {}

  void Columns(const std::vector<std::string>&) override {}
  bool Row(const std::vector<std::string>& cells) override {
    function_(cells);
    return true;
  }

 private:
  Function function_;
};

}  // namespace vo
