#include "db/HTransDAO.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <mutex>
#include <span>
#include <system_error>

#include "db/PositionalRow.h"
#include "db/TransRecord.h"
#include "ledgerdb/DbRowReceiver.h"
#include "ledgerdb/DbRowRewriter.h"
#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/Database.h"
#include "ledgerdb/SqlLiteral.h"
#include "platform/DebugOutput.h"
#include "values/DateTime.h"

namespace vo {

namespace {

constexpr char kTable[] = "trans_table";
constexpr char kSchema[] = "trans_schema";

// The table's columns in order, as the database layer describes the table.
const std::vector<ColumnDef>& Columns() {
  static const std::vector<ColumnDef>& columns = DBSchemaDef::ForTable(kTable)->columns();
  return columns;
}

int ColumnCount() { return static_cast<int>(Columns().size()); }

// The fields of a record that InsertRecord writes, in its order; the record's
// own trans_recon (16), sym_dup (22), trans_ref_id (23) and change date (29)
// are left out.
const int kInsertRecordOrder[] = {1,  2,  3,  4,  5,  6,  7,  8,  10, 11, 12, 13, 14,
                                  15, 17, 18, 19, 20, 21, 24, 25, 26, 27, 9,  28};

// Serialises every trade-time update of the library.
std::mutex tradeTimeLock;

// Rows a list of WHENs chooses among; more are split in halves by id first.
constexpr size_t kRowsPerWhenList = 4;

// The value each of the rows [first, last) (in ascending id order) takes, as
// an expression of trans_id: halving the ids takes a few comparisons a row,
// where one list of WHENs takes half the batch's. The text depends only on
// the number of rows, so a batch of the usual size is one prepared statement.
template <typename Text>
void AppendChoice(const std::vector<std::pair<int64_t, const HTransDAO::Rewrite*>>& keyed, size_t first, size_t last,
                  const Text& text, std::string& statement, std::vector<BoundValue>& values) {
  if (last - first <= kRowsPerWhenList) {
    statement += "CASE trans_id";
    for (size_t i = first; i < last; ++i) {
      statement += " WHEN ? THEN ?";
      values.push_back(BoundValue::Integer(keyed[i].first));
      values.push_back(BoundValue::Text(text(*keyed[i].second)));
    }
    statement += " END";
    return;
  }
  const size_t middle = first + (last - first) / 2;
  statement += "CASE WHEN trans_id < ? THEN ";
  values.push_back(BoundValue::Integer(keyed[middle].first));
  AppendChoice(keyed, first, middle, text, statement, values);
  statement += " ELSE ";
  AppendChoice(keyed, middle, last, text, statement, values);
  statement += " END";
}

}  // namespace

HTransDAO::HTransDAO() : db_(Database::Instance()) {}

std::string HTransDAO::GetTransTableName(int index) {
  if (index < 0 || index >= ColumnCount()) {
    DebugOutput("Invalid column index passed in HTransDAO::GetTransTableName()");
    return "";
  }
  return Columns()[static_cast<size_t>(index)].name;
}

bool HTransDAO::InsertFields(const TransactionFields& fields, InsertedIds* ids) {
  int badIndex = PositionalRow(fields, ColumnCount(), row_);
  if (badIndex >= 0) {
    GetTransTableName(badIndex);  // reports the index
    return false;
  }
  return db_->insert(row_, kTable, ids);
}

bool HTransDAO::InsertRecord(TransRecord& record) {
  DBData data(kSchema);
  data.SetField("trans_id", "NULL");
  for (int index : kInsertRecordOrder) data.SetField(GetTransTableName(index), record.GetField(index));
  data.SetField("trans_change_date", DateTime::Now().ToDisplayText());
  if (!db_->insert(data, kTable, false)) return false;
  unsigned long id = 0;
  db_->GetLastID(id);
  record.SetField(0, id);
  return true;
}

bool HTransDAO::UpdateTradeTime(const DBData& given) {
  std::lock_guard<std::mutex> lock(tradeTimeLock);
  DBData data(kSchema);
  std::string time = DateTime(given.GetField("trans_dttrade")).ToPackedText();
  data.SetField("trans_dttrade", time);
  data.SetField("trans_dtsettle", time);
  std::string note = given.GetField("trans_note_user");
  if (!note.empty()) data.SetField("trans_note_user", note);
  return db_->modify(data, kTable, "trans_id = " + SqlValue(given.GetField("trans_id")));
}

bool HTransDAO::UpdateWhere(const std::string& assignments, const std::string& condition) {
  unsigned long queryId = 0;
  bool ok = db_->Query(queryId, "update trans_table set " + assignments + " where " + condition);
  if (ok) db_->DeleteQuery(queryId);
  return ok;
}

bool HTransDAO::UpdateTotal(const std::string& id, const std::string& number) { return UpdateTotals({{id, number}}); }

bool HTransDAO::UpdateTotals(const std::vector<std::pair<std::string, std::string>>& totals) {
  std::vector<Rewrite> rows;
  rows.reserve(totals.size());
  for (const auto& [id, number] : totals) rows.push_back({id, std::nullopt, number});
  return UpdateRows(rows);
}

bool HTransDAO::UpdateRows(const std::vector<Rewrite>& rows) {
  auto plainDecimal = [](const std::string& text) {
    size_t digits = 0;
    bool point = false;
    for (size_t i = 0; i < text.size(); ++i) {
      char c = text[i];
      if (c >= '0' && c <= '9') {
        ++digits;
      } else if (c == '-' && i == 0) {
      } else if (c == '.' && !point) {
        point = true;
      } else {
        return false;
      }
    }
    return digits > 0;
  };
  if (rows.empty()) return true;
  const bool names = rows[0].name.has_value(), totals = rows[0].total.has_value();
  // The ids go as numbers: the statement compares them with each row's id,
  // and a text id would be converted again at each comparison.
  std::vector<std::pair<int64_t, const Rewrite*>> keyed;
  keyed.reserve(rows.size());
  for (const Rewrite& row : rows) {
    // A whole number written as nothing else (no sign but a minus, no spaces), as a row id is.
    int64_t key = 0;
    const char* end = row.id.data() + row.id.size();
    const auto [stop, error] = std::from_chars(row.id.data(), end, key);
    if (error != std::errc() || stop != end || row.name.has_value() != names || row.total.has_value() != totals ||
        (totals && !plainDecimal(*row.total))) {
      return false;
    }
    keyed.emplace_back(key, &row);
  }
  // In id order, each id once: where an id comes twice its first rewrite is
  // the one written, as a list of WHENs would choose it.
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& left, const auto& right) { return left.first < right.first; });
  keyed.erase(std::unique(keyed.begin(), keyed.end(),
                          [](const auto& left, const auto& right) { return left.first == right.first; }),
              keyed.end());

  // One statement a batch: a statement's own cost is most of a one-row update's.
  std::string statement = "update trans_table set ";
  std::vector<BoundValue> values;
  auto setColumn = [&](const char* column, auto text) {
    statement += std::string(values.empty() ? "" : ", ") + column + " = ";
    AppendChoice(keyed, 0, keyed.size(), text, statement, values);
  };
  if (names) setColumn("sym_name", [](const Rewrite& row) { return *row.name; });
  if (totals) setColumn("trans_total", [](const Rewrite& row) { return *row.total; });
  if (values.empty()) return false;
  statement += " where trans_id IN " + SqlPlaceholders(keyed.size());
  for (const auto& entry : keyed) values.push_back(BoundValue::Integer(entry.first));
  return db_->Execute(statement, std::span<const BoundValue>(values));
}

bool HTransDAO::Select(const std::string& statement, bool friendly, DBQueryResult& result) {
  return db_->Select(statement, friendly, result);
}

bool HTransDAO::SelectForSmartTime(DBQueryResult& result, const std::vector<std::string>& ids) {
  const std::string list = SqlIdList(ids);
  if (list.empty()) return false;
  return Select(std::string("select t.trans_id, t.trans_dttrade, t.sym_name, t.trans_action, "
                            "t.trans_pos, ") +
                    "t.acct_id from trans_table t " + "where t.trans_id IN ( " + list +
                    " ) ORDER BY t.acct_id, t.sym_name, t.trans_dttrade",
                true, result);
}

bool HTransDAO::SelectExpired(const std::map<std::string, std::string>& idToQuantity,
                              DBQueryResult& result) {
  std::vector<std::string> ids;
  for (const auto& entry : idToQuantity) ids.push_back(entry.first);
  const std::string list = SqlIdList(ids);
  if (list.empty()) return false;
  return Select(std::string("SELECT  a.*, b.sym_exp_date, b.sym_type ") +
                    "FROM  trans_table a, sym_table b " +
                    "WHERE a.sym_name = b.sym_name AND b.sym_exp_date < NOW() " +
                    "AND a.trans_id IN (" + list + ")",
                false, result);
}

namespace {

// The recalculation's columns, and the rows it takes.
constexpr const char* kRecalcColumnNames[] = {
    "trans_id",         "trans_dttrade", "sym_name",      "trans_action",  "trans_qty",
    "trans_unitprice",  "trans_commission", "trans_sec_fee", "trans_misc_fee", "trans_fed_tax",
    "trans_exassadj",   "trans_baseadj", "trans_fx",      "trans_total",   "lock_id"};

// The columns as the recalculation's select lists them, from table `a`.
std::string RecalcColumns() {
  std::string columns;
  for (const char* name : kRecalcColumnNames) columns += std::string(columns.empty() ? "" : ", ") + "a." + name;
  return columns;
}

// The rows the recalculation takes, of the table named `prefix` ("a.", or "").
std::string Recalculated(const std::string& prefix) {
  return prefix + "trans_type <> 0 and " + prefix + "trans_dup <> 1";
}

std::string RecalcStatement() {
  return "select " + RecalcColumns() + " from trans_table a where " + Recalculated("a.") +
         " order by sym_name";
}

}  // namespace

bool HTransDAO::SelectForRecalc(DBQueryResult& result) { return Select(RecalcStatement(), false, result); }

bool HTransDAO::StreamForRenameAndRecalc(DbRowReceiver& receiver, Renames renames) {
  // The rename's own join and conditions, as HSymboDAO::RenameInTables has
  // them; "> ''" says "not NULL and not empty" in a form that lets the
  // lookup be answered by the (sym_name, sym_vo_sym) index alone, where the
  // planner otherwise reads each inactive row from its table.
  const bool joined = renames == Renames::kJoined;
  std::string statement = "select " + RecalcColumns() + (joined ? ", r.sym_vo_sym" : ", NULL") +
                          ", CASE WHEN " + Recalculated("a.") + " THEN 1 ELSE 0 END from trans_table a";
  if (joined) {
    statement += " LEFT JOIN inactive_sym_table r ON r.sym_name = a.sym_name AND r.sym_vo_sym > '' "
                 "AND r.sym_vo_sym <> r.sym_name";
  }
  return db_->Stream(statement + " order by a.trans_id", {}, CellForm::kDecimal, receiver);
}

bool HTransDAO::RewritesInPlace() const { return db_->RewritesRowsInPlace(); }

bool HTransDAO::RewriteForRenameAndRecalc(DbRowRewriter& rewriter) {
  // The stream's cells, read from the row being rewritten (no alias there).
  std::vector<std::string> read(std::begin(kRecalcColumnNames), std::end(kRecalcColumnNames));
  read.push_back("NULL");
  read.push_back("CASE WHEN " + Recalculated("") + " THEN 1 ELSE 0 END");
  const std::vector<std::string> written{"sym_name", "trans_total"};
  return db_->RewriteRows("trans_table", read, written, CellForm::kDecimal, rewriter);
}

}  // namespace vo
