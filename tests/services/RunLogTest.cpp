#include "services/RunLog.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <vector>

#include "support/TempDir.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class RunLogTest : public ::testing::Test {
 protected:
  void TearDown() override { RunLog::Destroy(); }
  TempDir dir_;
};

TEST_F(RunLogTest, LinesCarryNumberStampLevelAndRecord) {
  std::string path = dir_.path() + "run.log";
  RunLog* log = RunLog::Instance(path, "FileImporter");
  log->Info("first");
  log->Error("refused", 0);
  log->Warning("late", 41);
  log->Fatal("done\n");
  log->EndLine();
  log->Info("after");
  RunLog::Destroy();

  std::vector<std::string> lines = Lines(ReadFile(path));
  ASSERT_EQ(lines.size(), 7u);
  std::regex stamp(R"(\d{8} \d{2}:\d{2}:\d{2})");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(lines[0], match, stamp)) << lines[0];
  std::string s = match.str();
  EXPECT_EQ(lines[0], "FileImporter0000\t" + s + "\tInfo\t\tfirst");
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(FileImporter0001\t[^\t]+\tError\tRecord 0001\trefused)")))
      << lines[1];
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(FileImporter0002\t[^\t]+\tWarning\tRecord 0042\tlate)")))
      << lines[2];
  EXPECT_TRUE(std::regex_match(lines[3], std::regex(R"(FileImporter0003\t[^\t]+\tFatal\t\tdone)"))) << lines[3];
  EXPECT_EQ(lines[4], "");  // the message's own line break
  EXPECT_EQ(lines[5], "");  // EndLine, not numbered
  EXPECT_TRUE(lines[6].rfind("FileImporter0004\t", 0) == 0) << lines[6];
}

TEST_F(RunLogTest, OneLogPerProcessUntilDestroyed) {
  std::string first = dir_.path() + "first.log";
  std::string second = dir_.path() + "second.log";
  RunLog* log = RunLog::Instance(first, "A");
  EXPECT_EQ(RunLog::Instance(second, "B"), log);
  log->Info("x");
  EXPECT_FALSE(std::filesystem::exists(second));
  RunLog::Destroy();
  RunLog::Destroy();  // a second close does nothing

  RunLog* fresh = RunLog::Instance("", "C");
  EXPECT_EQ(fresh->lineCount(), 0u);
  fresh->Info("discarded");
  fresh->EndLine();
  EXPECT_EQ(fresh->lineCount(), 1u);  // counted though nothing is written
  EXPECT_EQ(Lines(ReadFile(first)).size(), 1u);
}

TEST_F(RunLogTest, LineNumbersGrowPastFourDigits) {
  std::string path = dir_.path() + "long.log";
  RunLog* log = RunLog::Instance(path, "X");
  for (int i = 0; i < 10001; ++i) log->Info("m");
  RunLog::Destroy();
  std::vector<std::string> lines = Lines(ReadFile(path));
  ASSERT_EQ(lines.size(), 10001u);
  EXPECT_EQ(lines[9999].substr(0, 6), "X9999\t");
  EXPECT_EQ(lines[10000].substr(0, 7), "X10000\t");
}

}  // namespace
