// Gives new values for some cells of each row of a table rewritten in place
// (Database::RewriteRows): the engine reads a row, asks the rewriter, and
// writes the row in the same statement only if some value changes, so that
// a pass over a large table writes just the rows it changes.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace vo {

class DbRowRewriter {
 public:
  virtual ~DbRowRewriter() = default;
  // One row: `cells` in the order of the read list, in the form asked;
  // `values` has one entry for each written column, empty on entry. Setting
  // an entry writes it; a row whose entries all stay empty is not written.
  // Called once for each row, in the table's key order. The values set are
  // stored only if the whole rewrite succeeds: a failed rewrite writes none.
  virtual void Rewrite(const std::vector<std::string>& cells, std::vector<std::optional<std::string>>& values) = 0;

  // Whether the engine may ask about the rows ahead of its statement, on a
  // thread of its own, while the caller's thread waits for the rewrite. A
  // rewriter that says so keeps what it learns of the rows to itself until
  // the rewrite returns, and forgets it all in Restart.
  virtual bool MayReadAhead() const { return false; }
  // Forgets every row it was asked about: the engine starts the rewrite over
  // from the first row (the rows read ahead were not the ones written).
  virtual void Restart() {}

  // Whether a row's values, as Rewrite left them, change it.
  static bool Changes(const std::vector<std::optional<std::string>>& values) {
    return std::any_of(values.begin(), values.end(),
                       [](const std::optional<std::string>& value) { return value.has_value(); });
  }
};

}  // namespace vo
