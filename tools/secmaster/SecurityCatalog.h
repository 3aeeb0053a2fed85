// The reference data of a security master: canonical securities by symbol and
// the broker symbols that stand for them. Answers the symbol update's request
// documents. The reference file is a JSON object:
//   {"securities": [{"vo_symbol": "NEW", "security_type": "Stock", "id": "7", ...,
//                    "broker_symbols": ["OLD2"]}],
//    "broker_symbols": {"OLD": "NEW"}}
// where each security carries the members of the answer's security objects and
// may list the broker symbols that stand for it; the top-level map says the
// same for any security. A file without that map is read security by
// security, so that a million securities never stand in memory as one tree of
// JSON values; one with it is read whole.
// Each security is kept as its compact JSON text, written once when loaded:
// an answer is put together from these texts, so that answering a hundred
// thousand symbols neither copies nor writes a tree of JSON values.
#pragma once

#include <json/value.h>

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "HttpAnswer.h"

class SecurityCatalog {
 public:
  // Replaces the catalog with a reference document. False, with `error` set
  // and the catalog unchanged, when the document is not usable.
  bool Load(const std::string& json, std::string& error);
  bool LoadFile(const std::string& path, std::string& error);

  size_t size() const { return securities_.size(); }

  // The answer to a request document: 200 with "BrokerSecurityDetails" (every
  // broker symbol the catalog knows, with its canonical security) and
  // "GlobalSecurityRecords" (every canonical symbol whose data changed since
  // the request's "sym_last_update"); unknown symbols are left out. 400 with
  // an "error" member when the request is not a request document.
  HttpAnswer Respond(const std::string& request) const;

 private:
  // The compact JSON of {"BrokerSecurityDetails": [...], "GlobalSecurityRecords": [...]},
  // members in name order as the JSON writer puts them, written element by element.
  class Answer {
   public:
    // The text to append the next element of the current list to.
    std::string& NextElement() {
      if (!first_) text_ += ',';
      first_ = false;
      return text_;
    }
    void StartGlobalRecords() {
      text_ += "],\"GlobalSecurityRecords\":[";
      first_ = true;
    }
    std::string Finish() {
      text_ += "]}";
      return std::move(text_);
    }

   private:
    std::string text_ = "{\"BrokerSecurityDetails\":[";
    bool first_ = true;
  };

  struct Security {
    std::string text;       // the security object as compact JSON
    std::string idText;     // its "id" member as compact JSON ("null" when absent)
    std::string updatedAt;  // its "updated_at" text
  };

  // The answer from the request's elements, each read on its own; nullopt
  // when the request is not of the plain shape or an element does not read.
  std::optional<std::string> RespondByElement(const std::string& request) const;
  // The answer from the request read as one document.
  HttpAnswer RespondWhole(const std::string& request) const;
  // The members of a request element that the answer needs, read from a
  // tree or from a plain element's members.
  struct RequestElement;
  void AddBrokerDetail(Answer& answer, const RequestElement& detail) const;
  void AddGlobalRecord(Answer& answer, const RequestElement& record) const;

  // Reads the securities from their own texts; nullopt when the document is
  // not of that plain shape, else whether they were usable.
  std::optional<bool> LoadByElement(const std::string& json, std::string& error);
  // Reads the document as one tree.
  bool LoadWhole(const std::string& json, std::string& error);
  // Adds one security of the reference file, with the broker symbols it lists.
  bool AddSecurity(Json::Value security, std::string& error);
  // Adds a broker symbol for a listed security.
  bool AddBrokerSymbol(const std::string& brokerSymbol, const Json::Value& target, std::string& error);

  // The security a broker symbol or canonical symbol stands for; null when unknown.
  const Security* Resolve(const std::string& symbol) const;

  // Looked up by name only, a million at a time: hashed.
  std::unordered_map<std::string, Security> securities_;
  std::unordered_map<std::string, std::string> brokerSymbols_;
};
