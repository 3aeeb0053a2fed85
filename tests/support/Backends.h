// The two database backends the database tests run on: an SQLite file, and a
// fresh database on the MariaDB test server that VO_TEST_MARIADB names
// (tools/mariadb-test-server.sh). A suite runs each of its tests on both when
// its fixture derives from BackendTest and it is instantiated with
//   INSTANTIATE_TEST_SUITE_P(, SuiteName, BothBackends(), BackendName);
// the backend's name then ends each test's name ("Suite.Test/sqlite",
// "Suite.Test/mariadb"). Without a server the mariadb runs are skipped with
// the reason, except under CI (CI=true), where they fail. In a build without
// the server backend (VO_WITH_MARIADB=OFF) there are only the sqlite runs.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>

#ifdef VO_WITH_MARIADB
#include "support/MariaDbServer.h"
#endif

enum class Backend { kSqlite, kMariaDb };

// The backend of the test running now; SQLite in a test that has none.
inline Backend& CurrentBackend() {
  static Backend backend = Backend::kSqlite;
  return backend;
}

#ifdef VO_WITH_MARIADB
inline auto BothBackends() { return testing::Values(Backend::kSqlite, Backend::kMariaDb); }
#else
inline auto BothBackends() { return testing::Values(Backend::kSqlite); }
#endif

inline const char* NameOf(Backend backend) { return backend == Backend::kMariaDb ? "mariadb" : "sqlite"; }

// The backend as GoogleTest names it in a test's name and in its messages.
inline std::string BackendName(const testing::TestParamInfo<Backend>& info) { return NameOf(info.param); }
inline void PrintTo(Backend backend, std::ostream* out) { *out << NameOf(backend); }

class BackendTest : public testing::TestWithParam<Backend> {
 protected:
  // Set before any member of a derived fixture is built, so that a
  // TempDatabase member opens on this test's backend.
  BackendTest() {
    CurrentBackend() = GetParam();
#ifdef VO_WITH_MARIADB
    if (GetParam() == Backend::kMariaDb) RequireServer();
#endif
  }
  ~BackendTest() override { CurrentBackend() = Backend::kSqlite; }

#ifdef VO_WITH_MARIADB
 private:
  // A skip or a fatal failure here keeps the test from running at all.
  static void RequireServer() {
    if (!mariadb_test::ServerUrl().empty()) return;
    const char* ci = std::getenv("CI");
    if (ci != nullptr && std::string(ci) == "true") {
      GTEST_FAIL() << "VO_TEST_MARIADB is not set: CI must start the MariaDB test server";
    }
    GTEST_SKIP() << "no MariaDB test server: tools/test.sh starts one, or see tools/mariadb-test-server.sh";
  }
#endif
};
