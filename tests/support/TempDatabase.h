// A fresh, connected database for one test, then the process-wide connection
// reopened on it; closed (and on a server, dropped) at the end. By default an
// SQLite file in a temporary folder; in a test on the mariadb backend
// (support/Backends.h), a database of its own on the test server named by
// VO_TEST_MARIADB (only in a build with the server backend).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "ledgerdb/Database.h"
#include "support/Backends.h"
#ifdef VO_WITH_MARIADB
#include "support/MariaDbServer.h"
#endif
#include "support/TempDir.h"

class TempDatabase {
 public:
  TempDatabase() : file_(dir_.path() + "vo_db.sqlite3") {
    vo::Database::Destruct();
#ifdef VO_WITH_MARIADB
    if (OnServer() && !UseServer()) return;
#endif
    setenv("VO_DB", file_.c_str(), 1);
    bool created = false;
    connected_ = vo::Database::Instance()->init("vo_db", "", "root", nullptr, 0, created);
  }
  ~TempDatabase() {
    vo::Database::Destruct();
    unsetenv("VO_DB");
  }

  // True when the tests of this run use the server backend.
  static bool OnServer() { return CurrentBackend() == Backend::kMariaDb; }
  // The column that orders a table without an id of its own by write order.
  static const char* RowOrder() { return OnServer() ? "vo_row" : "rowid"; }

  bool connected() const { return connected_; }
  // Where the database is: the file, or the server database's URL.
  const std::string& file() const { return file_; }
  const TempDir& dir() const { return dir_; }

 private:
#ifdef VO_WITH_MARIADB
  bool UseServer() {
    if (mariadb_test::ServerUrl().empty()) return false;  // the test is skipped or failed already
    scratch_ = std::make_unique<mariadb_test::ScratchDatabase>();
    if (!scratch_->ok()) {
      ADD_FAILURE() << scratch_->error();
      return false;
    }
    file_ = scratch_->url();
    return true;
  }

  std::unique_ptr<mariadb_test::ScratchDatabase> scratch_;
#endif

  TempDir dir_;
  std::string file_;
  bool connected_ = false;
};
