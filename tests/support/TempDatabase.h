// A fresh, connected database file in a temporary folder for one test: points
// VO_DB at it and reopens the process-wide connection; closes it at the end.
#pragma once

#include <cstdlib>
#include <string>

#include "ledgerdb/Database.h"
#include "support/TempDir.h"

class TempDatabase {
 public:
  TempDatabase() : file_(dir_.path() + "vo_db.sqlite3") {
    Database::Destruct();
    setenv("VO_DB", file_.c_str(), 1);
    bool created = false;
    connected_ = Database::Instance()->init("vo_db", "", "root", nullptr, 0, created);
  }
  ~TempDatabase() {
    Database::Destruct();
    unsetenv("VO_DB");
  }

  bool connected() const { return connected_; }
  const std::string& file() const { return file_; }
  const TempDir& dir() const { return dir_; }
  Database* db() const { return Database::Instance(); }

 private:
  TempDir dir_;
  std::string file_;
  bool connected_ = false;
};
