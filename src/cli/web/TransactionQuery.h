// The select behind the transactions page: trans_table filtered by account,
// symbol, trade dates and action, sorted by one column (ties by id), read a
// page at a time by keyset: a page starts after the row the last one ended
// on, found by its id, so page 5,000 of a million rows costs what page 1
// does (no OFFSET that reads and drops every row before it). All values are
// bound, never pasted into the SQL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TransactionView {
  std::string account;
  std::string symbol;
  std::string from;    // YYYY-MM-DD
  std::string to;      // YYYY-MM-DD, the whole day
  std::string action;  // the stored number of a trans_action
  std::string sort = "trans_dttrade";
  bool descending = false;
  uint64_t afterId = 0;  // the page starts after this row; 0: the first page
};

struct TransactionQuery {
  std::string sql;
  std::vector<std::string> parameters;
  std::string error;  // why the view makes no query (said to the user)

  // The rows (every column) from the view's page on, in its order; the
  // caller adds the LIMIT.
  static TransactionQuery Page(const TransactionView& view);
  // How many rows the view's filters select, whatever the page.
  static TransactionQuery Count(const TransactionView& view);
  // The columns a view can be sorted by.
  static const std::vector<std::string>& SortColumns();
};
