// Opens a database through the public C++ headers, imports the native sample,
// reads the stored rows back and expires nothing (an empty map is a
// failure): a host's first program.
#include <cstdio>
#include <string>
#include <vector>

#include "voservices/ImportOptions.h"
#include "voservices/Ledger.h"
#include "voservices/OpenDatabase.h"
#include "voservices/VoServices.h"

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

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  std::string error;
  if (!VoServices::OpenDatabase(argv[1], error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  if (!VoServices::CanImportFile(argv[2]) || VoServices::IdentifyFileFormat(argv[2]).empty()) return 1;
  VoServices::ImportOutcome outcome =
      VoServices::ImportFileWithOptions(argv[2], argv[3], "1", "Main", {});
  if (!outcome.imported) {
    std::fprintf(stderr, "import failed: %s\n", outcome.failure.c_str());
    return 1;
  }
  Counter counter;
  if (!VoServices::ReadRows("SELECT * FROM trans_table WHERE acct_id = ?", {"1"}, VoServices::CellForm::kFriendly,
                            counter, error) ||
      counter.rows != outcome.transactionsStored || counter.columns != VoServices::LedgerTables().front().columns.size()) {
    std::fprintf(stderr, "read back %llu rows: %s\n", counter.rows, error.c_str());
    return 1;
  }
  if (VoServices::ExpireOptions({}, nullptr)) return 1;
  std::printf("stored %llu\n", static_cast<unsigned long long>(outcome.transactionsStored));
  VoServices::CloseDatabase();
  return 0;
}
