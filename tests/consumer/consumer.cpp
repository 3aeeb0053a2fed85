// A host's first program, built against the installed headers: it calls every
// public C++ function once, each where its answer is known, so that one not
// exported fails the link and one that misbehaves fails the run. It opens a
// database, imports the native sample, reads the rows back, and asks the
// services that need more than that for the refusals they must give.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "voservices/ImportOptions.h"
#include "voservices/ImportRuns.h"
#include "voservices/Layouts.h"
#include "voservices/Ledger.h"
#include "voservices/Maintenance.h"
#include "voservices/Messages.h"
#include "voservices/OpenDatabase.h"
#include "voservices/SymbolUpdate.h"
#include "voservices/VoServices.h"

namespace {

// Counts the rows of a read.
class Counter : public VoServices::RowSink {
 public:
  void Columns(const std::vector<std::string>& names) override { columns = names.size(); }
  bool Row(const std::vector<std::string>&) override {
    ++rows;
    return true;
  }
  size_t columns = 0;
  unsigned long long rows = 0;
};

int failures = 0;

void Expect(bool held, const char* what) {
  if (held) return;
  std::fprintf(stderr, "failed: %s\n", what);
  ++failures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::string database = argv[1], sample = argv[2], logs = argv[3];
  std::vector<std::string> messages;
  VoServices::SetMessageHandler([&messages](const std::string& text, const std::string&) { messages.push_back(text); });
  VoServices::SetDebugHandler([](const std::string&) {});

  VoServices::UseDatabase(database);
  Expect(VoServices::DatabaseLocation() == database, "UseDatabase names the location");
  Expect(!VoServices::IsServerLocation(database) && VoServices::IsServerLocation("mariadb://h/db"), "IsServerLocation");
  std::string error;
  Expect(!VoServices::OpenDatabaseToRead(error) && !error.empty(), "OpenDatabaseToRead refuses a missing file");
  if (!VoServices::OpenDatabase(database, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }

  const VoServices::ImportOptions options;
  Expect(VoServices::CanImportFile(sample) && VoServices::CanImportFileWithOptions(sample, options), "CanImportFile");
  Expect(!VoServices::IdentifyFileFormat(sample).empty() && !VoServices::IdentifyFile(sample, options).format.empty(),
         "IdentifyFile");
  Expect(!VoServices::ListBuiltInLayouts().empty(), "ListBuiltInLayouts");
  VoServices::UserLayoutFolder();
  VoServices::UserLayoutFiles();
  Expect(!VoServices::CheckLayoutFile(logs + "none.toml").problems.empty(), "CheckLayoutFile of a missing file");

  const VoServices::ImportOutcome outcome = VoServices::ImportFileWithOptions(sample, logs, "1", "Main", options);
  if (!outcome.imported) {
    std::fprintf(stderr, "import failed: %s\n", outcome.failure.c_str());
    return 1;
  }
  Expect(VoServices::ImportFile(sample, logs, "2", "Other", nullptr), "ImportFile");

  Counter counter;
  Expect(VoServices::ReadRows("SELECT * FROM trans_table WHERE acct_id = ?", {"1"}, VoServices::CellForm::kFriendly,
                              counter, error) &&
             counter.rows == outcome.transactionsStored &&
             counter.columns == VoServices::LedgerTables().front().columns.size(),
         "ReadRows reads the stored rows back");
  Expect(!VoServices::ReadRows("DELETE FROM trans_table", {}, VoServices::CellForm::kStored, counter, error),
         "ReadRows refuses a write");
  Expect(VoServices::TransactionAsReadBack({"", "0"}).at(1) == "Buy", "TransactionAsReadBack names the action");
  VoServices::LastDatabaseError();

  std::vector<VoServices::ImportRunInfo> runs;
  Expect(VoServices::ListImportRuns("1", runs, error) && runs.size() == 1, "ListImportRuns");
  Expect(!VoServices::UndoImportRun(999).undone, "UndoImportRun refuses an unknown run");

  // Nothing listens on port 1: the symbol update stops at its connection test.
  const std::string nowhere = "http://127.0.0.1:1/";
  std::vector<std::string> changes;
  Expect(!VoServices::UpdateSymbols(nowhere, nullptr), "UpdateSymbols");
  Expect(VoServices::UpdateSymbolsWithOutcome(nowhere, nullptr).failureKind ==
             VoServices::SymbolUpdateFailure::kServerUnreachable,
         "UpdateSymbolsWithOutcome says why");
  Expect(!VoServices::PreviewSymbolUpdate(nowhere, nullptr, changes) && changes.empty(), "PreviewSymbolUpdate");
  Expect(!messages.empty(), "the message handler got the update's message boxes");

  Expect(!VoServices::ApplySmartTime({}, nullptr), "ApplySmartTime of nothing");
  Expect(VoServices::ApplySmartTimeWithOutcome({"999"}).failureKind == VoServices::MaintenanceFailure::kNothingToChange,
         "ApplySmartTimeWithOutcome of an unknown id");
  Expect(VoServices::CheckExpirations({{"999", "1"}}).size() == 1, "CheckExpirations refuses an unknown id");
  Expect(!VoServices::ExpireOptions({}, nullptr), "ExpireOptions of nothing");
  Expect(VoServices::ExpireOptionsWithOutcome({}).failureKind == VoServices::MaintenanceFailure::kNothingAsked,
         "ExpireOptionsWithOutcome of nothing");

  std::printf("stored %llu\n", static_cast<unsigned long long>(outcome.transactionsStored));
  VoServices::CloseDatabase();
  return failures == 0 ? 0 : 1;
}
