#include "symbols/SecurityMasterData.h"

#include <json/reader.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <exception>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "db/EnumLookup.h"
#include "db/TableColumns.h"
#include "ledgerdb/HEnum.h"
#include "platform/DebugOutput.h"
#include "symbols/JsonListSplitter.h"
#include "symbols/PlainJsonObject.h"
#include "values/Utf8Text.h"

namespace vo {

using namespace SymColumn;

namespace {

struct AnswerField {
  int column;
  const char* key;
};

// The members of an answer's security object and the sym_table column each fills.
constexpr AnswerField kCanonicalFields[] = {
    {0, "vo_symbol"},
    {1, "vo_client_research_symbol"},
    {2, "cusip"},
    {3, "security_type"},
    {4, "option_expiration_date"},
    {5, "option_strike_price"},
    {6, "contract_lot_size"},
    {7, "option_underlying_symbol"},
    {13, "leap_year_or_not"},
    {15, "lot_size"},
    {16, "multiplier"},
    {18, "verified"},
    {19, "currency"},
    {21, "conversion_rate"},
    {24, "currency_x"},
    {25, "vo_symbol"},
    {26, "id"},
    {27, "updated_at"},
};

// The members of a broker list element that fill a rename record; its
// sym_vo_sym is the canonical symbol of the element's security.
constexpr AnswerField kBrokerFields[] = {
    {0, "broker_symbol"},
    {26, "id"},
};

// sym_type for a security type the enumeration does not know: SecurityTypeUndefined.
constexpr int32_t kUndefinedSecurityType = 14;

constexpr size_t kVoSymbolField = 0;  // kCanonicalFields[0]
// The member of a list element that holds its security object.
constexpr char kSecurityKey[] = "security";

std::string PlainDecimal(double value) {
  if (value == 0) return "0";  // also -0
  char text[400];
  auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  if (error != std::errc()) return "";
  return std::string(text, end);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// A name with a control character is no symbol name: a NUL in it would cut it
// short wherever it is read as C text, and every later update naming it
// fails. Nor is one that is not UTF-8, which no JSON or CSV reader of the
// ledger could take.
bool IsNoName(const std::string& name) {
  return !Utf8Text::IsValid(name) || std::any_of(name.begin(), name.end(), [](char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
  });
}

// The text for sym_table column `column` from the text of its member.
std::string ConvertField(int column, const std::string& text) {
  switch (column) {
    case kSymLeap:
      return text == "Y" || text == "y" ? "1" : "0";
    case kSymVerified:
      return Lower(text) == "true" ? "1" : "0";
    case kSymType: {
      int32_t type = ValueOfFriendlyString("SecurityType", text);
      return std::to_string(type == HEnum::kNoValue ? kUndefinedSecurityType : type);
    }
    default:
      return text;
  }
}

}  // namespace

struct SecurityMasterData::ElementTexts {
  bool object = false;
  bool securityObject = false;
  std::string security[std::size(kCanonicalFields)];
  std::string broker[std::size(kBrokerFields)];

  // From a plain element's members: the last "security" member counts, with
  // its own members; a member repeated keeps its last text.
  explicit ElementTexts(const std::vector<PlainJsonObject::Member>& members) : object(true) {
    int counting = PlainJsonObject::kTopLevel;  // the security object that counts, if any
    for (size_t i = 0; i < members.size(); ++i) {
      const PlainJsonObject::Member& member = members[i];
      if (member.parent == PlainJsonObject::kTopLevel) {
        if (member.key == kSecurityKey) {
          securityObject = member.object;
          counting = member.object ? static_cast<int>(i) : PlainJsonObject::kTopLevel;
          for (std::string& text : security) text.clear();
        }
        AssignTo(kBrokerFields, broker, member);
      } else if (member.parent == counting) {
        AssignTo(kCanonicalFields, security, member);
      }
    }
  }
  ElementTexts() = default;

 private:
  template <size_t N>
  static void AssignTo(const AnswerField (&fields)[N], std::string (&texts)[N], const PlainJsonObject::Member& member) {
    for (size_t i = 0; i < N; ++i) {
      if (member.key == fields[i].key) texts[i] = member.text;
    }
  }
};

bool SecurityMasterData::Parse(const std::string& text) {
  std::optional<bool> read = ParseByElement(text);
  if (read) return *read;
  // Read whole, a document takes about fifty times its size in memory, so
  // only a small one is: an answer of the protocol's plain shape never needs
  // to be.
  if (text.size() > kMaxWholeParseBytes) {
    DebugOutput("Security master answer refused: " + std::to_string(text.size()) +
                " bytes not of the plain shape of an answer");
    return false;
  }
  return ParseWhole(text);
}

bool SecurityMasterData::ParseMore(const std::string& text) {
  SecurityMasterData answer;
  const bool parsed = answer.Parse(text);
  for (const auto& [name, fields] : answer.canonical_) canonical_.Add(name, fields);  // keeps the records already here
  for (const auto& [name, fields] : answer.renames_) {
    if (fields.Get(kSymSource) == kSecurityMasterSource) {  // from a global list
      renames_.Put(name, fields);
    } else {
      renames_.Add(name, fields);
    }
  }
  return parsed;
}

std::optional<bool> SecurityMasterData::ParseByElement(const std::string& text) {
  canonical_.clear();
  renames_.clear();
  std::optional<JsonListSplitter::Lists> lists =
      JsonListSplitter::Split(text, {"BrokerSecurityDetails", "GlobalSecurityRecords"});
  if (!lists) return std::nullopt;
  const auto& brokerList = (*lists)[0];
  const auto& globalList = (*lists)[1];
  // A record is a few hundred bytes; one of megabytes is padding, which the
  // reader would turn into a tree of many times its size.
  for (const auto& list : *lists) {
    if (!list) continue;
    for (std::string_view element : *list) {
      if (element.size() <= kMaxRecordBytes) continue;
      DebugOutput("Security master answer refused: a record of " + std::to_string(element.size()) + " bytes");
      return false;
    }
  }

  // Each element is read on its own, as the reader would read it inside the
  // document; one it cannot read makes the whole document unreadable, which
  // the whole parse then reports.
  bool allRead = true;
  auto readList = [&](const std::vector<std::string_view>& elements, ListKind kind) {
    Json::Reader reader;
    std::vector<PlainJsonObject::Member> members;
    for (std::string_view elementText : elements) {
      std::optional<ElementTexts> texts;
      if (PlainJsonObject::Read(elementText, members)) {
        texts.emplace(members);
      } else {
        Json::Value element;
        try {
          if (!reader.parse(elementText.data(), elementText.data() + elementText.size(), element, false)) return false;
        } catch (const std::exception&) {
          return false;
        }
        texts = TextsOf(element);
      }
      if (!ReadElement(*texts, kind) && kind == ListKind::kGlobal) allRead = false;
    }
    return true;
  };
  if (brokerList && !readList(*brokerList, ListKind::kBroker)) return std::nullopt;
  if (!globalList) return false;
  if (!readList(*globalList, ListKind::kGlobal)) return std::nullopt;
  return allRead;
}

bool SecurityMasterData::ParseWhole(const std::string& text) {
  canonical_.clear();
  renames_.clear();

  Json::Reader reader;
  Json::Value document;
  // The reader throws rather than fails on some input (nesting past its stack
  // limit); an answer it cannot read is a parse failure either way.
  try {
    if (!reader.parse(text, document, true)) return false;
  } catch (const std::exception&) {
    return false;
  }
  if (!document.isObject()) return false;

  Json::Value& brokerList = document["BrokerSecurityDetails"];
  if (brokerList.isArray()) ReadList(brokerList, ListKind::kBroker);

  // An answer without the global list is not an answer of the protocol.
  Json::Value& globalList = document["GlobalSecurityRecords"];
  if (!globalList.isArray()) return false;
  return ReadList(globalList, ListKind::kGlobal);
}

bool SecurityMasterData::ReadList(Json::Value& list, ListKind kind) {
  // The document is as large as the records read from it: each element goes
  // as soon as it is read, so that both are never held whole at once.
  bool allRead = true;
  for (Json::Value& element : list) {
    if (!ReadElement(TextsOf(element), kind)) allRead = false;
    element = Json::Value();
  }
  return allRead;
}

SecurityMasterData::ElementTexts SecurityMasterData::TextsOf(const Json::Value& element) {
  ElementTexts texts;
  texts.object = element.isObject();
  if (!texts.object) return texts;
  for (size_t i = 0; i < std::size(kBrokerFields); ++i) texts.broker[i] = ValueText(element[kBrokerFields[i].key]);
  const Json::Value& security = element[kSecurityKey];
  texts.securityObject = security.isObject();
  if (!texts.securityObject) return texts;
  for (size_t i = 0; i < std::size(kCanonicalFields); ++i) {
    texts.security[i] = ValueText(security[kCanonicalFields[i].key]);
  }
  return texts;
}

bool SecurityMasterData::ReadElement(const ElementTexts& element, ListKind kind) {
  if (!element.object || !element.securityObject) return false;

  const std::string& key = element.security[kVoSymbolField];
  if (key.empty()) return false;
  if (IsNoName(key)) {
    DebugOutput("Security master record skipped: its vo_symbol holds a control character or is not UTF-8");
    return true;
  }
  if (!canonical_.contains(key)) {
    SymbolFields record{{kSymSource, kSecurityMasterSource}};
    for (size_t i = 0; i < std::size(kCanonicalFields); ++i) {
      record[kCanonicalFields[i].column] = ConvertField(kCanonicalFields[i].column, element.security[i]);
    }
    canonical_.Add(key, record);
  }

  if (kind == ListKind::kGlobal) {
    renames_.Put(key, SymbolFields{{kSymSource, kSecurityMasterSource}, {kSymVoSym, key}});
    return true;
  }

  SymbolFields rename{{kSymVoSym, key}};
  for (size_t i = 0; i < std::size(kBrokerFields); ++i) rename[kBrokerFields[i].column] = element.broker[i];
  const std::string& brokerSymbol = rename[kSymName];
  if (brokerSymbol.empty()) return false;
  if (IsNoName(brokerSymbol)) {
    DebugOutput("Security master record of " + key +
                " skipped: its broker symbol holds a control character or is not UTF-8");
    return true;
  }
  renames_.Add(brokerSymbol, rename);
  return true;
}

std::string SecurityMasterData::ValueText(const Json::Value& value) {
  switch (value.type()) {
    case Json::stringValue:
      return value.asString();
    case Json::intValue:
      return std::to_string(value.asLargestInt());
    case Json::uintValue:
      return std::to_string(value.asLargestUInt());
    case Json::realValue:
      return PlainDecimal(value.asDouble());
    case Json::booleanValue:
      return value.asBool() ? "true" : "false";
    default:
      return "";
  }
}

}  // namespace vo
