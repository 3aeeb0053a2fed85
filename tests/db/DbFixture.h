// Shared helpers of the data-access tests: a fresh database per test, rows
// inserted by column name, and a recorder for debugger output.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ledgerdb/DBData.h"
#include "ledgerdb/Database.h"
#include "platform/DebugOutput.h"
#include "support/Rows.h"
#include "support/TempDatabase.h"

class DbFixture : public ::testing::Test {
 protected:
  DbFixture() {
    previousSink_ = SetDebugSink([this](const std::string& text) { debug_.push_back(text); });
  }
  ~DbFixture() override { SetDebugSink(previousSink_); }

  Database* db() { return Database::Instance(); }

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
