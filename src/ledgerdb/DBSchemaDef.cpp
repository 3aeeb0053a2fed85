#include "ledgerdb/DBSchemaDef.h"

namespace {

using K = ColumnKind;

const std::vector<ColumnDef> kTransColumns = {
    {"trans_id", K::kId},
    {"trans_action", K::kEnum, "TransAction"},
    {"trans_pos", K::kEnum},
    {"trans_type", K::kEnum},
    {"trans_qty", K::kText},
    {"trans_unitprice", K::kText},
    {"trans_commission", K::kText},
    {"trans_dttrade", K::kDate},
    {"trans_dtsettle", K::kDate},
    {"trans_dtjrnl", K::kDate},
    {"trans_sec_fee", K::kText},
    {"trans_misc_fee", K::kText},
    {"trans_fed_tax", K::kText},
    {"trans_total", K::kAmount},
    {"trans_note_user", K::kText},
    {"trans_note_id", K::kText},
    {"trans_recon", K::kText},
    {"trans_baseadj", K::kText},
    {"acct_id", K::kText},
    {"lock_id", K::kText},
    {"undo_id", K::kText},
    {"sym_name", K::kText},
    {"sym_dup", K::kText},
    {"trans_ref_id", K::kText},
    {"trans_trade_num", K::kText},
    {"trans_lot_num", K::kText},
    {"trans_jrnl_in", K::kText},
    {"trans_exassadj", K::kText},
    {"trans_fx", K::kText},
    {"trans_change_date", K::kDate},
};

// sym_table and inactive_sym_table share this layout, so that rows move
// between them with SELECT *.
const std::vector<ColumnDef> kSymColumns = {
    {"sym_name", K::kText, nullptr, true},
    {"sym_research", K::kText},
    {"sym_cusid", K::kText},
    {"sym_type", K::kEnum, "SecurityType"},
    {"sym_exp_date", K::kDate},
    {"sym_strike", K::kText},
    {"sym_cont_size", K::kText},
    {"sym_under", K::kText},
    {"sym_cur_price", K::kText},
    {"sym_high_52", K::kText},
    {"sym_low_52", K::kText},
    {"sym_fee", K::kText},
    {"sym_desc", K::kText},
    {"sym_leap", K::kText},
    {"sym_token", K::kText},
    {"sym_lot_size", K::kText},
    {"sym_multiplier", K::kText},
    {"sym_contract", K::kText},
    {"sym_verified", K::kText},
    {"cur_name", K::kText},
    {"exch_name", K::kText},
    {"sym_cur_conv_rate", K::kText},
    {"sym_source", K::kText},
    {"sym_show_roi", K::kText},
    {"cur_name2", K::kText},
    {"sym_vo_sym", K::kText},
    {"sm_record_id", K::kText},
    {"sym_last_update", K::kText},
};

const std::vector<ColumnDef> kGroupColumns = {
    {"grp_id", K::kId},          {"grp_type", K::kEnum},       {"grp_qty", K::kText},
    {"grp_st_gl", K::kText},     {"grp_lt_gl", K::kText},      {"grp_vlt_gl", K::kText},
    {"trans_id_open", K::kText}, {"trans_id_close", K::kText}, {"grp_open_qty", K::kText},
    {"grp_locked", K::kEnum},
};

const std::vector<ColumnDef> kEventColumns = {
    {"event_id", K::kId},      {"trans_id", K::kText},  {"event_type", K::kEnum},
    {"event_date", K::kDate},  {"event_qty", K::kText}, {"gen_trans_id", K::kText},
};

// The record of import runs: one row per import, and which rows each wrote.
// A transaction is written by one run, so its id keys its link.
const std::vector<ColumnDef> kImportRunColumns = {
    {"run_id", K::kId},         {"acct_id", K::kText},      {"file_path", K::kText},
    {"file_size", K::kText},    {"file_sha256", K::kText},  {"format", K::kText},
    {"run_start", K::kDate},    {"run_end", K::kDate},      {"trans_stored", K::kText},
    {"sym_added", K::kText},    {"dup_skipped", K::kText},  {"log_path", K::kText},
    {"run_result", K::kText},   {"undone", K::kDate},
};

std::vector<DBSchemaDef> BuildTables() {
  std::vector<DBSchemaDef> tables;
  tables.reserve(12);
  // No secondary index on trans_table: every index slows the import's
  // inserts, and its joins by symbol get an automatic index from SQLite. The
  // trade-date index that duplicate detection needs is made on first use
  // (see kTransTradeDateIndex).
  tables.emplace_back("trans_table", "trans_schema", kTransColumns);
  tables.emplace_back("sym_table", "sym_schema", kSymColumns);
  tables.emplace_back("inactive_sym_table", "inactive_sym_schema", kSymColumns);
  tables.emplace_back("grp_table", "grp_schema", kGroupColumns);
  tables.emplace_back("event_table", "event_schema", kEventColumns);
  tables.emplace_back("position_table", "position_schema",
                      std::vector<ColumnDef>{{"pos_id", K::kId}, {"acct_id", K::kText},
                                             {"sym_name", K::kText}, {"pos_qty", K::kText}},
                      std::vector<std::string>{"sym_name"});
  tables.emplace_back("corp_event_table", "corp_event_schema",
                      std::vector<ColumnDef>{{"corp_event_id", K::kId},
                                             {"corp_event_type", K::kEnum},
                                             {"sym_name", K::kText},
                                             {"corp_event_date", K::kDate}},
                      std::vector<std::string>{"sym_name"});
  tables.emplace_back("port_table", "port_schema",
                      std::vector<ColumnDef>{{"port_id", K::kId}, {"port_name", K::kText},
                                             {"sym_name", K::kText}},
                      std::vector<std::string>{"sym_name"});
  tables.emplace_back(kTransDupTable, "trans_dup_schema",
                      std::vector<ColumnDef>{{"trans_id", K::kId}});
  tables.emplace_back(kImportRunTable, "import_run_schema", kImportRunColumns,
                      std::vector<std::string>{"file_sha256"});
  // Written once per stored transaction, so kept to its primary key: an undo
  // reads it whole, which is rare and fast.
  tables.emplace_back(kImportRunTransTable, "import_run_trans_schema",
                      std::vector<ColumnDef>{{"trans_id", K::kId}, {"run_id", K::kText}});
  tables.emplace_back(kImportRunSymTable, "import_run_sym_schema",
                      std::vector<ColumnDef>{{"link_id", K::kId}, {"run_id", K::kText},
                                             {"sym_name", K::kText}},
                      std::vector<std::string>{"run_id"});
  return tables;
}

}  // namespace

DBSchemaDef::DBSchemaDef(std::string tableName, std::string schemaName,
                         std::vector<ColumnDef> columns, std::vector<std::string> indexedColumns)
    : tableName_(std::move(tableName)),
      schemaName_(std::move(schemaName)),
      columns_(std::move(columns)),
      indexedColumns_(std::move(indexedColumns)) {
  for (const ColumnDef& column : columns_) byName_.emplace(column.name, &column);
}

const ColumnDef* DBSchemaDef::Find(std::string_view column) const {
  auto it = byName_.find(column);
  return it == byName_.end() ? nullptr : it->second;
}

const char* DBSchemaDef::DeclaredType(ColumnKind kind) {
  switch (kind) {
    case ColumnKind::kId:
    case ColumnKind::kEnum:
    case ColumnKind::kAmount:
      return "INTEGER";
    case ColumnKind::kText:
    case ColumnKind::kDate:
      return "TEXT";
  }
  return "TEXT";
}

std::vector<std::string> DBSchemaDef::CreateStatements() const {
  std::vector<std::string> statements{CreateTableStatement(false)};
  for (const std::string& column : indexedColumns_) statements.push_back(CreateIndexStatement(column));
  return statements;
}

std::string DBSchemaDef::CreateTableStatement(bool temporary) const {
  std::string table = std::string(temporary ? "CREATE TEMP TABLE" : "CREATE TABLE") + " IF NOT EXISTS " +
                      tableName_ + " (";
  for (size_t i = 0; i < columns_.size(); ++i) {
    const ColumnDef& column = columns_[i];
    table += (i ? ", " : "") + std::string(column.name) + " " + DeclaredType(column.kind);
    if (column.kind == ColumnKind::kId) table += " PRIMARY KEY";
    if (column.unique) table += " NOT NULL UNIQUE";
  }
  return table + ")";
}

std::string DBSchemaDef::CreateIndexStatement(const std::string& column) const {
  return "CREATE INDEX IF NOT EXISTS " + IndexName(column) + " ON " + tableName_ + " (" + column +
         ")";
}

std::vector<std::string> DBSchemaDef::ObjectNames() const {
  std::vector<std::string> names{tableName_};
  for (const std::string& column : indexedColumns_) names.push_back(IndexName(column));
  return names;
}

const std::vector<DBSchemaDef>& DBSchemaDef::All() {
  static const std::vector<DBSchemaDef> tables = BuildTables();
  return tables;
}

const DBSchemaDef* DBSchemaDef::ForTable(std::string_view tableName) {
  for (const DBSchemaDef& table : All()) {
    if (table.tableName() == tableName) return &table;
  }
  return nullptr;
}

const DBSchemaDef* DBSchemaDef::ForSchema(std::string_view schemaName) {
  for (const DBSchemaDef& table : All()) {
    if (table.schemaName() == schemaName) return &table;
  }
  return nullptr;
}
