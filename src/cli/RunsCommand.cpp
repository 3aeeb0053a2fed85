// vo runs: the recorded imports, one a line, tab-separated under a header line.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "voservices/ImportRuns.h"

namespace {

int RunRuns(const std::string& accountId) {
  std::vector<VoServices::ImportRunInfo> runs;
  std::string error;
  if (!VoServices::ListImportRuns(accountId, runs, error)) {
    std::cerr << "vo: " << error << std::endl;
    return kExitFalse;
  }
  std::cout << "run\taccount\tresult\tstarted\tended\tstored\tsymbols\tskipped\tsize\tsha256\tfile"
            << std::endl;
  for (const VoServices::ImportRunInfo& run : runs) {
    std::cout << run.id << '\t' << run.accountId << '\t' << run.result
              << (run.undone.empty() ? "" : " " + run.undone) << '\t' << run.started << '\t'
              << run.ended << '\t' << run.transactionsStored << '\t' << run.symbolsAdded << '\t'
              << run.duplicatesSkipped << '\t' << run.fileSize << '\t' << run.sha256 << '\t'
              << run.filePath << std::endl;
  }
  return 0;
}

}  // namespace

Command AddRunsCommand(CLI::App& app) {
  auto accountId = std::make_shared<std::string>();
  CLI::App* runs = app.add_subcommand("runs", "List the recorded imports");
  runs->add_option("--account", *accountId, "Only this account's imports");
  return {runs, [accountId] { return RunRuns(*accountId); }};
}
