// The description of one table of the VO database: its name, the schema name
// that DBData carries for it, and its columns in table order with the stored
// form of each. The CREATE statements and every conversion between the text
// that callers pass and the stored value derive from these descriptions.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vo {

// How a column keeps its values.
enum class ColumnKind {
  kId,      // INTEGER PRIMARY KEY; "NULL" or empty lets the database choose
  kText,    // the text exactly as given
  kEnum,    // an enumeration value, stored as an integer
  kAmount,  // an amount, stored as an integer count of millionths
  kDate,    // a date-time, stored as "YYYY-MM-DD HH:MM:SS"
};

struct ColumnDef {
  const char* name;
  ColumnKind kind;
  // For the enumeration columns that read back as friendly strings: the
  // registry name of their enumeration; null for every other column.
  const char* friendlyEnum = nullptr;
  bool unique = false;
};

class DBSchemaDef {
 public:
  // An index, by its columns in key order.
  using Index = std::vector<std::string>;

  DBSchemaDef(std::string tableName, std::string schemaName, std::vector<ColumnDef> columns,
              std::vector<Index> indexes = {});
  // Not copyable: the name index points into the column list.
  DBSchemaDef(const DBSchemaDef&) = delete;
  DBSchemaDef& operator=(const DBSchemaDef&) = delete;
  DBSchemaDef(DBSchemaDef&&) = default;

  const std::string& tableName() const { return tableName_; }
  const std::string& schemaName() const { return schemaName_; }
  const std::vector<ColumnDef>& columns() const { return columns_; }
  // The indexes made with the table.
  const std::vector<Index>& indexes() const { return indexes_; }
  // Whether the column is part of one of them.
  bool IsIndexed(std::string_view column) const;
  // The name the index is made under.
  std::string IndexName(const Index& index) const;

  // The column of that name; null when the table has none.
  const ColumnDef* Find(std::string_view column) const;

  // The type a column of that kind is declared with in those statements (the
  // id's PRIMARY KEY aside): what a file's own declarations are judged by.
  static const char* DeclaredType(ColumnKind kind);
  // CREATE TABLE (and CREATE INDEX) statements, each safe to run on a file
  // that already has the table.
  std::vector<std::string> CreateStatements() const;
  // The CREATE TABLE of those; a temporary one lives in the connection's own
  // schema and leaves the file alone.
  std::string CreateTableStatement(bool temporary) const;
  // CREATE INDEX for one of the indexes, safe to run when it exists.
  std::string CreateIndexStatement(const Index& index) const;
  // The names of the table and of the indexes those statements make.
  std::vector<std::string> ObjectNames() const;

  // Every table of the VO database, in creation order.
  static const std::vector<DBSchemaDef>& All();
  // The table of that name / of that schema name; null when unknown.
  static const DBSchemaDef* ForTable(std::string_view tableName);
  static const DBSchemaDef* ForSchema(std::string_view schemaName);

 private:
  std::string tableName_;
  std::string schemaName_;
  std::vector<ColumnDef> columns_;
  std::vector<Index> indexes_;
  std::unordered_map<std::string_view, const ColumnDef*> byName_;
};

// The side table that flags duplicate transactions: a trans_id present in it
// is a duplicate. trans_table itself keeps exactly its 30 columns.
inline constexpr char kTransDupTable[] = "trans_dup_table";

// Our record of import runs (one row per import) and the links from a run to
// the transactions (by trans_id) and symbols (by sym_name) it wrote.
inline constexpr char kImportRunTable[] = "import_run";
inline constexpr char kImportRunTransTable[] = "import_run_trans";
inline constexpr char kImportRunSymTable[] = "import_run_sym";
// One row per account, rewritten by every import into it (see
// ImportRunDAO::Claim).
inline constexpr char kImportClaimTable[] = "import_claim";
// An index that earlier versions made on first use and nothing reads any more:
// dropped when a file is opened to write, so that imports stop paying for it.
inline constexpr char kRetiredTradeDateIndex[] = "trans_table_trans_dttrade";

}  // namespace vo
