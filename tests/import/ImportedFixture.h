// Imports a fixture file under tests/data for account 7 into a fresh database
// through the exported ImportFile, then lets a test read back the stored rows
// and the run log.
#pragma once

#include <filesystem>
#include <string>

#include "ledgerdb/DBQueryResult.h"
#include "support/TempDatabase.h"
#include "voservices/VoServices.h"

class ImportedFixture {
 public:
  explicit ImportedFixture(const std::string& fixture) {
    succeeded_ = VoServices::ImportFile(std::string(VO_TEST_DATA_DIR) + "/" + fixture,
                                        logs_.path(), "7", "Trader", nullptr);
    for (const auto& entry : std::filesystem::directory_iterator(logs_.path())) {
      log_ = ReadFile(entry.path().string());
    }
  }

  bool succeeded() const { return succeeded_; }
  const std::string& log() const { return log_; }

  // The rows of a select, one per line, each cell followed by "|";
  // enumerations as decimal values.
  std::string Select(const std::string& statement) const {
    unsigned long query = 0;
    DBQueryResult result;
    if (!database_.db()->Query(query, statement, false, false, false)) return "query failed";
    database_.db()->GetQueryResult(query, result);
    database_.db()->DeleteQuery(query);
    std::string rows;
    for (const DBQueryResult::Row& row : result) {
      for (const std::string& cell : row) rows += cell + "|";
      rows += "\n";
    }
    return rows;
  }

  // Whether a log line ends with `tail` (its level, record and message fields).
  bool Logged(const std::string& tail) const {
    return log_.find("\t" + tail + "\n") != std::string::npos;
  }

 private:
  TempDatabase database_;
  TempDir logs_;
  bool succeeded_ = false;
  std::string log_;
};
