#include "SecurityCatalog.h"

#include <json/reader.h>
#include <json/writer.h>

#include <fstream>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "symbols/JsonListSplitter.h"
#include "symbols/PlainJsonObject.h"

using namespace vo;

namespace {

bool ParseJson(const std::string& text, Json::Value& root, std::string& error) {
  Json::CharReaderBuilder builder;
  Json::CharReaderBuilder::strictMode(&builder.settings_);
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  return reader->parse(text.data(), text.data() + text.size(), &root, &error);
}

std::string Compact(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  return Json::writeString(builder, value);
}

HttpAnswer BadRequest(const std::string& reason) {
  Json::Value body(Json::objectValue);
  body["error"] = reason;
  return {400, Compact(body)};
}

// A text as a JSON string, as Compact writes it; the quoting function alone
// (far cheaper than a writer per text) when the text has no NUL, where it stops.
std::string Quoted(const std::string& text) {
  if (text.find('\0') != std::string::npos) return Compact(Json::Value(text));
  return Json::valueToQuotedString(text.c_str());
}

// The member as text when it is a non-empty string; otherwise empty.
std::string TextOf(const Json::Value& object, const char* member) {
  const Json::Value& value = object[member];
  return value.isString() ? value.asString() : std::string();
}

}  // namespace

bool SecurityCatalog::Load(const std::string& json, std::string& error) {
  std::unordered_map<std::string, Security> securities;
  std::unordered_map<std::string, std::string> brokerSymbols;
  securities_.swap(securities);
  brokerSymbols_.swap(brokerSymbols);
  std::optional<bool> loaded = LoadByElement(json, error);
  if (!loaded) loaded = LoadWhole(json, error);
  if (!*loaded) {
    // The catalog as it was.
    securities_.swap(securities);
    brokerSymbols_.swap(brokerSymbols);
  }
  return *loaded;
}

std::optional<bool> SecurityCatalog::LoadByElement(const std::string& json, std::string& error) {
  // A file with the top-level broker_symbols map (an object, not a list) is
  // left to the whole read.
  std::optional<JsonListSplitter::Lists> lists = JsonListSplitter::Split(json, {"securities", "broker_symbols"});
  if (!lists || !(*lists)[0]) return std::nullopt;
  Json::CharReaderBuilder builder;
  Json::CharReaderBuilder::strictMode(&builder.settings_);
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  for (std::string_view text : *(*lists)[0]) {
    Json::Value security;
    if (!reader->parse(text.data(), text.data() + text.size(), &security, nullptr)) return std::nullopt;
    if (!AddSecurity(std::move(security), error)) return false;
  }
  return true;
}

bool SecurityCatalog::LoadWhole(const std::string& json, std::string& error) {
  Json::Value root;
  if (!ParseJson(json, root, error)) return false;
  if (!root.isObject() || !root["securities"].isArray()) {
    error = "the reference data must be an object with a \"securities\" array";
    return false;
  }
  for (Json::Value& security : root["securities"]) {
    if (!AddSecurity(std::move(security), error)) return false;
  }
  const Json::Value& aliases = root["broker_symbols"];
  if (!aliases.isNull() && !aliases.isObject()) {
    error = "\"broker_symbols\" must map broker symbols to canonical symbols";
    return false;
  }
  for (const std::string& brokerSymbol : aliases.getMemberNames()) {
    if (!AddBrokerSymbol(brokerSymbol, aliases[brokerSymbol], error)) return false;
  }
  return true;
}

bool SecurityCatalog::AddSecurity(Json::Value security, std::string& error) {
  std::string symbol = security.isObject() ? TextOf(security, "vo_symbol") : "";
  if (symbol.empty()) {
    error = "every security needs a \"vo_symbol\" text";
    return false;
  }
  // Its broker symbols are the catalog's to know, not part of its answers.
  Json::Value aliases;
  security.removeMember("broker_symbols", &aliases);
  if (!aliases.isNull() && !aliases.isArray()) {
    error = "the \"broker_symbols\" of security " + symbol + " must be a list of texts";
    return false;
  }
  const Json::Value& stored = security;
  if (!securities_.emplace(symbol, Security{Compact(stored), Compact(stored["id"]), TextOf(stored, "updated_at")})
           .second) {
    error = "security " + symbol + " is listed twice";
    return false;
  }
  for (const Json::Value& alias : aliases) {
    if (!alias.isString()) {
      error = "the \"broker_symbols\" of security " + symbol + " must be a list of texts";
      return false;
    }
    brokerSymbols_.emplace(alias.asString(), symbol);
  }
  return true;
}

bool SecurityCatalog::AddBrokerSymbol(const std::string& brokerSymbol, const Json::Value& target,
                                      std::string& error) {
  if (!target.isString() || !securities_.contains(target.asString())) {
    error = "broker symbol " + brokerSymbol + " does not name a listed security";
    return false;
  }
  brokerSymbols_.emplace(brokerSymbol, target.asString());
  return true;
}

bool SecurityCatalog::LoadFile(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  // Read straight into one text: a reference file may be hundreds of megabytes.
  std::string text(static_cast<size_t>(in.tellg()), '\0');
  in.seekg(0);
  if (!in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
    error = "cannot read " + path;
    return false;
  }
  if (!Load(text, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

const SecurityCatalog::Security* SecurityCatalog::Resolve(const std::string& symbol) const {
  auto alias = brokerSymbols_.find(symbol);
  auto security = securities_.find(alias == brokerSymbols_.end() ? symbol : alias->second);
  return security == securities_.end() ? nullptr : &security->second;
}

// Texts when they are strings, as TextOf reads them.
struct SecurityCatalog::RequestElement {
  explicit RequestElement(const Json::Value& element);
  explicit RequestElement(const std::vector<PlainJsonObject::Member>& members);
  bool object = false;
  std::string symName, voSym, lastUpdate;
};

SecurityCatalog::RequestElement::RequestElement(const Json::Value& element) : object(element.isObject()) {
  if (!object) return;
  symName = TextOf(element, "sym_name");
  voSym = TextOf(element, "sym_vo_sym");
  lastUpdate = TextOf(element, "sym_last_update");
}

SecurityCatalog::RequestElement::RequestElement(const std::vector<PlainJsonObject::Member>& members) : object(true) {
  for (const PlainJsonObject::Member& member : members) {
    if (member.parent != PlainJsonObject::kTopLevel || !member.quoted) continue;
    if (member.key == "sym_name") symName = member.text;
    if (member.key == "sym_vo_sym") voSym = member.text;
    if (member.key == "sym_last_update") lastUpdate = member.text;
  }
}

HttpAnswer SecurityCatalog::Respond(const std::string& request) const {
  std::optional<std::string> answer = RespondByElement(request);
  return answer ? HttpAnswer{200, std::move(*answer)} : RespondWhole(request);
}

std::optional<std::string> SecurityCatalog::RespondByElement(const std::string& request) const {
  std::optional<JsonListSplitter::Lists> lists =
      JsonListSplitter::Split(request, {"broker_security_details", "global_security_records"});
  if (!lists) return std::nullopt;

  // Each element read strictly on its own; one that does not read leaves the
  // request to the whole parse, which says why it is refused.
  // A plain element (most are: rows of texts) is read without a tree; a
  // plain one with a repeated key goes to the strict reader, which refuses it.
  Json::CharReaderBuilder builder;
  Json::CharReaderBuilder::strictMode(&builder.settings_);
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::vector<PlainJsonObject::Member> members;
  auto forEach = [&](const std::optional<std::vector<std::string_view>>& texts, auto add) {
    if (!texts) return true;
    for (std::string_view text : *texts) {
      if (PlainJsonObject::Read(text, members) && !PlainJsonObject::RepeatsAKey(members)) {
        add(RequestElement(members));
        continue;
      }
      Json::Value element;
      if (!reader->parse(text.data(), text.data() + text.size(), &element, nullptr)) return false;
      add(RequestElement(element));
    }
    return true;
  };
  Answer answer;
  if (!forEach((*lists)[0], [&](const RequestElement& detail) { AddBrokerDetail(answer, detail); })) {
    return std::nullopt;
  }
  answer.StartGlobalRecords();
  if (!forEach((*lists)[1], [&](const RequestElement& record) { AddGlobalRecord(answer, record); })) {
    return std::nullopt;
  }
  return answer.Finish();
}

HttpAnswer SecurityCatalog::RespondWhole(const std::string& request) const {
  Json::Value root;
  std::string error;
  if (!ParseJson(request, root, error)) return BadRequest("the request is not JSON: " + error);
  if (!root.isObject()) return BadRequest("the request must be a JSON object");
  const Json::Value& brokerDetails = root["broker_security_details"];
  const Json::Value& globalRecords = root["global_security_records"];
  if (!(brokerDetails.isNull() || brokerDetails.isArray()) ||
      !(globalRecords.isNull() || globalRecords.isArray())) {
    return BadRequest("\"broker_security_details\" and \"global_security_records\" must be arrays");
  }

  Answer answer;
  for (const Json::Value& detail : brokerDetails) AddBrokerDetail(answer, RequestElement(detail));
  answer.StartGlobalRecords();
  for (const Json::Value& record : globalRecords) AddGlobalRecord(answer, RequestElement(record));
  return {200, answer.Finish()};
}

void SecurityCatalog::AddBrokerDetail(Answer& answer, const RequestElement& detail) const {
  const std::string& brokerSymbol = detail.symName;
  const Security* security = Resolve(brokerSymbol);
  if (security == nullptr) return;
  std::string& text = answer.NextElement();
  text += "{\"broker_symbol\":";
  text += Quoted(brokerSymbol);
  text += ",\"id\":";
  text += security->idText;
  text += ",\"security\":";
  text += security->text;
  text += '}';
}

void SecurityCatalog::AddGlobalRecord(Answer& answer, const RequestElement& record) const {
  if (!record.object) return;
  auto security = securities_.find(record.voSym);
  if (security == securities_.end()) return;
  const std::string& lastUpdate = record.lastUpdate;
  if (!lastUpdate.empty() && lastUpdate == security->second.updatedAt) return;
  std::string& text = answer.NextElement();
  text += "{\"security\":";
  text += security->second.text;
  text += '}';
}
