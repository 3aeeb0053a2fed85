#include "db/HSymboDAO.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/NameCounts.h"
#include "db/PositionalRow.h"
#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/Database.h"
#include "ledgerdb/DbRowFunction.h"
#include "ledgerdb/DbRowReceiver.h"
#include "ledgerdb/SqlLiteral.h"
#include "platform/DebugOutput.h"
#include "values/NumberText.h"

namespace vo {

namespace {

// Each symbol with its count as the last cell; with an account, only the
// symbols it trades.
class SymbolsWithCounts : public DbRowReceiver {
 public:
  SymbolsWithCounts(DbRowReceiver& receiver, const NameCounts& counts, bool tradedOnly)
      : receiver_(receiver), counts_(counts), tradedOnly_(tradedOnly) {}
  void Columns(const std::vector<std::string>& names) override {
    std::vector<std::string> all = names;
    all.push_back("count_trans_table");
    receiver_.Columns(all);
  }
  bool Row(const std::vector<std::string>& cells) override {
    const int64_t count = cells.empty() ? 0 : counts_.CountOf(cells[0]);
    if (count == 0 && tradedOnly_) return true;
    row_ = cells;
    row_.push_back(std::to_string(count));
    return receiver_.Row(row_);
  }

 private:
  DbRowReceiver& receiver_;
  const NameCounts& counts_;
  const bool tradedOnly_;
  std::vector<std::string> row_;
};

// The table's columns in order, as the database layer describes the table.
const std::vector<ColumnDef>& Columns() {
  static const std::vector<ColumnDef>& columns = DBSchemaDef::ForTable(kSymTable)->columns();
  return columns;
}

int ColumnCount() { return static_cast<int>(Columns().size()); }

// The tables whose sym_name follows a symbol's rename, in renaming order.
const char* const kRenamedTables[] = {"trans_table", "position_table", "corp_event_table",
                                      "port_table"};

// The inactive symbols (of `table`, as named in the statement) that rename:
// an inactive symbol without a canonical one renames nothing, so sym_name
// never becomes NULL or empty, and a symbol that is its own canonical symbol
// is left alone rather than rewritten with the same name.
std::string RenamingCondition(const std::string& table) {
  return table + ".sym_vo_sym IS NOT NULL AND " + table + ".sym_vo_sym <> '' AND " + table +
         ".sym_vo_sym <> " + table + ".sym_name";
}

constexpr int kSecurityTypeCall = 1;
constexpr int kSecurityTypePut = 2;
constexpr int kSecurityTypeCallIndexOption = 3;
constexpr int kSecurityTypePutIndexOption = 4;

std::string FieldText(const SymbolFields& fields, int index) {
  auto it = fields.find(index);
  return it == fields.end() ? std::string() : it->second;
}

// The fields of a row written by its name, without that name when it stays
// the same: setting it would rewrite the name's index entries for nothing.
SymbolFields WithoutKeptName(SymbolFields fields, const std::string& name) {
  auto field = fields.find(0);
  if (fields.size() > 1 && field != fields.end() && field->second == name) fields.erase(0);
  return fields;
}

}  // namespace

HSymboDAO::HSymboDAO() : db_(Database::Instance()) {}

bool HSymboDAO::init() {
  bool created = false;
  return db_->init("vo_db", "", "root", nullptr, 0, created);
}

std::string HSymboDAO::GetColumnName(int index) {
  if (index < 0 || index >= ColumnCount()) {
    DebugOutput("Invalid column index passed in HSymboDAO::GetColumnName()");
    return "";
  }
  return Columns()[static_cast<size_t>(index)].name;
}

bool HSymboDAO::Run(const std::string& statement) {
  unsigned long queryId = 0;
  if (!db_->Query(queryId, statement)) return false;
  db_->DeleteQuery(queryId);
  return true;
}

bool HSymboDAO::Select(const std::string& statement, DBQueryResult& result) {
  return db_->Select(statement, true, result);
}

bool HSymboDAO::GetSymbolNames(std::set<std::string>& names) {
  DBQueryResult result;
  if (!Select("SELECT sym_name FROM sym_table ", result)) return false;
  for (const DBQueryResult::Row& row : result) names.insert(row.empty() ? "" : row[0]);
  return true;
}

bool HSymboDAO::GetSymbolNames(std::set<std::string>& names, const std::vector<std::string>& candidates) {
  constexpr size_t kPerSelect = 500;
  for (size_t first = 0; first < candidates.size(); first += kPerSelect) {
    const auto begin = candidates.begin() + static_cast<std::ptrdiff_t>(first);
    const std::set<std::string> chunk(begin, begin + static_cast<std::ptrdiff_t>(
                                                         std::min(kPerSelect, candidates.size() - first)));
    DBQueryResult result;
    if (!Select("SELECT sym_name FROM sym_table WHERE sym_name" + InList(chunk), result)) return false;
    for (const DBQueryResult::Row& row : result) names.insert(row.empty() ? "" : row[0]);
  }
  return true;
}

bool HSymboDAO::InsertSymbol(const SymbolFields& fields) {
  if (FieldText(fields, 0).empty()) return false;  // a symbol without a name is never inserted
  return InsertRow(fields);
}

bool HSymboDAO::InsertRow(const SymbolFields& fields) {
  int badIndex = PositionalRow(fields, ColumnCount(), row_);
  if (badIndex >= 0) {
    GetColumnName(badIndex);  // reports the index
    return false;
  }
  return db_->insert(row_, kSymTable);
}

bool HSymboDAO::SaveSymbol(const std::string& name, SymbolFields fields) {
  if (name.empty() && FieldText(fields, 1).empty()) {
    int type = TextToInt(FieldText(fields, 3));
    fields[1] = ResearchSymbolFor(FieldText(fields, 0), type);
  }
  if (!name.empty()) return ModifyByName(kSymTable, WithoutKeptName(std::move(fields), name), name);
  return InsertRow(fields);
}

bool HSymboDAO::SaveInactiveSymbol(SymbolFields fields) {
  std::string name = FieldText(fields, 0);
  if (name.empty()) return false;
  return ModifyByName(kInactiveSymTable, WithoutKeptName(std::move(fields), name), name);
}

bool HSymboDAO::ModifyByName(const std::string& table, const SymbolFields& fields, const std::string& name) {
  int badIndex = PositionalRow(fields, ColumnCount(), row_);
  if (badIndex >= 0) {
    GetColumnName(badIndex);  // reports the index
    return false;
  }
  return db_->modify(row_, table, "sym_name", name);
}

bool HSymboDAO::CopyUnmatchedToInactive(const std::string& condition, std::span<const std::string> values) {
  std::string statement = "REPLACE INTO inactive_sym_table SELECT * FROM sym_table";
  if (!condition.empty()) statement += " WHERE sym_vo_sym IS NULL AND " + condition;
  return values.empty() ? Run(statement) : db_->Execute(statement, values);
}

bool HSymboDAO::DeleteUnmatched(const std::string& condition, std::span<const std::string> values) {
  std::string statement = "DELETE FROM sym_table WHERE sym_vo_sym IS NULL";
  if (!condition.empty()) statement += " AND " + condition;
  return values.empty() ? Run(statement) : db_->Execute(statement, values);
}

bool HSymboDAO::GetSymbolMap(const std::string& table, std::map<std::string, std::string>& map) {
  DBQueryResult result;
  if (!Select("SELECT sym_name, sym_vo_sym FROM " + table + " ", result)) return false;
  for (const DBQueryResult::Row& row : result) {
    if (row.size() >= 2) map[row[0]] = row[1];
  }
  return true;
}

bool HSymboDAO::RenameInTables(TransRenames trans) {
  bool allRenamed = true;
  for (const char* table : kRenamedTables) {
    if (trans == TransRenames::kByCaller && std::string_view(table) == "trans_table") continue;
    allRenamed &= Run(std::string("UPDATE ") + table +
                      " voTable, inactive_sym_table symTable SET voTable.sym_name = "
                      "symTable.sym_vo_sym WHERE voTable.sym_name = symTable.sym_name AND " +
                      RenamingCondition("symTable"));
  }
  return allRenamed;
}

bool HSymboDAO::StreamInactiveRenames(DbRowReceiver& receiver) {
  if (!db_->ComparesTextByBytes()) return false;
  // The rows RenameInTables joins.
  return db_->Stream("SELECT sym_name, sym_vo_sym FROM inactive_sym_table symTable WHERE " +
                         RenamingCondition("symTable"),
                     {}, CellForm::kStored, receiver);
}

bool HSymboDAO::SelectSymbolsWithTransCount(DBQueryResult& result, const std::string& accountId) {
  return Select(SymbolsWithTransCountStatement(accountId), result);
}

bool HSymboDAO::StreamSymbolsWithTransCount(DbRowReceiver& receiver, const std::string& accountId) {
  if (!db_->ComparesTextByBytes()) {
    return db_->Stream(CountedSymbolsStatement(accountId), {}, CellForm::kFriendly, receiver);
  }

  // Where names match by their bytes, the transactions are counted in memory
  // while their names stream past: a grouped count has the database sort
  // every transaction by name first (two thirds of the time at a million
  // symbols).
  NameCounts counts;
  DbRowFunction count([&](const std::vector<std::string>& cells) {
    if (!cells.empty()) counts.Add(cells[0]);
  });
  const std::vector<std::string> account{accountId};
  const bool read = accountId.empty()
                        ? db_->Stream("SELECT sym_name FROM trans_table WHERE sym_name IS NOT NULL", {},
                                      CellForm::kStored, count)
                        : db_->Stream("SELECT sym_name FROM trans_table WHERE sym_name IS NOT NULL AND acct_id = ?",
                                      account, CellForm::kStored, count);
  if (!read) return false;

  SymbolsWithCounts withCount(receiver, counts, !accountId.empty());
  return db_->Stream("SELECT * FROM sym_table ORDER BY sym_name", {}, CellForm::kFriendly, withCount);
}

// The rows and order of SymbolsWithTransCountStatement, with the transactions
// counted in one grouped pass over trans_table first. For the join as written
// SQLite builds a throwaway index of every transaction's symbol name on each
// run: twice the time of this at 100,000 symbols.
std::string HSymboDAO::CountedSymbolsStatement(const std::string& accountId) {
  // A where on the joined transactions keeps only symbols that have some, as
  // an inner join of the account's counts does.
  std::string where = accountId.empty() ? "" : " WHERE acct_id = " + SqlValue(accountId);
  std::string join = accountId.empty() ? "LEFT OUTER JOIN" : "INNER JOIN";
  return "SELECT sym_table.*, COALESCE(counts.n, 0) 'count_trans_table' FROM sym_table " + join +
         " (SELECT sym_name, COUNT(trans_id) n FROM trans_table" + where +
         " GROUP BY sym_name) counts ON sym_table.sym_name = counts.sym_name ORDER BY sym_table.sym_name";
}

std::string HSymboDAO::SymbolsWithTransCountStatement(const std::string& accountId) {
  std::string where = accountId.empty() ? "" : "WHERE  trans_table.acct_id  = " + SqlValue(accountId);
  std::string source = JoinClause("LEFT OUTER JOIN", kSymTable, kTransTable, "sym_name", where);
  return SelectStatement(source, "sym_table.*, COUNT(trans_table.trans_id ) 'count_trans_table' ", "");
}

std::string HSymboDAO::SelectStatement(const std::string& source, const std::string& selectList,
                                       const std::string& tail) {
  return "SELECT " + selectList + " FROM " + source + " " + tail;
}

std::string HSymboDAO::JoinClause(const std::string& joinKind, const std::string& left,
                                  const std::string& right, const std::string& column,
                                  const std::string& whereText) {
  return left + " " + joinKind + " " + right + " ON " + left + "." + column + " = " + right + "." +
         column + " " + whereText + " GROUP BY " + column;
}

std::string HSymboDAO::InList(const std::set<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + SqlLiteral(name);
  return " IN (" + list + ")";
}

std::string HSymboDAO::ResearchSymbolFor(const std::string& symbol, int securityType) {
  std::string research;
  for (char c : symbol) {
    if (c != ',' && c != '/' && c != '.') research += c;
  }
  switch (securityType) {
    case kSecurityTypeCall:
    case kSecurityTypePut:
      return research + ".X";
    case kSecurityTypeCallIndexOption:
    case kSecurityTypePutIndexOption:
      return "^" + research;
    default:
      return research;
  }
}

}  // namespace vo
