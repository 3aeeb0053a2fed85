#include "logging/RunLog.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <vector>

#include "support/TempDir.h"

using namespace vo;

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

  // The message's own line break, then EndLine's, neither of them numbered.
  EXPECT_EQ(std::regex_replace(ReadFile(path), std::regex(R"(\t\d{8} \d{2}:\d{2}:\d{2}\t)"), "\tSTAMP\t"),
            "FileImporter0000\tSTAMP\tInfo\t\tfirst\n"
            "FileImporter0001\tSTAMP\tError\tRecord 0001\trefused\n"
            "FileImporter0002\tSTAMP\tWarning\tRecord 0042\tlate\n"
            "FileImporter0003\tSTAMP\tFatal\t\tdone\n\n\n"
            "FileImporter0004\tSTAMP\tInfo\t\tafter\n");
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
