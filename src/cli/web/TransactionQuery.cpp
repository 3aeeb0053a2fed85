#include "cli/web/TransactionQuery.h"

#include <algorithm>

#include "cli/Command.h"

namespace {

// The sort key of a column. A NULL takes a stand-in of the column's own kind,
// so that the key orders and compares the same way on both backends; the
// numeric columns get a number below any stored one, the others the empty text.
struct SortKey {
  const char* column;
  const char* nullValue;
};
constexpr SortKey kSortKeys[] = {
    {"trans_dttrade", "''"}, {"trans_dtsettle", "''"}, {"trans_id", "-1"},
    {"acct_id", "''"},       {"sym_name", "''"},       {"trans_action", "-1"},
    {"trans_total", "-999999999999999999"},
};

std::string KeyOf(const SortKey& key, const char* table) {
  return std::string("COALESCE(") + table + "." + key.column + ", " + key.nullValue + ")";
}

// The WHERE conditions of the filters and their values; the error when one is wrong.
std::string Conditions(const TransactionView& view, std::vector<std::string>& parameters, std::string& error) {
  std::string from, to;
  if (!TradeTimeBounds(view.from, view.to, from, to, error)) return "";
  return WhereClause({{view.account, "t.acct_id = ?"},
                      {view.symbol, "t.sym_name = ?"},
                      {from, "t.trans_dttrade >= ?"},
                      {to, "t.trans_dttrade <= ?"},
                      {view.action, "t.trans_action = ?"}},
                     parameters);
}

}  // namespace

const std::vector<std::string>& TransactionQuery::SortColumns() {
  static const std::vector<std::string> kColumns = [] {
    std::vector<std::string> columns;
    for (const SortKey& key : kSortKeys) columns.emplace_back(key.column);
    return columns;
  }();
  return kColumns;
}

TransactionQuery TransactionQuery::Page(const TransactionView& view) {
  TransactionQuery query;
  const SortKey* key = std::find_if(std::begin(kSortKeys), std::end(kSortKeys),
                                    [&view](const SortKey& candidate) { return view.sort == candidate.column; });
  if (key == std::end(kSortKeys)) {
    query.error = "cannot sort by " + view.sort;
    return query;
  }
  std::string where = Conditions(view, query.parameters, query.error);
  if (!query.error.empty()) return query;
  const std::string order = view.descending ? " DESC" : "";
  if (view.afterId != 0) {
    // After the row (k, id) in the order (key, id): a greater key, or the
    // same key and a greater id (smaller, descending).
    const std::string beyond = view.descending ? " < " : " > ";
    const std::string cursorKey = "(SELECT " + KeyOf(*key, "c") + " FROM trans_table c WHERE c.trans_id = ?)";
    const std::string id = std::to_string(view.afterId);
    where += (where.empty() ? " WHERE (" : " AND (") + KeyOf(*key, "t") + beyond + cursorKey + " OR (" +
             KeyOf(*key, "t") + " = " + cursorKey + " AND t.trans_id" + beyond + "?))";
    query.parameters.insert(query.parameters.end(), {id, id, id});
  }
  query.sql = "SELECT t.* FROM trans_table t" + where + " ORDER BY " + KeyOf(*key, "t") + order + ", t.trans_id" +
              order;
  return query;
}

TransactionQuery TransactionQuery::Count(const TransactionView& view) {
  TransactionQuery query;
  const std::string where = Conditions(view, query.parameters, query.error);
  query.sql = "SELECT COUNT(*) FROM trans_table t" + where;
  return query;
}
