#include "cli/web/SymbolUpdateApi.h"

#include <httplib.h>

#include <iostream>
#include <optional>

#include "cli/Command.h"
#include "cli/web/ApiReply.h"
#include "cli/web/LibraryGate.h"
#include "voservices/SymbolUpdate.h"

namespace {

// The progress callback takes no user data: its messages go to stderr, as
// vo's do; the page gets the message boxes.
bool PrintProgress(std::string message, int32_t) {
  std::cerr << message << std::endl;
  return true;
}

// The hold for an update of `url`, the database there to write; without one
// the request was answered (busy, no URL, no database file).
std::optional<LibraryGate::Hold> UpdateHold(LibraryGate& gate, const std::string& url, httplib::Response& response) {
  if (url.empty()) {
    SendError(response, 400, "name the security master's URL");
    return std::nullopt;
  }
  std::optional<LibraryGate::Hold> hold = gate.Enter();
  if (!hold) {
    SendBusy(response);
    return std::nullopt;
  }
  if (DatabaseFileMissing()) {
    SendError(response, 404, "cannot open the database: " + VoServices::DatabaseLocation() + ": no such file");
    return std::nullopt;
  }
  hold->PrepareToWrite();
  return hold;
}

void AddMessages(Json::Value& answer, LibraryGate::Hold& hold) {
  answer["messages"] = Json::Value(Json::arrayValue);
  for (const std::string& message : hold.TakeMessages()) answer["messages"].append(message);
}

}  // namespace

void SymbolUpdateApi::Register(httplib::Server& server) {
  server.Post("/api/symbols/preview",
              [this](const httplib::Request& request, httplib::Response& response) { Preview(request, response); });
  server.Post("/api/symbols/update",
              [this](const httplib::Request& request, httplib::Response& response) { Update(request, response); });
}

void SymbolUpdateApi::Preview(const httplib::Request& request, httplib::Response& response) {
  std::optional<LibraryGate::Hold> hold = UpdateHold(gate_, Param(request, "url"), response);
  if (!hold) return;
  std::vector<std::string> changes;
  const bool updated = VoServices::PreviewSymbolUpdate(Param(request, "url"), PrintProgress, changes);
  Json::Value answer;
  answer["updated"] = updated;
  answer["changes"] = Json::Value(Json::arrayValue);
  for (const std::string& change : changes) answer["changes"].append(change);
  answer["line"] = "dry run: " + std::to_string(changes.size()) + " changes, nothing written";
  AddMessages(answer, *hold);
  SendJson(response, answer);
}

void SymbolUpdateApi::Update(const httplib::Request& request, httplib::Response& response) {
  std::optional<LibraryGate::Hold> hold = UpdateHold(gate_, Param(request, "url"), response);
  if (!hold) return;
  const VoServices::SymbolUpdateOutcome outcome = VoServices::UpdateSymbolsWithOutcome(Param(request, "url"), PrintProgress);
  std::string line;
  const int status = SymbolUpdateResult(outcome, line);
  Json::Value answer;
  answer["updated"] = outcome.updated;
  answer["exitStatus"] = status;
  answer[status == 0 ? "line" : "error"] = line;
  AddMessages(answer, *hold);
  SendJson(response, answer, status == 0 ? 200 : 502);
}
