// The main of every test executable: GoogleTest's, plus one rule for the runs
// on the server backend. Without a test server, outside CI, every case of such
// a run is skipped before it starts (a skip inside a case would not stop it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/MariaDbServer.h"

namespace {

class ServerBackendEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    const char* ci = std::getenv("CI");
    bool inCi = ci && std::string(ci) == "true";
    if (mariadb_test::Selected() && mariadb_test::ServerUrl().empty() && !inCi) {
      GTEST_SKIP() << "no MariaDB test server (start one with tools/mariadb-test-server.sh)";
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::AddGlobalTestEnvironment(new ServerBackendEnvironment);  // owned by GoogleTest
  return RUN_ALL_TESTS();
}
