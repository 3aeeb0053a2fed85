// Which decoded transactions of an import are already stored for the account:
// a row whose stored content (every column but trans_id) equals a stored row
// of the account is a duplicate, counted per occurrence, so that two equal
// fills in a file are both kept when the database holds neither and one is
// kept when it holds one. Built once per import before its writes begin.
#pragma once

#include <string>
#include <vector>

namespace vo {

class TransactionMap;

class DuplicateFilter {
 public:
  // Compares the transactions, in the map's key order, with the account's
  // stored rows whose trade dates the file's rows have, read through the
  // account and trade-date index of trans_table: the cost follows those rows,
  // not the size of the ledger. False when the stored rows cannot be read.
  bool Load(const std::string& accountId, const TransactionMap& transactions);
  // Whether the transaction at this position in key order is to be skipped.
  bool Skip(size_t position) const { return position < skip_.size() && skip_[position]; }

 private:
  std::vector<bool> skip_;
};

}  // namespace vo
