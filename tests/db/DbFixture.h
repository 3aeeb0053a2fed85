// Shared helpers of the data-access tests: a fresh database per test, rows
// inserted by column name, and a recorder for debugger output.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ledgerdb/Database.h"
#include "platform/DebugOutput.h"
#include "support/Backends.h"
#include "support/Rows.h"
#include "support/TempDatabase.h"

class DbFixture : public BackendTest {
 protected:
  DbFixture() {
    previousSink_ = vo::SetDebugSink([this](const std::string& text) { debug_.push_back(text); });
  }
  ~DbFixture() override { vo::SetDebugSink(previousSink_); }

  vo::Database* db() { return vo::Database::Instance(); }

  void Insert(const std::string& schema, const std::string& table,
              const std::map<std::string, std::string>& fields) {
    EXPECT_NE(StoreRow(schema, table, fields), "") << table << ": " << db()->LastError();
  }

  TempDatabase temp_;
  std::vector<std::string> debug_;

 private:
  vo::DebugSink previousSink_;
};
