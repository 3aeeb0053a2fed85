#include "support/Backends.h"
#include "voservices/VoServices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

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

}  // namespace
