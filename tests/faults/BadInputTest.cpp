// Input files that are not what an import expects: each gets a clear log line
// and result, and none crashes the import or changes the database.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "voservices/ImportOptions.h"
#include "support/Backends.h"
#include "support/PeakMemory.h"
#include "support/StoredState.h"
#include "support/ImportRun.h"
#include "support/TempDatabase.h"
#include "voservices/VoServices.h"

using namespace vo;

namespace {

class BadInputTest : public BackendTest {
 protected:
  // Runs ImportFile and CanImportFile on `file`: both results, then the
  // Fatal and the Error lines of the import's log.
  std::string Import(const std::string& file) {
    ImportRun run = RunImport(file, "1", "Main");
    return std::string(run.imported ? "imported" : "not imported") +
           (VoServices::CanImportFile(file) ? ", recognised\n" : ", not recognised\n") + run.Lines("Fatal") +
           "errors:\n" + run.Lines("Error");
  }

  TempDir files_;
  TempDatabase db_;
};
INSTANTIATE_TEST_SUITE_P(, BadInputTest, BothBackends(), BackendName);

// How many MiB the peak resident memory of a child process grows by while it
// checks `file`; 255 when the file is recognised, -1 when the child fails.
int CheckGrowthMiB(const std::string& file) {
  const ChildGrowth growth = GrowthInChild([&file] { return VoServices::CanImportFile(file); });
  return growth.result ? 255 : growth.mib;
}

// The peak resident memory, in MiB, of `vo import` of `file` into the test's
// database, the file given by name or on standard input.
long VoImportPeakMiB(const std::string& file, bool onStdin) {
  pid_t child = fork();
  if (child == 0) {
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    if (onStdin) dup2(open(file.c_str(), O_RDONLY), STDIN_FILENO);
    const std::string folder = std::filesystem::path(file).parent_path().string();
    execl(VO_BINARY_DIR "/src/cli/vo", "vo", "import", onStdin ? "-" : file.c_str(), "--account-id", "1",
          "--account-name", "Main", "--log-dir", folder.c_str(), nullptr);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  return usage.ru_maxrss / 1024;
}

// A file without line breaks is read past in the search for a header, never
// held: memory stays flat whatever its size, plain or UTF-16, and in vo too
// (its failure message shows the start of the first line).
TEST_P(BadInputTest, FilesWithoutLineBreaksTakeLittleMemory) {
  // The bounds leave room for allocator noise under a loaded machine; a file
  // read whole into one line grows the peak by about four times its 64 MB.
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer keeps every freed chunk in quarantine, so the peak says nothing";
#endif
  {
    const std::string endless(64 << 20, 'x');
    EXPECT_LT(CheckGrowthMiB(files_.Write("endless.csv", endless)), 64);
    EXPECT_LT(CheckGrowthMiB(files_.Write("endless16.csv", "\xFF\xFE" + endless)), 64);
  }
  // (A forked child counts the parent's pages until it runs vo: the text is gone by then.)
  EXPECT_LT(VoImportPeakMiB(files_.path() + "endless.csv", false), 64);
  EXPECT_LT(VoImportPeakMiB(files_.path() + "endless.csv", true), 64);
}

TEST_P(BadInputTest, FilesThatAreNoTransactionFileFailWithTheirReason) {
  std::string binary;
  for (int i = 0; i < 70000; ++i) binary += static_cast<char>((i * 7919) % 256);
  std::string folder = files_.path() + "folder";
  std::filesystem::create_directory(folder);
  const std::string noParser = "Unable to match a parser for given file.";
  const std::string unopened = "Failed in FileImporter - Unable to open ";
  const std::string missing = files_.path() + "missing.csv";
  const std::pair<std::string, std::string> cases[] = {
      {files_.Write("empty.csv", ""), noParser},
      {files_.Write("binary.csv", binary), noParser},
      {missing, unopened + missing},
      {folder, unopened + folder},
  };
  std::string before = StoredState(db_.file()).Everything();
  // Run from an empty folder: checking or importing them leaves no file there.
  TempDir workingFolder;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(workingFolder.path());
  for (const auto& [path, fatal] : cases) {
    EXPECT_EQ(Import(path), "not imported, not recognised\n" + fatal + "\nerrors:\n") << path;
  }
  std::filesystem::current_path(previous);
  EXPECT_TRUE(std::filesystem::is_empty(workingFolder.path()));
  EXPECT_EQ(StoredState(db_.file()).Everything(), before);
}

// Text saved as UTF-16 ("Unicode text" from a spreadsheet) or in Windows'
// code page is stored as UTF-8.
TEST_P(BadInputTest, TextInOtherEncodingsIsStoredAsUtf8) {
  std::string utf16 = "\xFF\xFE";
  for (char c : kNativeHeader + "\n03/02/2009 10:00:00,03/05/2009 00:00:00,Buy,10,ABC,ABC INC,2.50,1,"
                                "0,0,0,0,0,26,Main,X1,,1\n") {
    utf16 += std::string{c, '\0'};
  }
  EXPECT_EQ(Import(files_.Write("utf16.csv", utf16)), "imported, recognised\nerrors:\n");
  EXPECT_EQ(StoredState(db_.file()).Rows("SELECT sym_name, sym_desc FROM sym_table"), "ABC|ABC INC\n");

  // Bytes that are not UTF-8 (a file saved on Windows) are stored as the
  // characters they stand for there, and a Warning names the line.
  const std::string latin = kNativeHeader + "\n03/02/2009 10:00:00,03/05/2009 00:00:00,Buy,10,SG,SOCI\xC9T\xC9 "
                            "G\xC9N\xC9RALE,2.50,1,0,0,0,0,0,26,Main,X1,,1\n";
  ImportRun run = RunImport(files_.Write("cp1252.csv", latin), "1", "Main");
  EXPECT_TRUE(run.imported) << run.log;
  EXPECT_EQ(run.Lines("Warning"), "Line 2 is not UTF-8: the bytes that are not were read as Windows-1252\n");
  EXPECT_EQ(StoredState(db_.file()).Rows("SELECT sym_desc FROM sym_table WHERE sym_name = 'SG'"),
            "SOCI\xC3\x89T\xC3\x89 G\xC3\x89N\xC3\x89RALE\n");
}

// Damaged lines under a good header: the import runs, refuses what it cannot
// store, and stores nothing half-read.
TEST_P(BadInputTest, DamagedLinesAreRefusedAndLogged) {
  const std::string trade = "03/02/2009 10:00:00,03/05/2009 00:00:00,Buy,10,";

  // A line is read up to a NUL: the fields before it are kept, the record is
  // padded as a short line is, and a Warning names the line.
  std::string nul = trade + "AB" + std::string(1, '\0') + "C,ABC INC,2.50,1,0,0,0,0,0,26,Main,X1,,1";
  ImportRun cut = RunImport(files_.Write("nul.csv", kNativeHeader + "\n" + nul + "\n"), "1", "Main");
  EXPECT_TRUE(cut.imported) << cut.log;
  EXPECT_EQ(cut.Lines("Warning"), "Line 2 holds a NUL byte: only the text before it was read\n");
  EXPECT_EQ(cut.Lines("Error"), "");
  EXPECT_EQ(StoredState(db_.file()).Rows("SELECT sym_name, trans_qty, trans_dttrade FROM trans_table"),
            "AB|10|2009-03-02 10:00:00\n");
  std::string before = StoredState(db_.file()).Everything();

  // A 1 MB line without separators: padded to a record whose date cannot be
  // stored, and whose symbol has no name.
  EXPECT_EQ(Import(files_.Write("long.csv", kNativeHeader + "\n" + std::string(1 << 20, 'x') + "\n")),
            "imported, recognised\nerrors:\n"
            "Failed to insert (NOT duplicate) into DB: \n"
            "Failed to insert into DB: 0\n");
  EXPECT_EQ(StoredState(db_.file()).Everything(), before);

  // A line longer than any transaction is refused, the rest of the file read.
  EXPECT_EQ(Import(files_.Write("huge.csv", kNativeHeader + "\n" + trade + std::string(9 << 20, 'y') + "\n")),
            "imported, recognised\nerrors:\n"
            "Failed to parse line 2: longer than 8388608 bytes, starting 03/02/2009 10:00:00,03/05/2009 00:00:00,...\n");
  EXPECT_EQ(StoredState(db_.file()).Everything(), before);

  // A 1 MB field in a good line is stored whole.
  std::string description(1 << 20, 'd');
  EXPECT_EQ(Import(files_.Write("wide.csv", kNativeHeader + "\n" + trade + "ABC," + description +
                                                ",2.50,1,0,0,0,0,0,26,Main,X1,,1\n")),
            "imported, recognised\nerrors:\n");
  EXPECT_EQ(StoredState(db_.file()).Rows("SELECT sym_name, length(sym_desc) FROM sym_table WHERE sym_name = 'ABC'"),
            "ABC|" + std::to_string(description.size()) + "\n");

  // Lines of only separators, blanks or quotes (a spreadsheet's empty rows)
  // are empty lines on the options path that vo and the C API take.
  const std::string separators = files_.Write(
      "separators.csv", kNativeHeader + "\n" + trade + "DEF,DEF INC,2.50,1,0,0,0,0,0,26,Main,X2,,1\n,,,,,,\n \t \n\"\",\"\"\n");
  const VoServices::ImportOutcome outcome = VoServices::ImportFileWithOptions(separators, files_.path(), "2", "Two", {});
  EXPECT_TRUE(outcome.imported) << outcome.failure;
  EXPECT_EQ(outcome.linesRefused, 0u);
  EXPECT_EQ(StoredState(db_.file()).Rows("SELECT sym_name, trans_action FROM trans_table WHERE acct_id = '2'"),
            "DEF|0\n");
}

// Quantities that are not numbers are stored as they stand, each with a
// Warning naming its transaction (a later symbol update would take them for 0).
TEST_P(BadInputTest, QuantitiesThatAreNoNumbersAreWarnedOf) {
  std::string text = kNativeHeader + "\n";
  for (const char* quantity : {"abc", "NaN", "inf", "10"}) {
    text += std::string("03/02/2009 10:00:00,03/05/2009 00:00:00,Buy,") + quantity + ",ABC,ABC INC,2.50,1,0,0,0,0,0,26,Main,X" +
            quantity + ",,1\n";
  }
  ImportRun run = RunImport(files_.Write("quantities.csv", text), "1", "Main");
  EXPECT_TRUE(run.imported) << run.log;
  EXPECT_EQ(run.Lines("Warning"), "Transaction 0: the quantity 'abc' is not a number; it is stored as it stands\n"
                                  "Transaction 1: the quantity 'NaN' is not a number; it is stored as it stands\n"
                                  "Transaction 2: the quantity 'inf' is not a number; it is stored as it stands\n");
  EXPECT_EQ(StoredState(db_.file()).Rows("SELECT trans_qty FROM trans_table ORDER BY trans_id"), "abc\nNaN\ninf\n10\n");
}

}  // namespace
