// The import page's calls. A preview is two dry runs of the uploaded file:
//   1. with --skip-duplicates: what would be stored when duplicates are left
//      out, each row's content counted (by hash);
//   2. only when that run left some out: without it, and every row beyond
//      those counts is one that --skip-duplicates would skip.
// Both write their run log into the upload store (gone when the server
// stops); the page's refused lines and warnings are read from the first.
#include "cli/web/ImportApi.h"

#include <httplib.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <unordered_map>

#include "cli/Command.h"
#include "cli/ImportReport.h"
#include "cli/ImportRunOptions.h"
#include "cli/LayoutOptions.h"
#include "cli/web/ApiReply.h"
#include "cli/web/JsonRows.h"
#include "cli/web/LibraryGate.h"
#include "cli/web/UploadStore.h"
#include "voservices/ImportOptions.h"
#include "voservices/Layouts.h"
#include "voservices/Ledger.h"

namespace {

// What the page asked to import and how; `error` when the request lacks something.
struct ImportRequest {
  UploadStore::Upload upload;
  std::string accountId;
  std::string accountName;
  VoServices::ImportOptions options;
  std::string error;
};

ImportRequest ReadImportRequest(const httplib::Request& request, const UploadStore& uploads) {
  ImportRequest asked;
  const std::optional<UploadStore::Upload> upload = uploads.Find(WholeParam(request, "upload"));
  if (!upload) {
    asked.error = "no such upload: choose the file again";
    return asked;
  }
  asked.upload = *upload;
  asked.accountId = Param(request, "account_id");
  asked.accountName = Param(request, "account_name");
  if (asked.accountId.empty() || asked.accountName.empty()) {
    asked.error = "an import needs an account id and an account name";
  }
  asked.options.once = Param(request, "once") == "1";
  asked.options.skipDuplicates = Param(request, "skip_duplicates") == "1";
  asked.options.brokerAccount = Param(request, "broker_account");
  // The copy's name would mean nothing in the record of runs.
  asked.options.recordedName = asked.upload.name;
  UseUserLayouts(asked.options);
  return asked;
}

// The Error and Warning lines of a run log ("component#\ttime\tlevel\trecord\tmessage").
Json::Value LogProblems(const std::string& logPath) {
  Json::Value problems(Json::arrayValue);
  std::ifstream log(logPath);
  for (std::string line; std::getline(log, line);) {
    std::vector<std::string> fields;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, '\t');) fields.push_back(field);
    if (fields.size() < 5 || (fields[2] != "Error" && fields[2] != "Warning")) continue;
    Json::Value& problem = problems.append(Json::Value());
    problem["level"] = fields[2];
    problem["record"] = fields[3];
    problem["message"] = fields[4];
  }
  return problems;
}

size_t RowHash(const std::vector<std::string>& cells) {
  size_t hash = 0;
  for (const std::string& cell : cells) hash = hash * 1000003 ^ std::hash<std::string>()(cell);
  return hash;
}

// The rows of one dry run: the first ones read back as they would be stored,
// and a count of each row's content.
struct DryRunRows {
  JsonRows shown;
  std::unordered_map<size_t, uint64_t> contents;
  // When set: rows whose content is not (or no longer) in `contents` of the
  // other run are the duplicates, kept here.
  std::unordered_map<size_t, uint64_t>* unmatched = nullptr;
  JsonRows* duplicates = nullptr;

  explicit DryRunRows(size_t shownRows) : shown(shownRows) {}

  static void Receive(const std::vector<std::string>& cells, void* self) {
    auto& rows = *static_cast<DryRunRows*>(self);
    const std::vector<std::string> readBack = VoServices::TransactionAsReadBack(cells);
    rows.shown.Add(readBack);
    const size_t hash = RowHash(cells);
    if (!rows.unmatched) {
      ++rows.contents[hash];
      return;
    }
    auto it = rows.unmatched->find(hash);
    if (it != rows.unmatched->end() && it->second > 0) {
      --it->second;
    } else {
      rows.duplicates->Add(readBack);
    }
  }
};

Json::Value OutcomeJson(const VoServices::ImportOutcome& outcome, const std::string& path,
                        const std::string& shown) {
  Json::Value body;
  body["imported"] = outcome.imported;
  body["format"] = outcome.format;
  body["runId"] = Json::UInt64(outcome.runId);
  body["transactions"] = Json::UInt64(outcome.transactionsStored);
  body["symbols"] = Json::UInt64(outcome.symbolsAdded);
  body["linesRefused"] = Json::UInt64(outcome.linesRefused);
  body["duplicatesSkipped"] = Json::UInt64(outcome.duplicatesSkipped);
  body["logPath"] = outcome.logPath;
  body["brokerAccounts"] = Json::Value(Json::arrayValue);
  for (const std::string& account : outcome.brokerAccounts) body["brokerAccounts"].append(account);
  if (outcome.imported) {
    body["line"] = ImportOutcomeLine(outcome);
  } else {
    body["failure"] = "import failed: " + ImportFailureReason(path, shown, outcome);
  }
  return body;
}

// What vo import says on stderr beside its outcome line, one line each
// without vo's prefix: a re-import, the duplicates skipped, rows refused, a
// log that could not be written.
Json::Value ImportNotes(const VoServices::ImportOptions& options, const VoServices::ImportOutcome& outcome) {
  Json::Value notes(Json::arrayValue);
  if (!outcome.logError.empty()) notes.append(outcome.logError);
  std::ostringstream said;
  ReportImportRun(options, outcome, said);
  std::istringstream lines(said.str());
  for (std::string line; std::getline(lines, line);) notes.append(line.starts_with("vo: ") ? line.substr(4) : line);
  std::string refusal;
  ImportRefusal(outcome, refusal);
  if (!refusal.empty()) notes.append(refusal);
  return notes;
}

}  // namespace

ImportApi::ImportApi(LibraryGate& gate, UploadStore& uploads, std::string logFolder)
    : gate_(gate), uploads_(uploads), logFolder_(std::move(logFolder)) {}

void ImportApi::Register(httplib::Server& server) {
  server.Post("/api/upload", [this](const httplib::Request& request, httplib::Response& response,
                                    const httplib::ContentReader& body) { Upload(request, response, body); });
  server.Post("/api/import/preview",
              [this](const httplib::Request& request, httplib::Response& response) { Preview(request, response); });
  server.Post("/api/import",
              [this](const httplib::Request& request, httplib::Response& response) { Import(request, response); });
  server.Get("/api/import/progress",
             [this](const httplib::Request&, httplib::Response& response) { ShowProgress(response); });
}

void ImportApi::Upload(const httplib::Request& request, httplib::Response& response,
                       const httplib::ContentReader& body) {
  std::string error;
  bool tooLarge = request.get_header_value<uint64_t>("Content-Length") > uploads_.maxBytes();
  if (tooLarge) {
    return SendError(response, 413,
                     "the file is larger than the upload limit of " + std::to_string(uploads_.maxBytes()) + " bytes");
  }
  const std::optional<UploadStore::Upload> upload = uploads_.Receive(
      Param(request, "name"),
      [&body](const std::function<bool(const char*, size_t)>& receive) {
        return body([&receive](const char* data, size_t length) { return receive(data, length); });
      },
      error, tooLarge);
  if (!upload) return SendError(response, tooLarge ? 413 : 400, error);

  std::optional<LibraryGate::Hold> hold = gate_.Enter();
  if (!hold) return SendBusy(response);
  VoServices::ImportOptions options;
  UseUserLayouts(options);
  const VoServices::FileIdentity identity = VoServices::IdentifyFile(upload->path, options);
  Json::Value answer;
  answer["upload"] = Json::UInt64(upload->id);
  answer["name"] = upload->name;
  answer["size"] = Json::UInt64(upload->size);
  answer["format"] = identity.format;
  answer["brokerAccounts"] = Json::Value(Json::arrayValue);
  for (const std::string& account : identity.brokerAccounts) answer["brokerAccounts"].append(account);
  if (identity.format.empty()) {
    VoServices::ImportOutcome unknown;
    unknown.failureKind = VoServices::ImportFailure::kUnknownFormat;
    answer["failure"] = ImportFailureReason(upload->path, upload->name, unknown);
  }
  SendJson(response, answer);
}

void ImportApi::Preview(const httplib::Request& request, httplib::Response& response) {
  const ImportRequest asked = ReadImportRequest(request, uploads_);
  if (!asked.error.empty()) return SendError(response, 400, asked.error);
  std::optional<LibraryGate::Hold> hold = gate_.Enter();
  if (!hold) return SendBusy(response);
  std::string error;
  if (!hold->OpenForDryRun(error)) return SendError(response, 500, "import failed: " + error);

  VoServices::ImportOptions options = asked.options;
  options.dryRun = true;
  options.once = false;
  options.skipDuplicates = true;
  options.row = DryRunRows::Receive;
  DryRunRows kept(kShownRows);
  options.rowUserData = &kept;
  const VoServices::ImportOutcome withoutDuplicates = VoServices::ImportFileWithOptions(
      asked.upload.path, uploads_.LogFolder(), asked.accountId, asked.accountName, options);

  JsonRows duplicates(kShownRows);
  DryRunRows all(kShownRows);
  VoServices::ImportOutcome everything = withoutDuplicates;
  if (withoutDuplicates.imported && withoutDuplicates.duplicatesSkipped > 0) {
    all.unmatched = &kept.contents;
    all.duplicates = &duplicates;
    options.skipDuplicates = false;
    options.rowUserData = &all;
    everything = VoServices::ImportFileWithOptions(asked.upload.path, uploads_.LogFolder(), asked.accountId,
                                                   asked.accountName, options);
  } else {
    all.shown = kept.shown;
  }

  const bool skip = asked.options.skipDuplicates;
  const VoServices::ImportOutcome& shownOutcome = skip ? withoutDuplicates : everything;
  Json::Value answer = OutcomeJson(shownOutcome, asked.upload.path, asked.upload.name);
  const JsonRows& shown = skip ? kept.shown : all.shown;
  answer["columns"] = Json::Value(Json::arrayValue);
  for (const std::string& column : LedgerTableNamed("trans_table").columns) answer["columns"].append(column);
  answer["rows"] = shown.rows();
  answer["rowCount"] = Json::UInt64(shown.count());
  answer["problems"] = LogProblems(withoutDuplicates.logPath);
  answer["duplicates"] = duplicates.rows();
  answer["duplicateCount"] = Json::UInt64(withoutDuplicates.duplicatesSkipped);
  answer["previousRunId"] = Json::UInt64(withoutDuplicates.previousRunId);
  answer["notes"] = ImportNotes(asked.options, shownOutcome);
  SendJson(response, answer);
}

void ImportApi::Import(const httplib::Request& request, httplib::Response& response) {
  const ImportRequest asked = ReadImportRequest(request, uploads_);
  if (!asked.error.empty()) return SendError(response, 400, asked.error);
  std::optional<LibraryGate::Hold> hold = gate_.Enter();
  if (!hold) return SendBusy(response);
  hold->PrepareToWrite();

  VoServices::ImportOptions options = asked.options;
  options.progress = Report;
  options.progressUserData = &progress_;
  progress_.bytesRead = 0;
  progress_.linesRead = 0;
  progress_.totalBytes = asked.upload.size;
  progress_.running = true;
  const VoServices::ImportOutcome outcome = VoServices::ImportFileWithOptions(
      asked.upload.path, logFolder_, asked.accountId, asked.accountName, options);
  progress_.running = false;

  Json::Value answer = OutcomeJson(outcome, asked.upload.path, asked.upload.name);
  answer["notes"] = ImportNotes(options, outcome);
  std::string refusal;
  const int status = outcome.imported ? ImportRefusal(outcome, refusal) : kExitFalse;
  answer["exitStatus"] = outcome.conversionError.empty() ? status : kExitConversionError;
  answer["messages"] = Json::Value(Json::arrayValue);
  for (const std::string& message : hold->TakeMessages()) answer["messages"].append(message);
  SendJson(response, answer);
}

void ImportApi::Report(const VoServices::ImportProgress& progress, void* self) {
  Progress& shown = *static_cast<Progress*>(self);
  shown.bytesRead = progress.bytesRead;
  shown.linesRead = progress.linesRead;
  if (progress.totalBytes > 0) shown.totalBytes = progress.totalBytes;
}

void ImportApi::ShowProgress(httplib::Response& response) const {
  Json::Value answer;
  answer["running"] = progress_.running.load();
  answer["bytesRead"] = Json::UInt64(progress_.bytesRead.load());
  answer["totalBytes"] = Json::UInt64(progress_.totalBytes.load());
  answer["linesRead"] = Json::UInt64(progress_.linesRead.load());
  SendJson(response, answer);
}
