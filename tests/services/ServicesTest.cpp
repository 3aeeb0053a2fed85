#include "support/Backends.h"
#include "voservices/VoServices.h"
#include "voservices/ImportOptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/ImportRun.h"
#include "support/TempDatabase.h"
#include "support/TempDir.h"

using namespace vo;

namespace {

int callbackCalls = 0;
bool CountingCallback(std::string, int32_t) {
  ++callbackCalls;
  return true;
}

std::vector<std::filesystem::path> FilesIn(const std::string& dir) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) files.push_back(entry.path());
  return files;
}

class ServicesTest : public BackendTest {};
INSTANTIATE_TEST_SUITE_P(, ServicesTest, BothBackends(), BackendName);

// The log folder is a plain prefix of the log's name, not a folder of its own.
TEST_P(ServicesTest, ImportFileWritesAccountLinesAndVerdictToNamedLog) {
  TempDatabase database;
  TempDir dir;
  std::string input = dir.Write("some.csv", "nothing we know\n");
  std::string logs = dir.path() + "logs/";
  std::filesystem::create_directory(logs);

  callbackCalls = 0;
  EXPECT_FALSE(VoServices::ImportFile(input, logs + "pre", "7", "Main", CountingCallback));
  EXPECT_EQ(callbackCalls, 0);

  std::vector<std::filesystem::path> files = FilesIn(logs);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(std::regex_match(files[0].filename().string(), std::regex(R"(preMain-\d{8}_\d{6}\.log)")))
      << files[0];
  std::string text = ReadFile(files[0].string());
  std::regex head(
      "FileImporter0000\t[^\t]+\tInfo\t\tOrbel Account Name: Main\n"
      "FileImporter0001\t[^\t]+\tInfo\t\tAccount ID: 7\n"
      "FileImporter0002\t[^\t]+\tInfo\t\tImport Filename: " + input + "\n\n"
      "(.|\n)*Unable to match a parser for given file\\.\n"
      "(.|\n)*\tInfo\t\tFile Import FAILED\n");
  EXPECT_TRUE(std::regex_match(text, head)) << text;
}

// The options path reports instead of throwing: a file it cannot open, and
// the conversion error ImportFile throws.
TEST_P(ServicesTest, ImportWithOptionsReportsFailures) {
  TempDatabase database;
  TempDir dir;
  VoServices::ImportOutcome outcome =
      VoServices::ImportFileWithOptions(dir.path() + "absent.csv", dir.path(), "1", "Main", {});
  EXPECT_FALSE(outcome.imported);
  EXPECT_NE(outcome.failure.find("Unable to open"), std::string::npos) << outcome.failure;
  EXPECT_EQ(outcome.failureKind, VoServices::ImportFailure::kFileUnreadable);

  outcome = VoServices::ImportFileWithOptions(dir.Write("unknown.csv", "a,b\n1,2\n"), dir.path(), "1", "Main", {});
  EXPECT_EQ(outcome.failureKind, VoServices::ImportFailure::kUnknownFormat) << outcome.failure;

  std::string bad = dir.Write("bad.csv", kNativeHeader + "\n1/2/2009,1/5/2009,Buy Call,1,X,"
                                                         "1 MSFT JAN-XX $25 CALL,1,,,,,,,1,Main,,,\n");
  outcome = VoServices::ImportFileWithOptions(bad, dir.path(), "1", "Main", {});
  EXPECT_FALSE(outcome.imported);
  EXPECT_EQ(outcome.conversionError, "ToInt(\"XX\")");
  EXPECT_EQ(outcome.failureKind, VoServices::ImportFailure::kConversionError);

  // A database that cannot be used: a file that is no database.
  setenv("VO_DB", dir.Write("junk.sqlite3", "not a database").c_str(), 1);
  Database::Destruct();
  outcome = VoServices::ImportFileWithOptions(dir.Write("good.csv", kNativeHeader + "\n"), dir.path(), "1", "Main", {});
  EXPECT_EQ(outcome.failureKind, VoServices::ImportFailure::kDatabaseUnusable) << outcome.failure;
}

}  // namespace
