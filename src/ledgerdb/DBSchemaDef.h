// The description of one table of the VO database: its name, the schema name
// that DBData carries for it, and its columns in table order with the stored
// form of each. The CREATE statements and every conversion between the text
// that callers pass and the stored value derive from these descriptions.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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
  DBSchemaDef(std::string tableName, std::string schemaName, std::vector<ColumnDef> columns,
              std::vector<std::string> indexedColumns = {});
  // Not copyable: the name index points into the column list.
  DBSchemaDef(const DBSchemaDef&) = delete;
  DBSchemaDef& operator=(const DBSchemaDef&) = delete;
  DBSchemaDef(DBSchemaDef&&) = default;

  const std::string& tableName() const { return tableName_; }
  const std::string& schemaName() const { return schemaName_; }
  const std::vector<ColumnDef>& columns() const { return columns_; }
  // The columns that get an index of their own.
  const std::vector<std::string>& indexedColumns() const { return indexedColumns_; }

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
  // CREATE INDEX for one column, safe to run when the index exists: for an
  // index made on first use rather than with the schema.
  std::string CreateIndexStatement(const std::string& column) const;
  // The names of the table and of the indexes those statements make.
  std::vector<std::string> ObjectNames() const;

  // Every table of the VO database, in creation order.
  static const std::vector<DBSchemaDef>& All();
  // The table of that name / of that schema name; null when unknown.
  static const DBSchemaDef* ForTable(std::string_view tableName);
  static const DBSchemaDef* ForSchema(std::string_view schemaName);

 private:
  std::string IndexName(const std::string& column) const { return tableName_ + "_" + column; }

  std::string tableName_;
  std::string schemaName_;
  std::vector<ColumnDef> columns_;
  std::vector<std::string> indexedColumns_;
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
// The column of trans_table indexed on the first import that skips
// duplicates: every other import is spared its cost.
inline constexpr char kTransTradeDateIndex[] = "trans_dttrade";
