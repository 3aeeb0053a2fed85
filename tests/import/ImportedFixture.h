// Imports a fixture file under tests/data for account 7 into a fresh database
// through the exported ImportFile, and keeps what a test checks: the result,
// the chosen trans_table columns of every stored row, and the run log.
#pragma once

#include <filesystem>
#include <string>

#include "ledgerdb/DBQueryResult.h"
#include "support/TempDatabase.h"
#include "voservices/VoServices.h"

struct ImportedFixture {
  // `columns` is a select list of trans_table; rows come in insert order, one
  // per line, each cell followed by "|"; enumerations as decimal values.
  ImportedFixture(const std::string& fixture, const std::string& columns) {
    TempDatabase database;
    TempDir logs;
    succeeded = VoServices::ImportFile(std::string(VO_TEST_DATA_DIR) + "/" + fixture, logs.path(),
                                       "7", "Trader", nullptr);
    unsigned long query = 0;
    DBQueryResult result;
    if (database.db()->Query(query, "SELECT " + columns + " FROM trans_table ORDER BY trans_id",
                             false, false, false)) {
      database.db()->GetQueryResult(query, result);
      database.db()->DeleteQuery(query);
    }
    for (const DBQueryResult::Row& row : result) {
      for (const std::string& cell : row) rows += cell + "|";
      rows += "\n";
    }
    for (const auto& entry : std::filesystem::directory_iterator(logs.path())) {
      log = ReadFile(entry.path().string());
    }
  }

  // Whether a log line ends with `tail` (level, record and message fields).
  bool Logged(const std::string& tail) const {
    return log.find("\t" + tail + "\n") != std::string::npos;
  }

  bool succeeded = false;
  std::string rows;
  std::string log;
};
