#include "ledgerdb/DBSchemaDef.h"

namespace vo {

namespace {

using K = ColumnKind;

constexpr ColumnDef kTransColumns[] = {
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
constexpr ColumnDef kSymColumns[] = {
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

constexpr ColumnDef kGroupColumns[] = {
    {"grp_id", K::kId},          {"grp_type", K::kEnum},       {"grp_qty", K::kText},
    {"grp_st_gl", K::kText},     {"grp_lt_gl", K::kText},      {"grp_vlt_gl", K::kText},
    {"trans_id_open", K::kText}, {"trans_id_close", K::kText}, {"grp_open_qty", K::kText},
    {"grp_locked", K::kEnum},
};

constexpr ColumnDef kEventColumns[] = {
    {"event_id", K::kId},      {"trans_id", K::kText},  {"event_type", K::kEnum},
    {"event_date", K::kDate},  {"event_qty", K::kText}, {"gen_trans_id", K::kText},
};

// The record of import runs: one row per import, and which rows each wrote.
// A transaction is written by one run, so its id keys its link.
constexpr ColumnDef kImportRunColumns[] = {
    {"run_id", K::kId},         {"acct_id", K::kText},      {"file_path", K::kText},
    {"file_size", K::kText},    {"file_sha256", K::kText},  {"format", K::kText},
    {"run_start", K::kDate},    {"run_end", K::kDate},      {"trans_stored", K::kText},
    {"sym_added", K::kText},    {"dup_skipped", K::kText},  {"log_path", K::kText},
    {"run_result", K::kText},   {"undone", K::kDate},
};

template <std::size_t N>
std::vector<ColumnDef> List(const ColumnDef (&columns)[N]) {
  return {columns, columns + N};
}

std::vector<DBSchemaDef> BuildTables() {
  std::vector<DBSchemaDef> tables;
  tables.reserve(13);
  // One secondary index on trans_table, by account and trade date: it serves
  // the duplicate lookup of an import (the account's rows of the file's trade
  // dates) and every per-account read, so that their cost follows the
  // account's rows, not the ledger's. Every further index would slow the
  // import's inserts; the joins by symbol get an automatic index from SQLite.
  tables.emplace_back("trans_table", "trans_schema", List(kTransColumns),
                      std::vector<DBSchemaDef::Index>{{"acct_id", "trans_dttrade"}});
  tables.emplace_back("sym_table", "sym_schema", List(kSymColumns));
  // The renames read by a symbol update: every row of the tables that refer to
  // symbols looks its name up here, and an index that holds the canonical name
  // answers without reading the table's rows, which at a million symbols no
  // page cache holds.
  tables.emplace_back("inactive_sym_table", "inactive_sym_schema", List(kSymColumns),
                      std::vector<DBSchemaDef::Index>{{"sym_name", "sym_vo_sym"}});
  tables.emplace_back("grp_table", "grp_schema", List(kGroupColumns));
  tables.emplace_back("event_table", "event_schema", List(kEventColumns));
  tables.emplace_back("position_table", "position_schema",
                      std::vector<ColumnDef>{{"pos_id", K::kId}, {"acct_id", K::kText},
                                             {"sym_name", K::kText}, {"pos_qty", K::kText}},
                      std::vector<DBSchemaDef::Index>{{"sym_name"}});
  tables.emplace_back("corp_event_table", "corp_event_schema",
                      std::vector<ColumnDef>{{"corp_event_id", K::kId},
                                             {"corp_event_type", K::kEnum},
                                             {"sym_name", K::kText},
                                             {"corp_event_date", K::kDate}},
                      std::vector<DBSchemaDef::Index>{{"sym_name"}});
  tables.emplace_back("port_table", "port_schema",
                      std::vector<ColumnDef>{{"port_id", K::kId}, {"port_name", K::kText},
                                             {"sym_name", K::kText}},
                      std::vector<DBSchemaDef::Index>{{"sym_name"}});
  tables.emplace_back(kTransDupTable, "trans_dup_schema",
                      std::vector<ColumnDef>{{"trans_id", K::kId}});
  tables.emplace_back(kImportRunTable, "import_run_schema", List(kImportRunColumns),
                      std::vector<DBSchemaDef::Index>{{"file_sha256"}});
  // Written once per stored transaction, in the order of both keys, so its
  // run index only ever grows at its end: an undo finds a run's rows without
  // reading every run's.
  tables.emplace_back(kImportRunTransTable, "import_run_trans_schema",
                      std::vector<ColumnDef>{{"trans_id", K::kId}, {"run_id", K::kText}},
                      std::vector<DBSchemaDef::Index>{{"run_id"}});
  tables.emplace_back(kImportRunSymTable, "import_run_sym_schema",
                      std::vector<ColumnDef>{{"link_id", K::kId}, {"run_id", K::kText},
                                             {"sym_name", K::kText}},
                      std::vector<DBSchemaDef::Index>{{"run_id"}});
  tables.emplace_back(kImportClaimTable, "import_claim_schema",
                      std::vector<ColumnDef>{{"claim_key", K::kText, nullptr, true},
                                             {"run_id", K::kText}});
  return tables;
}

}  // namespace

DBSchemaDef::DBSchemaDef(std::string tableName, std::string schemaName,
                         std::vector<ColumnDef> columns, std::vector<Index> indexes)
    : tableName_(std::move(tableName)),
      schemaName_(std::move(schemaName)),
      columns_(std::move(columns)),
      indexes_(std::move(indexes)) {
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
  for (const Index& index : indexes_) statements.push_back(CreateIndexStatement(index));
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

bool DBSchemaDef::IsIndexed(std::string_view column) const {
  for (const Index& index : indexes_) {
    for (const std::string& part : index) {
      if (part == column) return true;
    }
  }
  return false;
}

std::string DBSchemaDef::IndexName(const Index& index) const {
  std::string name = tableName_;
  for (const std::string& column : index) name += "_" + column;
  return name;
}

std::string DBSchemaDef::CreateIndexStatement(const Index& index) const {
  std::string columns;
  for (const std::string& column : index) columns += (columns.empty() ? "" : ", ") + column;
  return "CREATE INDEX IF NOT EXISTS " + IndexName(index) + " ON " + tableName_ + " (" + columns + ")";
}

std::vector<std::string> DBSchemaDef::ObjectNames() const {
  std::vector<std::string> names{tableName_};
  for (const Index& index : indexes_) names.push_back(IndexName(index));
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

}  // namespace vo
