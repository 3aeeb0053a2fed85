// Rewrites the MySQL-like statements that the library sends into SQLite's
// dialect. Only these forms change; any other text passes through unchanged
// (the duplicate flag lives in a table of its own on every backend):
//   UPDATE a x, b y SET x.c = y.d WHERE ...  ->  UPDATE a AS x SET c = y.d FROM b AS y WHERE ...
//   GROUP BY / ORDER BY on a bare column that two joined tables share
//                                            ->  the column qualified by the first such table
//   <alias.>trans_dup <> 1 (or = 1, = 0, ...) ->  a test against the duplicate side table
// REPLACE INTO, NOW() (registered by the backend) and quoted column aliases
// are SQLite as they stand.
#pragma once

#include <string>

namespace vo {

class SqlDialect {
 public:
  // The statement in SQLite's dialect, with the duplicate flag mapped as below.
  static std::string Rewrite(const std::string& statement);
  // For a server that takes the MySQL dialect as written: only the duplicate
  // flag mapped, and an empty IN list () spelt as an empty subquery.
  static std::string ForServer(const std::string& statement);
};

}  // namespace vo
