// The reference data of a security master: canonical securities by symbol and
// the broker symbols that stand for them. Answers the symbol update's request
// documents. The reference file is a JSON object:
//   {"securities": [{"vo_symbol": "NEW", "security_type": "Stock", "id": "7", ...}],
//    "broker_symbols": {"OLD": "NEW"}}
// where each security carries the members of the answer's security objects.
// Each security is kept as its compact JSON text, written once when loaded:
// an answer is put together from these texts, so that answering a hundred
// thousand symbols neither copies nor writes a tree of JSON values.
#pragma once

#include <map>
#include <string>

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
  struct Security {
    std::string text;       // the security object as compact JSON
    std::string idText;     // its "id" member as compact JSON ("null" when absent)
    std::string updatedAt;  // its "updated_at" text
  };

  // The security a broker symbol or canonical symbol stands for; null when unknown.
  const Security* Resolve(const std::string& symbol) const;

  std::map<std::string, Security> securities_;
  std::map<std::string, std::string> brokerSymbols_;
};
