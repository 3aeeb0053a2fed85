// A database file opened straight through SQLite, beside the library's own
// connection: tests judge what is on disk by a second opinion (every row of
// the tables an import or a symbol update writes, SQLite's own integrity
// check), or act as another program holding the file.
#pragma once

#include <sqlite3.h>

#include <string>

class StoredState {
 public:
  explicit StoredState(const std::string& file) {
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      error_ = db_ ? sqlite3_errmsg(db_) : "cannot open " + file;
    }
  }
  ~StoredState() { sqlite3_close(db_); }
  StoredState(const StoredState&) = delete;
  StoredState& operator=(const StoredState&) = delete;

  // The rows of a select (or of any statements), cells joined by "|", one row
  // a line; the error text when it fails, so that a comparison shows it.
  std::string Rows(const std::string& select) {
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

  // Every row of every table the services write, table by table.
  std::string Everything() {
    std::string text;
    for (const char* table : {"trans_table", "sym_table", "inactive_sym_table", "grp_table", "event_table",
                              "position_table", "corp_event_table", "port_table"}) {
      text += std::string("== ") + table + "\n" + Rows(std::string("SELECT * FROM ") + table + " ORDER BY rowid");
    }
    return text;
  }

  std::string IntegrityCheck() { return Rows("PRAGMA integrity_check"); }

 private:
  sqlite3* db_ = nullptr;
  std::string error_;
};
