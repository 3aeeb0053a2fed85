// vo runs: the recorded imports, one a line, tab-separated under a header
// line unless another format is asked for. Cells go through the row writer,
// so a tab or line break in a file's path cannot break the columns.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/RowWriter.h"
#include "voservices/ImportRuns.h"

namespace {

struct RunsArgs {
  std::string accountId;
  std::string format = "tsv";
};

int RunRuns(const RunsArgs& args) {
  std::vector<VoServices::ImportRunInfo> runs;
  std::string error;
  if (!VoServices::ListImportRuns(args.accountId, runs, error)) {
    std::cerr << "vo: " << error << std::endl;
    return kExitFalse;
  }
  RowWriter writer(*RowWriter::FormatNamed(args.format), std::cout);
  writer.Columns({"run", "account", "result", "started", "ended", "stored", "symbols", "skipped", "size",
                  "sha256", "file"});
  for (const VoServices::ImportRunInfo& run : runs) {
    writer.Row({std::to_string(run.id), run.accountId, run.result + (run.undone.empty() ? "" : " " + run.undone),
                run.started, run.ended, std::to_string(run.transactionsStored), std::to_string(run.symbolsAdded),
                std::to_string(run.duplicatesSkipped), std::to_string(run.fileSize), run.sha256, run.filePath});
  }
  writer.Finish();
  return 0;
}

}  // namespace

Command AddRunsCommand(CLI::App& app) {
  auto args = std::make_shared<RunsArgs>();
  CLI::App* runs = app.add_subcommand("runs", "List the recorded imports");
  runs->add_option("--account", args->accountId, "Only this account's imports");
  runs->add_option("--format", args->format, "Output format: tsv (the default), table, csv, json or ndjson")
      ->check(CLI::IsMember(RowWriter::FormatNames()));
  return {runs, [args] { return RunRuns(*args); }};
}
