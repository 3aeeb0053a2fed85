// The record of import runs through the library: re-imports caught, duplicate
// rows skipped per occurrence, runs undone or refused.
#include "support/Backends.h"
#include "voservices/ImportRuns.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/ImportRun.h"
#include "support/StoredState.h"
#include "support/TempDatabase.h"
#include "voservices/ImportOptions.h"
#include "voservices/VoServices.h"

using namespace vo;

namespace {

using VoServices::ImportOptions;
using VoServices::ImportOutcome;

const std::string kSample = std::string(VO_SAMPLES_DIR) + "/native.csv";
// sha256sum samples/native.csv
constexpr char kSampleSha256[] = "0bb5b5a76c6bcb3d90eb18fae81f9f000875152b24c0211d50d3e3d2ef192245";
// Every stored column but the id, the rows in a fixed order.
constexpr char kContent[] =
    "SELECT trans_action, trans_pos, trans_type, trans_qty, trans_unitprice, trans_commission, "
    "trans_dttrade, trans_dtsettle, trans_dtjrnl, trans_sec_fee, trans_misc_fee, trans_fed_tax, "
    "trans_total, trans_note_user, trans_note_id, trans_recon, trans_baseadj, lock_id, undo_id, "
    "sym_name, sym_dup, trans_ref_id, trans_trade_num, trans_lot_num, trans_jrnl_in, "
    "trans_exassadj, trans_fx, trans_change_date FROM trans_table WHERE acct_id = '%' "
    "ORDER BY trans_note_id, trans_id";

std::vector<std::string> SampleLines() {
  std::ifstream in(kSample);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class ImportRunsTest : public BackendTest {
 protected:
  ImportOutcome Import(const std::string& file, const std::string& account = "1",
                       ImportOptions options = {}) {
    return VoServices::ImportFileWithOptions(file, database_.dir().path(), account, "Main", options);
  }
  ImportOptions SkipDuplicates() {
    ImportOptions options;
    options.skipDuplicates = true;
    return options;
  }
  // The sample's header and the data lines [first, last] (1-based).
  std::string SampleSlice(const std::string& name, size_t first, size_t last) {
    std::vector<std::string> lines = SampleLines();
    std::string text = lines[0] + "\n";
    for (size_t i = first; i <= last; ++i) text += lines[i] + "\n";
    return database_.dir().Write(name, text);
  }
  std::string Content(const std::string& account) {
    std::string select = kContent;
    select.replace(select.find('%'), 1, account);
    return StoredState(database_.file()).Rows(select);
  }
  std::vector<VoServices::ImportRunInfo> Runs(const std::string& account = "") {
    std::vector<VoServices::ImportRunInfo> runs;
    std::string error;
    EXPECT_TRUE(VoServices::ListImportRuns(account, runs, error)) << error;
    return runs;
  }

  TempDatabase database_;
};
INSTANTIATE_TEST_SUITE_P(, ImportRunsTest, BothBackends(), BackendName);

struct SeenProgress {
  std::vector<VoServices::ImportProgress> reports;
  bool sampleImportable = true;
};

// A host may ask about another file while an import runs: that call has its
// own run log and leaves the import's as it was.
void RecordProgress(const VoServices::ImportProgress& progress, void* user) {
  SeenProgress& seen = *static_cast<SeenProgress*>(user);
  seen.reports.push_back(progress);
  seen.sampleImportable = seen.sampleImportable && VoServices::CanImportFile(kSample);
}

TEST_P(ImportRunsTest, ASecondImportOfTheSameFileIsWarnedAndRefusedWithOnce) {
  SeenProgress seen;
  ImportOptions withProgress;
  withProgress.progress = RecordProgress;
  withProgress.progressUserData = &seen;
  ImportOutcome first = Import(kSample, "1", withProgress);
  ASSERT_TRUE(first.imported) << first.failure;
  EXPECT_EQ(first.previousRunId, 0u);
  EXPECT_EQ(LogLines(ReadFile(first.logPath), "Warning"), "");
  // The outcome counts what the run log says; progress reaches the whole file.
  EXPECT_EQ(LogLines(ReadFile(first.logPath), "Info", "inserted into DB"),
            std::to_string(first.symbolsAdded) + " of 10 symbols inserted into DB.\n" +
                std::to_string(first.transactionsStored) + " of 19 transactions inserted into DB.\n");
  EXPECT_EQ(LogLines(ReadFile(first.logPath), "Info", "File Import"), "File Import SUCCESSFUL\n");
  ASSERT_FALSE(seen.reports.empty());
  EXPECT_TRUE(seen.sampleImportable);
  EXPECT_EQ(seen.reports.back().bytesRead, std::filesystem::file_size(kSample));
  EXPECT_EQ(seen.reports.back().totalBytes, std::filesystem::file_size(kSample));

  // Another account may hold the same file.
  EXPECT_EQ(Import(kSample, "2").previousRunId, 0u);

  ImportOutcome again = Import(kSample);
  EXPECT_TRUE(again.imported);
  EXPECT_EQ(again.previousRunId, first.runId);
  EXPECT_EQ(LogLines(ReadFile(again.logPath), "Warning"),
            "This file was already imported by run " + std::to_string(first.runId) + " for account 1 on " +
                Runs()[0].started + ".\n");

  ImportOptions once;
  once.once = true;
  std::string before = StoredState(database_.file()).Everything() +
                       StoredState(database_.file()).Rows("SELECT count(*) FROM import_run");
  ImportOutcome refused = Import(kSample, "1", once);
  EXPECT_FALSE(refused.imported);
  EXPECT_EQ(refused.previousRunId, again.runId);
  EXPECT_NE(refused.failure.find("already imported by run " + std::to_string(again.runId)), std::string::npos)
      << refused.failure;
  EXPECT_EQ(StoredState(database_.file()).Everything() +
                StoredState(database_.file()).Rows("SELECT count(*) FROM import_run"),
            before);

  std::vector<VoServices::ImportRunInfo> runs = Runs("1");
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].sha256, kSampleSha256);
  EXPECT_EQ(runs[0].fileSize, std::filesystem::file_size(kSample));
  EXPECT_EQ(runs[0].result, "imported");
  EXPECT_EQ(runs[0].transactionsStored, 19u);
  EXPECT_EQ(runs[0].symbolsAdded, first.symbolsAdded);
  EXPECT_EQ(runs[1].symbolsAdded, 0u);
  EXPECT_EQ(runs[0].logPath, first.logPath);
  EXPECT_EQ(StoredState(database_.file()).Rows("SELECT run_id, count(*) FROM import_run_trans GROUP BY run_id"),
            "1|19\n2|19\n3|19\n");
}

// The second export holds the last half of the first and rows of its own.
TEST_P(ImportRunsTest, OverlappingExportsWithSkipDuplicatesStoreTheUnion) {
  ASSERT_TRUE(Import(SampleSlice("early.csv", 1, 12)).imported);
  // The lookup reads through the index the table is made with; no import
  // changes the schema (on a cluster that would abort the imports beside it).
  const std::string indexes =
      TempDatabase::OnServer()
          ? "SELECT DISTINCT index_name FROM information_schema.statistics WHERE table_schema = DATABASE() "
            "AND table_name = 'trans_table' AND index_name <> 'PRIMARY' ORDER BY 1"
          : "SELECT name FROM sqlite_master WHERE tbl_name = 'trans_table' AND type = 'index' ORDER BY 1";
  const std::string made = StoredState(database_.file()).Rows(indexes);
  EXPECT_EQ(made, "trans_table_acct_id_trans_dttrade\n");
  ImportOutcome late = Import(SampleSlice("late.csv", 7, 19), "1", SkipDuplicates());
  ASSERT_TRUE(late.imported) << late.failure;
  EXPECT_EQ(late.duplicatesSkipped, 6u);
  EXPECT_EQ(late.transactionsStored, 7u);
  EXPECT_EQ(LogLines(ReadFile(late.logPath), "Info", "duplicate"),
            "6 duplicate transactions skipped.\n");
  EXPECT_EQ(Runs()[1].duplicatesSkipped, 6u);
  EXPECT_EQ(StoredState(database_.file()).Rows(indexes), made);

  ASSERT_TRUE(Import(kSample, "2").imported);
  EXPECT_EQ(Content("1"), Content("2"));
}

// Two equal fills in one file: both kept when none is stored, one skipped per stored one.
TEST_P(ImportRunsTest, EqualFillsAreSkippedOnlyAsOftenAsTheyAreStored) {
  std::vector<std::string> lines = SampleLines();
  std::string fills = database_.dir().Write("fills.csv", lines[0] + "\n" + lines[1] + "\n" + lines[1] + "\n" + lines[2] + "\n");
  struct Case {
    size_t storedBefore;
    uint64_t skipped;
  } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 2}};
  for (const Case& c : cases) {
    std::string account = "fills" + std::to_string(c.storedBefore);
    for (size_t i = 0; i < c.storedBefore; ++i) ASSERT_TRUE(Import(SampleSlice("one.csv", 1, 1), account).imported);
    ImportOutcome outcome = Import(fills, account, SkipDuplicates());
    EXPECT_EQ(outcome.duplicatesSkipped, c.skipped) << c.storedBefore;
    EXPECT_EQ(outcome.transactionsStored, 3 - c.skipped) << c.storedBefore;
  }
}

TEST_P(ImportRunsTest, UndoLeavesEveryTableAsBeforeTheRun) {
  ASSERT_TRUE(Import(SampleSlice("early.csv", 1, 10)).imported);
  StoredState state(database_.file());
  auto everything = [&] {
    return state.Everything() + state.Rows("SELECT * FROM import_run_trans ORDER BY trans_id") +
           state.Rows("SELECT * FROM import_run_sym ORDER BY link_id");
  };
  std::string before = everything();
  // Shares IBM and AAPL with the first run, adds JNJ, GS and option symbols.
  ImportOutcome later = Import(SampleSlice("late.csv", 8, 19));
  ASSERT_TRUE(later.imported);
  ASSERT_GT(later.symbolsAdded, 0u);

  VoServices::UndoOutcome undo = VoServices::UndoImportRun(later.runId);
  ASSERT_TRUE(undo.undone) << undo.failure;
  EXPECT_EQ(undo.transactionsRemoved, 12u);
  EXPECT_EQ(undo.symbolsRemoved, later.symbolsAdded);
  EXPECT_EQ(everything(), before);
  EXPECT_EQ(Runs()[1].result, "undone");
  EXPECT_NE(Runs()[1].undone, "");

  // Undone is undone once; an unknown run is named.
  EXPECT_NE(VoServices::UndoImportRun(later.runId).failure.find("not an import to undo"), std::string::npos);
  EXPECT_EQ(VoServices::UndoImportRun(99).failure, "there is no import run 99");
  // The content imports again without a warning once its run is undone.
  EXPECT_EQ(Import(SampleSlice("late.csv", 8, 19)).previousRunId, 0u);
}

TEST_P(ImportRunsTest, UndoIsRefusedWhenAnExpirationRefersToTheRunsRows) {
  // T1007: a bought IBM call that expired long ago.
  ImportOutcome run = Import(SampleSlice("calls.csv", 7, 7));
  ASSERT_TRUE(run.imported);
  StoredState state(database_.file());
  std::string id = state.Rows("SELECT trans_id FROM trans_table");
  id.pop_back();
  ASSERT_TRUE(VoServices::ExpireOptions({{id, "5"}}, nullptr));
  std::string before = state.Everything();

  VoServices::UndoOutcome undo = VoServices::UndoImportRun(run.runId);
  EXPECT_FALSE(undo.undone);
  std::string group = "grp_table 1 (trans_id_open " + id + ", trans_id_close 2)";
  EXPECT_EQ(undo.blockers, std::vector<std::string>{group});
  EXPECT_EQ(undo.failure, "rows made later refer to the run's transactions: " + group);
  EXPECT_EQ(state.Everything(), before);
  EXPECT_EQ(Runs()[0].result, "imported");
}

}  // namespace
