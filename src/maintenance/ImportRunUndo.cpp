// An undo, in this order, inside one database transaction:
//   1. read the run; refuse one that is unknown or not imported (failed, or
//      undone already);
//   2. read which of its transactions are still stored; refuse, naming them,
//      when groups or events refer to any of them;
//   3. delete those transactions and the run's links to them;
//   4. delete the run's symbols that no transaction, position, corporate
//      event, portfolio entry or remaining symbol (as underlying) uses;
//   5. mark the run undone and commit.
#include "maintenance/ImportRunUndo.h"

#include <set>

#include "db/ImportRunDAO.h"
#include "import/WritePhasePause.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/Database.h"
#include "ledgerdb/SqlLiteral.h"
#include "ledgerdb/DbTransaction.h"

namespace vo {

namespace {

constexpr char kImported[] = "imported";

// "a, b, c" of names (quoted) or ids (whole numbers as written).
std::string List(const std::vector<std::string>& items, bool quote) {
  std::string list;
  for (const std::string& item : items) list += (list.empty() ? "" : ", ") + (quote ? SqlLiteral(item) : SqlValue(item));
  return list;
}

}  // namespace

ImportRunUndo::ImportRunUndo() : db_(Database::Instance()) {}

VoServices::UndoOutcome ImportRunUndo::Undo(uint64_t runId) {
  VoServices::UndoOutcome outcome;
  auto fail = [&](const std::string& reason) {
    outcome.failure = reason;
    return outcome;
  };
  const std::string id = std::to_string(runId);
  DbTransaction undo(db_);
  if (!undo.active()) return fail("cannot write to the database: " + db_->LastError());

  ImportRunDAO runs;
  VoServices::ImportRunInfo run;
  bool found = false;
  if (!runs.Get(runId, run, found)) return fail("cannot read the import runs: " + db_->LastError());
  if (!found) return fail("there is no import run " + id);
  if (run.result != kImported) return fail("run " + id + " is not an import to undo (" + run.result + ")");

  Names transIds;
  if (!Column("SELECT t.trans_id FROM trans_table t, " + std::string(kImportRunTransTable) +
                  " r WHERE t.trans_id = r.trans_id AND r.run_id = " + SqlLiteral(id) +
                  " ORDER BY t.trans_id",
              transIds)) {
    return fail("cannot read the run's transactions: " + db_->LastError());
  }
  const std::string transList = List(transIds, false);
  if (!transIds.empty()) {
    if (!FindReferrers(transList, outcome.blockers)) {
      return fail("cannot read groups and events: " + db_->LastError());
    }
    if (!outcome.blockers.empty()) {
      std::string named;
      for (const std::string& row : outcome.blockers) named += (named.empty() ? "" : ", ") + row;
      return fail("rows made later refer to the run's transactions: " + named);
    }
    if (!Run("DELETE FROM trans_table WHERE trans_id IN (" + transList + ")")) {
      return fail("cannot delete the run's transactions: " + db_->LastError());
    }
  }
  Names symbols;
  if (!Run(std::string("DELETE FROM ") + kImportRunTransTable + " WHERE run_id = " + SqlLiteral(id)) ||
      !UnusedSymbols(id, symbols) ||
      (!symbols.empty() && !Run("DELETE FROM sym_table WHERE sym_name IN (" + List(symbols, true) + ")")) ||
      !Run(std::string("DELETE FROM ") + kImportRunSymTable + " WHERE run_id = " + SqlLiteral(id)) ||
      !runs.MarkUndone(runId)) {
    return fail("cannot undo run " + id + ": " + db_->LastError());
  }
  PauseBeforeUndoCommit();
  if (!undo.Commit()) return fail("cannot commit the undo: " + db_->LastError());
  outcome.undone = true;
  outcome.transactionsRemoved = transIds.size();
  outcome.symbolsRemoved = symbols.size();
  return outcome;
}

bool ImportRunUndo::Select(const std::string& select, DBQueryResult& result) {
  unsigned long queryId = 0;
  if (!db_->Query(queryId, select, false, false, false)) return false;
  db_->GetQueryResult(queryId, result);
  db_->DeleteQuery(queryId);
  return true;
}

bool ImportRunUndo::Column(const std::string& select, Names& cells) {
  DBQueryResult result;
  if (!Select(select, result)) return false;
  cells.clear();
  for (const DBQueryResult::Row& row : result) cells.push_back(row.empty() ? "" : row[0]);
  return true;
}

bool ImportRunUndo::Run(const std::string& statement) {
  unsigned long queryId = 0;
  if (!db_->Query(queryId, statement, false, false, false)) return false;
  db_->DeleteQuery(queryId);
  return true;
}

bool ImportRunUndo::FindReferrers(const std::string& transIds, Names& referrers) {
  DBQueryResult groups;
  DBQueryResult events;
  if (!Select("SELECT grp_id, trans_id_open, trans_id_close FROM grp_table WHERE trans_id_open IN (" +
                  transIds + ") OR trans_id_close IN (" + transIds + ") ORDER BY grp_id",
              groups) ||
      !Select("SELECT event_id, trans_id FROM event_table WHERE trans_id IN (" + transIds +
                  ") OR gen_trans_id IN (" + transIds + ") ORDER BY event_id",
              events)) {
    return false;
  }
  referrers.clear();
  for (const DBQueryResult::Row& group : groups) {
    referrers.push_back("grp_table " + group[0] + " (trans_id_open " + group[1] +
                        ", trans_id_close " + group[2] + ")");
  }
  for (const DBQueryResult::Row& event : events) {
    referrers.push_back("event_table " + event[0] + " (trans_id " + event[1] + ")");
  }
  return true;
}

bool ImportRunUndo::UnusedSymbols(const std::string& runId, Names& symbols) {
  Names linked;
  if (!Column("SELECT s.sym_name FROM sym_table s, " + std::string(kImportRunSymTable) +
                  " r WHERE s.sym_name = r.sym_name AND r.run_id = " + SqlLiteral(runId),
              linked)) {
    return false;
  }
  if (linked.empty()) {
    symbols.clear();
    return true;
  }
  const std::string list = List(linked, true);
  std::set<std::string> unused(linked.begin(), linked.end());
  for (const char* table : {"trans_table", "position_table", "corp_event_table", "port_table"}) {
    Names used;
    if (!Column(std::string("SELECT DISTINCT sym_name FROM ") + table + " WHERE sym_name IN (" +
                    list + ")",
                used)) {
      return false;
    }
    for (const std::string& name : used) unused.erase(name);
  }
  // A symbol stays while a symbol that stays names it as its underlying.
  DBQueryResult pairs;
  if (!Select("SELECT sym_name, sym_under FROM sym_table WHERE sym_under IN (" + list + ")", pairs)) {
    return false;
  }
  for (bool changed = true; changed;) {
    changed = false;
    for (const DBQueryResult::Row& pair : pairs) {
      const std::string& user = pair[0];
      const std::string& under = pair[1];
      if (!unused.contains(user) && user != under && unused.erase(under) > 0) changed = true;
    }
  }
  symbols.assign(unused.begin(), unused.end());
  return true;
}

}  // namespace vo
