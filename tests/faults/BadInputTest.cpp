// Input files that are not what an import expects: each gets a clear log line
// and result, and none crashes the import or changes the database.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "StoredState.h"
#include "support/ImportRun.h"
#include "support/TempDatabase.h"
#include "voservices/VoServices.h"

namespace {

// The Fatal and Error lines of a log, one a line, each message cut at 80
// characters (a refused line is quoted whole in its message).
std::string Complaints(const std::string& log) {
  std::string complaints;
  for (const std::string level : {"Fatal", "Error"}) {
    for (size_t at = 0; (at = log.find("\t" + level + "\t", at)) != std::string::npos;) {
      size_t message = log.find('\t', at + level.size() + 2) + 1;
      at = log.find('\n', message);
      complaints += level + ": " + log.substr(message, std::min<size_t>(at - message, 80)) + "\n";
    }
  }
  return complaints;
}

class BadInputTest : public testing::Test {
 protected:
  // Runs ImportFile and CanImportFile on `file`: both results and the
  // complaints of the import's log.
  std::string Import(const std::string& file) {
    ImportRun run = RunImport(file, "1", "Main");
    return std::string(run.imported ? "imported" : "not imported") +
           (VoServices::CanImportFile(file) ? ", recognised\n" : ", not recognised\n") + Complaints(run.log);
  }

  TempDir files_;
  TempDatabase db_;
};

constexpr char kNoParser[] = "Fatal: Unable to match a parser for given file.\n";

TEST_F(BadInputTest, FilesThatAreNoTransactionFileFailWithTheirReason) {
  std::string utf16 = "\xFF\xFE";
  for (char c : kNativeHeader + "\n") utf16 += std::string{c, '\0'};
  std::string binary;
  for (int i = 0; i < 70000; ++i) binary += static_cast<char>((i * 7919) % 256);
  std::string folder = files_.path() + "folder";
  std::filesystem::create_directory(folder);
  struct Case {
    std::string path;
    std::string expected;
  };
  const Case cases[] = {
      {files_.Write("empty.csv", ""), kNoParser},
      {files_.Write("binary.csv", binary), kNoParser},
      {files_.Write("utf16.csv", utf16), kNoParser},
      {files_.path() + "missing.csv", "Fatal: Failed in FileImporter - Unable to open " + files_.path() + "missing.csv\n"},
      {folder, "Fatal: Failed in FileImporter - Unable to open " + folder + "\n"},
  };
  std::string before = StoredState(db_.file()).Everything();
  for (const Case& c : cases) {
    EXPECT_EQ(Import(c.path), "not imported, not recognised\n" + c.expected) << c.path;
  }
  EXPECT_EQ(StoredState(db_.file()).Everything(), before);
}

// Damaged lines under a good header: the import runs, refuses what it cannot
// store, and stores nothing half-read.
TEST_F(BadInputTest, DamagedLinesAreRefusedAndLogged) {
  const std::string trade = "03/02/2009 10:00:00,03/05/2009 00:00:00,Buy,10,";
  std::string before = StoredState(db_.file()).Everything();

  // A NUL inside the symbol would store the name cut short at the NUL.
  std::string nul = trade + "AB" + std::string(1, '\0') + "C,ABC INC,2.50,1,0,0,0,0,0,26,Main,X1,,1";
  EXPECT_EQ(Import(files_.Write("nul.csv", kNativeHeader + "\n" + nul + "\n")),
            "imported, recognised\nError: Failed to parse line 2: " + nul.substr(0, 80 - 24) + "\n");

  // A 1 MB line without separators: padded to a record whose date cannot be
  // stored, and whose symbol has no name.
  EXPECT_EQ(Import(files_.Write("long.csv", kNativeHeader + "\n" + std::string(1 << 20, 'x') + "\n")),
            "imported, recognised\n"
            "Error: Failed to insert (NOT duplicate) into DB: \n"
            "Error: Failed to insert into DB: 0\n");
  EXPECT_EQ(StoredState(db_.file()).Everything(), before);

  // A 1 MB field in a good line is stored whole.
  std::string description(1 << 20, 'd');
  EXPECT_EQ(Import(files_.Write("wide.csv", kNativeHeader + "\n" + trade + "ABC," + description +
                                                ",2.50,1,0,0,0,0,0,26,Main,X1,,1\n")),
            "imported, recognised\n");
  EXPECT_EQ(StoredState(db_.file()).Rows("SELECT sym_name, length(sym_desc) FROM sym_table"),
            "ABC|" + std::to_string(description.size()) + "\n");
}

}  // namespace
