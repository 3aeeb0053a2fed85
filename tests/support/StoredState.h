// A database opened straight through its engine, beside the library's own
// connection: tests judge what is stored by a second opinion (every row of
// the tables an import or a symbol update writes, the engine's own integrity
// check), or act as another program holding the database. `location` is an
// SQLite file or, in a build with the server backend, a mariadb:// URL (see
// TempDatabase::file()).
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "ledgerdb/DBSchemaDef.h"
#ifdef VO_WITH_MARIADB
#include "ledgerdb/MariaDbTarget.h"
#include "support/MariaDbServer.h"
#endif

class StoredState {
 public:
  explicit StoredState(const std::string& location) {
#ifdef VO_WITH_MARIADB
    if (vo::MariaDbTarget::IsUrl(location)) {
      server_ = std::make_unique<mariadb_test::Connection>(location);
      return;
    }
#endif
    if (sqlite3_open_v2(location.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      error_ = db_ ? sqlite3_errmsg(db_) : "cannot open " + location;
    }
  }
  ~StoredState() { sqlite3_close(db_); }
  StoredState(const StoredState&) = delete;
  StoredState& operator=(const StoredState&) = delete;

  // The rows of a select (or of any statements), cells joined by "|", one row
  // a line; the error text when it fails, so that a comparison shows it.
  std::string Rows(const std::string& select) {
#ifdef VO_WITH_MARIADB
    if (server_) return server_->Rows(select);
#endif
    std::string text;
    char* message = nullptr;
    auto addRow = [](void* sink, int count, char** cells, char**) {
      std::string& out = *static_cast<std::string*>(sink);
      for (int i = 0; i < count; ++i) out += (i ? "|" : "") + std::string(cells[i] ? cells[i] : "NULL");
      out += "\n";
      return 0;
    };
    if (sqlite3_exec(db_, select.c_str(), addRow, &text, &message) != SQLITE_OK) {
      text = "FAILED " + select + ": " + (message ? message : error_);
      sqlite3_free(message);
    }
    return text;
  }

  // Every row of every table the services write, table by table, in the
  // order the rows were written.
  std::string Everything() {
    std::string text;
    for (const char* table : {"trans_table", "sym_table", "inactive_sym_table", "grp_table", "event_table",
                              "position_table", "corp_event_table", "port_table"}) {
      text += std::string("== ") + table + "\n" +
              Rows(std::string("SELECT * FROM ") + table + " ORDER BY " + WriteOrder(table));
    }
    return text;
  }

  // "ok\n" when the engine finds the stored data sound.
  std::string IntegrityCheck() {
    if (!OnServer()) return Rows("PRAGMA integrity_check");
    for (const vo::DBSchemaDef& table : vo::DBSchemaDef::All()) {
      std::string check = Rows("CHECK TABLE " + table.tableName());
      if (!check.ends_with("|OK\n")) return check;
    }
    return "ok\n";
  }

 private:
  // SQLite's rowid; on the server the table's id, or the hidden column that
  // keeps the write order of a table without one.
  std::string WriteOrder(const std::string& table) {
    if (!OnServer()) return "rowid";
    const vo::DBSchemaDef* def = vo::DBSchemaDef::ForTable(table);
    if (def && def->columns().front().kind == vo::ColumnKind::kId) return def->columns().front().name;
    return "vo_row";
  }

  bool OnServer() const {
#ifdef VO_WITH_MARIADB
    return server_ != nullptr;
#else
    return false;
#endif
  }

  sqlite3* db_ = nullptr;
#ifdef VO_WITH_MARIADB
  std::unique_ptr<mariadb_test::Connection> server_;
#endif
  std::string error_;
};
