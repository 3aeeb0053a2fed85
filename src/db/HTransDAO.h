// Every statement the library sends about trans_table. Holds the process-wide
// Database; owns nothing. Every select leaves `result` as it was when the
// query fails. A transaction is a duplicate when its id is in trans_dup_table;
// the recalculation select leaves duplicates out.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "db/TransactionFields.h"
#include "ledgerdb/Database.h"

namespace vo {

class DBData;
class DbRowReceiver;
class DbRowRewriter;
class DBQueryResult;
class TransRecord;

class HTransDAO {
 public:
  HTransDAO();

  // Column name of a trans_table index 0..29; empty (and a debug message) otherwise.
  static std::string GetTransTableName(int index);

  // `ids`, when given, receives the row's id once the database has given it
  // (see Database::insert).
  bool InsertFields(const TransactionFields& fields, InsertedIds* ids = nullptr);
  // On success field 0 of the record holds the new id.
  bool InsertRecord(TransRecord& record);
  // Data carries trans_id, trans_dttrade and trans_note_user; the trade time
  // goes into trans_dttrade and trans_dtsettle, an empty note leaves the
  // stored one. Serialised on the library's trade-time lock.
  bool UpdateTradeTime(const DBData& data);
  bool UpdateWhere(const std::string& assignments, const std::string& condition);
  // UpdateWhere("trans_total = " + number, "trans_id = " + id) for a plain
  // decimal number (digits, an optional sign and point) and a whole-number id,
  // through one statement kept prepared: the symbol update writes totals by
  // the hundred thousand. Any other text is refused (false, nothing run).
  bool UpdateTotal(const std::string& id, const std::string& number);
  // UpdateTotal for each (id, number) pair, in one statement. False, with
  // nothing run, when any text is refused; false when the statement fails.
  bool UpdateTotals(const std::vector<std::pair<std::string, std::string>>& totals);
  // A row's new symbol name and new total (either may be left as stored).
  struct Rewrite {
    std::string id;
    std::optional<std::string> name;
    std::optional<std::string> total;  // as UpdateTotal takes it
  };
  // Writes each rewrite in one statement. Every rewrite must carry the same
  // kind of change (a name, a total or both): one statement per kind and
  // size is kept prepared. False, with nothing run, when an id or total is
  // refused as UpdateTotal refuses it or the kinds differ; false when the
  // statement fails.
  bool UpdateRows(const std::vector<Rewrite>& rows);

  // The two selects list only the ids that are plain whole numbers (no row
  // has any other); false, and nothing run, when none is.
  bool SelectForSmartTime(DBQueryResult& result, const std::vector<std::string>& ids);
  bool SelectExpired(const std::map<std::string, std::string>& idToQuantity, DBQueryResult& result);
  bool SelectForRecalc(DBQueryResult& result);
  // Every row, one at a time, never held together, in id order instead of
  // symbol order (sorting cost a fifth of the symbol update and most of its
  // memory): SelectForRecalc's columns and two more, the canonical symbol its
  // sym_name is to become, from inactive_sym_table (empty when it keeps its
  // name), and "1" when SelectForRecalc lists the row (else "0"). The symbol
  // update renames and recalculates in this one pass instead of rewriting
  // every row twice. The receiver may rewrite the row it holds: the scan goes
  // on by row id, which that leaves alone. With `Renames::kByCaller` the
  // canonical symbol is left empty for a caller that knows it already.
  enum class Renames { kJoined, kByCaller };
  bool StreamForRenameAndRecalc(DbRowReceiver& receiver, Renames renames = Renames::kJoined);
  // The same pass as one statement that writes as it reads, where the
  // database can (RewritesRowsInPlace): `rewriter` gets the cells of
  // StreamForRenameAndRecalc with Renames::kByCaller and sets a row's new
  // sym_name (value 0) and trans_total in millionths (value 1). Only the rows
  // it changes are written; a failure writes none.
  bool RewritesInPlace() const;
  bool RewriteForRenameAndRecalc(DbRowRewriter& rewriter);

 private:
  // Runs a select and copies its rows into `result`.
  bool Select(const std::string& statement, bool friendlyEnums, DBQueryResult& result);

  Database* db_;
  std::vector<ColumnValue> row_;  // InsertFields' row, kept for its capacity
};

}  // namespace vo
