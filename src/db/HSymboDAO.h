// Every statement the library sends about sym_table and inactive_sym_table,
// plus the renames of a symbol across the tables that refer to it. Holds the
// process-wide Database; owns nothing. Symbol names put into conditions and
// lists have their single quotes doubled, so a name such as O'NEIL is safe.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "db/PackedRecordTable.h"
#include "db/SymbolFields.h"
#include "ledgerdb/Database.h"

namespace vo {

class DBQueryResult;
class DbRowReceiver;

inline constexpr char kTransTable[] = "trans_table";
inline constexpr char kSymTable[] = "sym_table";
inline constexpr char kInactiveSymTable[] = "inactive_sym_table";

class HSymboDAO {
 public:
  HSymboDAO();

  bool init();
  static std::string GetColumnName(int index);

  bool GetSymbolNames(std::set<std::string>& names);
  // The names among `candidates` that sym_table holds, looked up through its
  // key a few hundred at a time: what an import of a few symbols needs,
  // whatever the size of the table.
  bool GetSymbolNames(std::set<std::string>& names, const std::vector<std::string>& candidates);
  // False, and nothing stored, for a symbol without a name.
  bool InsertSymbol(const SymbolFields& fields);
  bool SaveSymbol(const std::string& name, SymbolFields fields);
  bool SaveInactiveSymbol(SymbolFields fields);
  // With `values`, the condition's `?` placeholders take them in order, and
  // the statement is kept prepared for the next condition of the same text.
  bool CopyUnmatchedToInactive(const std::string& condition, std::span<const std::string> values = {});
  bool DeleteUnmatched(const std::string& condition, std::span<const std::string> values = {});
  bool GetSymbolMap(const std::string& table, std::map<std::string, std::string>& map);
  // Renames in trans_table, position_table, corp_event_table and port_table
  // every sym_name of an inactive symbol that has a canonical one. Runs all
  // four; true only when all four succeeded. With `TransRenames::kByCaller`
  // trans_table is left to a caller that rewrites its rows anyway (see
  // HTransDAO::StreamForRenameAndRecalc).
  enum class TransRenames { kHere, kByCaller };
  bool RenameInTables(TransRenames trans = TransRenames::kHere);
  // Each inactive symbol that renames (its canonical symbol neither empty
  // nor itself) as two cells, name and canonical symbol. False, reading
  // nothing, where the database matches names otherwise than by their bytes
  // (a server's collation): only its own join renames as it compares.
  bool StreamInactiveRenames(DbRowReceiver& receiver);
  bool SelectSymbolsWithTransCount(DBQueryResult& result, const std::string& accountId);
  // The same rows in the same order, handed to `receiver` one at a time as
  // they are read.
  bool StreamSymbolsWithTransCount(DbRowReceiver& receiver, const std::string& accountId);

  // What UpdateFromSecurityMaster wrote: symbols given another name, rows
  // of sym_table rewritten from the server, and rows it added.
  struct UpdateCounts {
    uint64_t renamed = 0;
    uint64_t changed = 0;
    uint64_t added = 0;
  };
  // The database side of the symbol update: renames keyed by old name,
  // canonical records keyed by canonical symbol.
  bool UpdateFromSecurityMaster(const PackedRecordTable& renames, const PackedRecordTable& canonical,
                                UpdateCounts& counts, TransRenames trans = TransRenames::kHere);

  // Statement builders.
  static std::string SelectStatement(const std::string& source, const std::string& selectList,
                                     const std::string& tail);
  static std::string JoinClause(const std::string& joinKind, const std::string& left,
                                const std::string& right, const std::string& column,
                                const std::string& whereText);
  static std::string InList(const std::set<std::string>& names);
  static std::string ResearchSymbolFor(const std::string& symbol, int securityType);

 private:
  // Runs a statement / a select whose rows go into `result`.
  bool Run(const std::string& statement);
  bool Select(const std::string& statement, DBQueryResult& result);
  // Updates the row of `table` named `name` with `fields`, given by column
  // position: no map of field names is built for each of a million symbols.
  bool ModifyByName(const std::string& table, const SymbolFields& fields, const std::string& name);
  // Inserts a sym_table row of `fields`, by column position as above.
  bool InsertRow(const SymbolFields& fields);
  static std::string SymbolsWithTransCountStatement(const std::string& accountId);
  static std::string CountedSymbolsStatement(const std::string& accountId);

  Database* db_;
  std::vector<ColumnValue> row_;  // the row being written, kept for its capacity
};

}  // namespace vo
