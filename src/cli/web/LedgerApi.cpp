#include "cli/web/LedgerApi.h"

#include <httplib.h>

#include <fstream>
#include <memory>
#include <optional>

#include "cli/Command.h"
#include "cli/RowWriter.h"
#include "cli/web/ApiReply.h"
#include "cli/web/JsonRows.h"
#include "cli/web/LibraryGate.h"
#include "cli/web/TransactionQuery.h"
#include "voservices/ImportRuns.h"
#include "voservices/Ledger.h"

namespace {

Json::Value RunJson(const VoServices::ImportRunInfo& run) {
  Json::Value json;
  json["id"] = Json::UInt64(run.id);
  json["account"] = run.accountId;
  json["file"] = run.filePath;
  json["size"] = Json::UInt64(run.fileSize);
  json["sha256"] = run.sha256;
  json["format"] = run.format;
  json["started"] = run.started;
  json["ended"] = run.ended;
  json["stored"] = Json::UInt64(run.transactionsStored);
  json["symbols"] = Json::UInt64(run.symbolsAdded);
  json["skipped"] = Json::UInt64(run.duplicatesSkipped);
  json["logPath"] = run.logPath;
  json["result"] = run.result;
  json["undone"] = run.undone;
  return json;
}

// The run of that number; nothing when the list cannot be read or lacks it.
std::optional<VoServices::ImportRunInfo> FindRun(uint64_t id, std::string& error) {
  std::vector<VoServices::ImportRunInfo> runs;
  if (!VoServices::ListImportRuns("", runs, error)) return std::nullopt;
  for (VoServices::ImportRunInfo& run : runs) {
    if (run.id == id) return std::move(run);
  }
  error = "no run " + std::to_string(id);
  return std::nullopt;
}

// The run number in /api/runs/ID/...
uint64_t RunNumber(const httplib::Request& request) {
  const std::string text = request.matches.size() > 1 ? request.matches[1].str() : "";
  return text.size() < 19 ? std::stoull("0" + text) : 0;
}

TransactionView ViewOf(const httplib::Request& request) {
  TransactionView view;
  view.account = Param(request, "account");
  view.symbol = Param(request, "symbol");
  view.from = Param(request, "from");
  view.to = Param(request, "to");
  view.action = Param(request, "action");
  if (!Param(request, "sort").empty()) view.sort = Param(request, "sort");
  view.descending = Param(request, "desc") == "1";
  view.afterId = WholeParam(request, "after");
  return view;
}

// A hold on the library with the database open to read. Without one the
// request was answered: busy, or an empty answer when there is no database
// file yet (`empty`), or the reason it cannot be read.
std::optional<LibraryGate::Hold> ReadingHold(LibraryGate& gate, httplib::Response& response,
                                             const Json::Value& empty) {
  std::optional<LibraryGate::Hold> hold = gate.Enter();
  if (!hold) {
    SendBusy(response);
    return std::nullopt;
  }
  if (DatabaseFileMissing()) {
    SendJson(response, empty);
    return std::nullopt;
  }
  std::string error;
  if (!hold->OpenToRead(error)) {
    SendError(response, 500, error);
    return std::nullopt;
  }
  return hold;
}

Json::Value NoRows() {
  Json::Value empty;
  empty["columns"] = Json::Value(Json::arrayValue);
  empty["rows"] = Json::Value(Json::arrayValue);
  empty["total"] = 0;
  empty["noDatabase"] = true;
  return empty;
}

// Reads `select` into `rows`; false when answered with the reason.
bool Read(const std::string& select, const std::vector<std::string>& parameters, JsonRows& rows,
          httplib::Response& response) {
  std::string error;
  if (VoServices::ReadRows(select, parameters, VoServices::CellForm::kFriendly, rows, error)) return true;
  SendError(response, 500, error);
  return false;
}

// Reads at most `limit` rows of `select` into the answer's "columns", "rows"
// and "more" (whether there are rows beyond); false when answered with the
// reason. The select reads one row more than the limit, to tell.
bool ReadPage(const std::string& select, const std::vector<std::string>& parameters, uint64_t limit,
              Json::Value& answer, httplib::Response& response, uint64_t offset = 0) {
  JsonRows rows(limit);
  const std::string page = " LIMIT " + std::to_string(limit + 1) + (offset ? " OFFSET " + std::to_string(offset) : "");
  if (!Read(select + page, parameters, rows, response)) return false;
  answer["columns"] = rows.columns();
  answer["rows"] = rows.rows();
  answer["more"] = rows.more();
  return true;
}

}  // namespace

void LedgerApi::Register(httplib::Server& server) {
  using httplib::Request;
  using httplib::Response;
  server.Get("/api/runs", [this](const Request& request, Response& response) { Runs(request, response); });
  server.Get(R"(/api/runs/(\d+)/rows)", [this](const Request& request, Response& response) { RunRows(request, response); });
  server.Get(R"(/api/runs/(\d+)/log)", [this](const Request& request, Response& response) { RunLog(request, response); });
  server.Post(R"(/api/runs/(\d+)/undo)", [this](const Request& request, Response& response) { Undo(request, response); });
  server.Get("/api/transactions",
             [this](const Request& request, Response& response) { Transactions(request, response); });
  server.Get("/api/transactions.csv",
             [this](const Request& request, Response& response) { TransactionsCsv(request, response); });
  server.Get("/api/actions", [this](const Request&, Response& response) { Actions(response); });
  server.Get("/api/symbols", [this](const Request& request, Response& response) { Symbols(request, response); });
}

void LedgerApi::Runs(const httplib::Request& request, httplib::Response& response) {
  Json::Value empty;
  empty["runs"] = Json::Value(Json::arrayValue);
  std::optional<LibraryGate::Hold> hold = ReadingHold(gate_, response, empty);
  if (!hold) return;
  std::vector<VoServices::ImportRunInfo> runs;
  std::string error;
  if (!VoServices::ListImportRuns(Param(request, "account"), runs, error)) return SendError(response, 500, error);
  Json::Value answer = empty;
  for (const VoServices::ImportRunInfo& run : runs) answer["runs"].append(RunJson(run));
  SendJson(response, answer);
}

void LedgerApi::RunRows(const httplib::Request& request, httplib::Response& response) {
  std::optional<LibraryGate::Hold> hold = ReadingHold(gate_, response, NoRows());
  if (!hold) return;
  Json::Value answer;
  if (ReadPage("SELECT t.* FROM trans_table t WHERE t.trans_id IN "
               "(SELECT r.trans_id FROM import_run_trans r WHERE r.run_id = ?) ORDER BY t.trans_id",
               {std::to_string(RunNumber(request))}, kRunRows, answer, response)) {
    SendJson(response, answer);
  }
}

void LedgerApi::RunLog(const httplib::Request& request, httplib::Response& response) {
  std::optional<LibraryGate::Hold> hold = ReadingHold(gate_, response, Json::Value());
  if (!hold) return;
  std::string error;
  const std::optional<VoServices::ImportRunInfo> run = FindRun(RunNumber(request), error);
  if (!run) return SendError(response, 404, error);
  hold.reset();  // the file needs no library
  std::ifstream log(run->logPath, std::ios::binary);
  if (!log) return SendError(response, 404, "the run log " + run->logPath + " is not there (any more)");
  std::string text(kMaxLogBytes, '\0');
  log.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(log.gcount()));
  Json::Value answer;
  answer["path"] = run->logPath;
  answer["text"] = text;
  answer["cut"] = log.peek() != std::char_traits<char>::eof();
  SendJson(response, answer);
}

void LedgerApi::Undo(const httplib::Request& request, httplib::Response& response) {
  const uint64_t runId = RunNumber(request);
  std::optional<LibraryGate::Hold> hold = gate_.Enter();
  if (!hold) return SendBusy(response);
  const std::string prefix = "cannot undo run " + std::to_string(runId) + ": ";
  if (DatabaseFileMissing()) {
    return SendError(response, 404, prefix + "cannot open the database: " + VoServices::DatabaseLocation() +
                                        ": no such file");
  }
  hold->PrepareToWrite();
  const VoServices::UndoOutcome outcome = VoServices::UndoImportRun(runId);
  Json::Value answer;
  answer["undone"] = outcome.undone;
  answer["blockers"] = Json::Value(Json::arrayValue);
  for (const std::string& blocker : outcome.blockers) answer["blockers"].append(blocker);
  if (!outcome.undone) {
    answer["error"] = prefix + outcome.failure;
    return SendJson(response, answer, 409);
  }
  answer["line"] = "run " + std::to_string(runId) + " undone: " + std::to_string(outcome.transactionsRemoved) +
                   " transactions and " + std::to_string(outcome.symbolsRemoved) + " symbols removed";
  SendJson(response, answer);
}

void LedgerApi::Transactions(const httplib::Request& request, httplib::Response& response) {
  const TransactionView view = ViewOf(request);
  uint64_t limit = WholeParam(request, "limit");
  limit = limit == 0 ? kPageRows : std::min(limit, kMaxPageRows);
  const TransactionQuery page = TransactionQuery::Page(view);
  if (!page.error.empty()) return SendError(response, 400, page.error);
  std::optional<LibraryGate::Hold> hold = ReadingHold(gate_, response, NoRows());
  if (!hold) return;
  Json::Value answer;
  if (!ReadPage(page.sql, page.parameters, limit, answer, response)) return;
  // Counted on the first page only: the pages after it keep the count.
  if (view.afterId == 0) {
    const TransactionQuery count = TransactionQuery::Count(view);
    JsonRows total(1);
    if (!Read(count.sql, count.parameters, total, response)) return;
    answer["total"] = Json::UInt64(std::stoull("0" + total.rows()[0][0].asString()));
  }
  SendJson(response, answer);
}

void LedgerApi::TransactionsCsv(const httplib::Request& request, httplib::Response& response) {
  const TransactionQuery all = TransactionQuery::Page(ViewOf(request));
  if (!all.error.empty()) return SendError(response, 400, all.error);
  // The hold goes with the provider, which runs after this handler returns:
  // the rows are read and sent under it, a block at a time, never held whole.
  auto hold = std::make_shared<std::optional<LibraryGate::Hold>>(ReadingHold(gate_, response, NoRows()));
  if (!*hold) return;
  response.set_header("Content-Disposition", "attachment; filename=\"transactions.csv\"");
  response.set_chunked_content_provider("text/csv; charset=utf-8", [hold, all](size_t, httplib::DataSink& sink) {
    RowWriter writer(RowWriter::Format::kCsv, sink.os);
    std::string error;
    if (!VoServices::ReadRows(all.sql, all.parameters, VoServices::CellForm::kFriendly, writer, error)) {
      writer.Finish();
      sink.os << "\r\nvo: " << error << "\r\n";
    } else {
      writer.Finish();
    }
    sink.done();
    hold->reset();
    return true;
  });
}

// Each action's name with its stored number: the same select read both ways
// pairs them, for the actions the ledger holds.
void LedgerApi::Actions(httplib::Response& response) {
  Json::Value empty;
  empty["actions"] = Json::Value(Json::arrayValue);
  std::optional<LibraryGate::Hold> hold = ReadingHold(gate_, response, empty);
  if (!hold) return;
  const std::string select = "SELECT DISTINCT trans_action FROM trans_table ORDER BY trans_action";
  JsonRows names(1000);
  JsonRows numbers(1000);
  std::string error;
  if (!VoServices::ReadRows(select, {}, VoServices::CellForm::kFriendly, names, error) ||
      !VoServices::ReadRows(select, {}, VoServices::CellForm::kStored, numbers, error)) {
    return SendError(response, 500, error);
  }
  Json::Value answer = empty;
  for (Json::ArrayIndex i = 0; i < names.rows().size() && i < numbers.rows().size(); ++i) {
    if (numbers.rows()[i][0].asString().empty()) continue;
    Json::Value& action = answer["actions"].append(Json::Value());
    action["name"] = names.rows()[i][0];
    action["value"] = numbers.rows()[i][0];
  }
  SendJson(response, answer);
}

void LedgerApi::Symbols(const httplib::Request& request, httplib::Response& response) {
  std::optional<LibraryGate::Hold> hold = ReadingHold(gate_, response, NoRows());
  if (!hold) return;
  // Symbols are few beside trades: a page by name and offset serves.
  const std::string prefix = Param(request, "prefix");
  const uint64_t offset = WholeParam(request, "offset");
  Json::Value answer;
  if (ReadPage("SELECT * FROM sym_table WHERE sym_name LIKE ? ORDER BY sym_name", {prefix + "%"}, kPageRows,
               answer, response, offset)) {
    SendJson(response, answer);
  }
}
