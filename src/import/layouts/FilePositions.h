// Follows each security's position through the trades of one file, for files
// that do not say whether an option trade opens or closes ("Bought", "Sold")
// nor which position an expiry ends. The trades are walked in date order (a
// file written newest first from its end); an undecided trade takes the
// action the position it meets gives: a buy while short closes the short,
// else opens a long; a sell while long closes the long, else opens a short;
// an expiry ends the position held, and keeps the action it was read with
// where the file shows none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "db/TransactionFields.h"
#include "import/TransactionMap.h"

namespace vo {

enum class Undecided : uint8_t { kNo, kBuy, kSell, kExpiry };

class FilePositions {
 public:
  // A transaction stored under `key`: a trade moves its security's position.
  // Returns true when the transaction is undecided and kept here until Decide
  // stores it; false when the caller stores it as it is.
  bool Add(const std::string& key, const TransactionFields& fields, int32_t securityType,
           Undecided undecided);
  // Stores every undecided transaction with its action. Returns how many
  // trades met no position in the file and were taken to open one.
  unsigned Decide(TransactionMap& transactions);

 private:
  static constexpr size_t kDecided = static_cast<size_t>(-1);
  struct Trade {
    std::string date;
    std::string symbol;
    double quantity = 0;
    int action = 0;
    size_t pending = kDecided;  // index into pending_ of an undecided trade
  };
  struct Pending {
    std::string key;
    TransactionFields fields;
    bool call = false;
    Undecided undecided = Undecided::kNo;
  };

  std::vector<Trade> trades_;  // in file order
  std::vector<Pending> pending_;
};

}  // namespace vo
