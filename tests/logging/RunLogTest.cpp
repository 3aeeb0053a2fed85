#include "logging/RunLog.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>
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

TEST_F(RunLogTest, OneLogPerThreadUntilDestroyed) {
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

// A call made from a callback of an import, and a call on another thread,
// each get a log of their own; the import's log outlives the nested call's.
TEST_F(RunLogTest, AScopeSetsTheCurrentLogAsideUntilItEnds) {
  std::string path = dir_.path() + "outer.log";
  RunLog* outer = RunLog::Instance(path, "A");
  outer->Info("before");
  {
    RunLog::Scope scope("", "B");
    RunLog* inner = scope.log();
    EXPECT_EQ(RunLog::Instance("", "X"), inner);
    EXPECT_NE(inner, outer);
    EXPECT_EQ(inner->lineCount(), 0u);
    RunLog* elsewhere = nullptr;
    std::thread([&] {
      elsewhere = RunLog::Instance("", "C");
      RunLog::Destroy();
    }).join();
    EXPECT_NE(elsewhere, outer);
    EXPECT_NE(elsewhere, inner);
    RunLog::Destroy();  // as the call's importer does
  }
  ASSERT_EQ(RunLog::Instance("", "D"), outer);
  outer->Info("after");
  RunLog::Destroy();
  std::vector<std::string> lines = Lines(ReadFile(path));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].substr(0, 5), "A0001");
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
