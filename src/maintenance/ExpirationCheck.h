// What makes an asked-for option expiration unsound, read from the ledger
// before anything is written (see voservices/Maintenance.h).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ledgerdb/Database.h"

namespace vo {

class ExpirationCheck {
 public:
  explicit ExpirationCheck(Database* db) : db_(db) {}

  // "ID: reason" for each entry that should not be expired; empty when none.
  std::vector<std::string> Problems(const std::map<std::string, std::string>& idToQuantity);

 private:
  // Why the one entry should not be expired; empty when it may be.
  std::string Problem(const std::string& id, const std::string& quantity);
  // The first cell of a select's one row; false (with failed_ set) when the
  // select fails.
  bool Cell(const std::string& select, std::string& cell);

  Database* db_;
  std::string failed_;
};

}  // namespace vo
