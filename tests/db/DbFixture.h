// Shared helpers of the data-access tests: a fresh database per test, rows
// rendered one per line, and a recorder for debugger output.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/Database.h"
#include "platform/DebugOutput.h"
#include "support/TempDatabase.h"

class DbFixture : public ::testing::Test {
 protected:
  DbFixture() {
    previousSink_ = SetDebugSink([this](const std::string& text) { debug_.push_back(text); });
  }
  ~DbFixture() override { SetDebugSink(previousSink_); }

  Database* db() { return Database::Instance(); }

  // Cells joined by "|", one row per line.
  static std::string Render(const DBQueryResult& result) {
    std::string text;
    for (const DBQueryResult::Row& row : result) {
      for (size_t i = 0; i < row.size(); ++i) text += (i ? "|" : "") + row[i];
      text += "\n";
    }
    return text;
  }

  // A select read with decimal enumeration values.
  std::string Rows(const std::string& sql) {
    unsigned long id = 0;
    if (!db()->Query(id, sql, false, false, false)) return "FAILED: " + db()->LastError();
    DBQueryResult result;
    db()->GetQueryResult(id, result);
    db()->DeleteQuery(id);
    return Render(result);
  }

  bool Run(const std::string& sql) {
    unsigned long id = 0;
    bool ok = db()->Query(id, sql);
    if (ok) db()->DeleteQuery(id);
    return ok;
  }

  bool Insert(const std::string& schema, const std::string& table,
              const std::vector<std::pair<std::string, std::string>>& fields) {
    DBData data(schema);
    for (const auto& [name, value] : fields) data.SetField(name, value);
    bool ok = db()->insert(data, table, false);
    EXPECT_TRUE(ok) << table << ": " << db()->LastError();
    return ok;
  }

  TempDatabase temp_;
  std::vector<std::string> debug_;

 private:
  DebugSink previousSink_;
};
