#include "symbols/SecurityMasterData.h"

#include <json/reader.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <exception>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "db/EnumLookup.h"
#include "ledgerdb/HEnum.h"
#include "platform/DebugOutput.h"
#include "symbols/SymbolColumns.h"

using namespace symbol_columns;

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

const char* KeyOf(int column) {
  for (const AnswerField& field : kCanonicalFields) {
    if (field.column == column) return field.key;
  }
  return nullptr;
}

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
// short wherever it is read as C text, and every later update naming it fails.
bool HasControlCharacter(const std::string& name) {
  return std::any_of(name.begin(), name.end(), [](char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
  });
}

// The two lists of an answer, each as the texts of its elements; a list the
// answer does not carry is absent.
struct AnswerLists {
  std::optional<std::vector<std::string_view>> broker;
  std::optional<std::vector<std::string_view>> global;
};

// Deeper nesting than an answer ever has is left to the whole parse.
constexpr int kMaxElementDepth = 64;

// Splits an answer into its list elements without building the document. Only
// the plain shape is taken: an object whose only members are the two lists,
// each an array of objects, no comments, no escapes in member names, nothing
// after the object. Anything else gives nullopt, and the caller reads the
// document whole, so every answer reads as the whole parse reads it.
class AnswerSplitter {
 public:
  explicit AnswerSplitter(std::string_view text) : at_(text.data()), end_(text.data() + text.size()) {}

  std::optional<AnswerLists> Split() {
    AnswerLists lists;
    SkipSpace();
    if (!Take('{')) return std::nullopt;
    SkipSpace();
    if (Take('}')) return Finished(lists);
    do {
      SkipSpace();
      std::string_view name;
      if (!Name(name)) return std::nullopt;
      SkipSpace();
      if (!Take(':')) return std::nullopt;
      std::optional<std::vector<std::string_view>>* list = nullptr;
      if (name == "BrokerSecurityDetails") list = &lists.broker;
      if (name == "GlobalSecurityRecords") list = &lists.global;
      if (list == nullptr || list->has_value()) return std::nullopt;  // another member, or one given twice
      SkipSpace();
      if (!Elements(list->emplace())) return std::nullopt;
      SkipSpace();
    } while (Take(','));
    if (!Take('}')) return std::nullopt;
    return Finished(lists);
  }

 private:
  std::optional<AnswerLists> Finished(AnswerLists& lists) {
    SkipSpace();
    if (at_ != end_) return std::nullopt;
    return std::move(lists);
  }

  void SkipSpace() {
    while (at_ != end_ && (*at_ == ' ' || *at_ == '\t' || *at_ == '\n' || *at_ == '\r')) ++at_;
  }
  bool Take(char c) {
    if (at_ == end_ || *at_ != c) return false;
    ++at_;
    return true;
  }

  // A member name without escapes; `name` is its text between the quotes.
  bool Name(std::string_view& name) {
    if (!Take('"')) return false;
    const char* start = at_;
    while (at_ != end_ && *at_ != '"') {
      if (*at_ == '\\') return false;
      ++at_;
    }
    if (at_ == end_) return false;
    name = std::string_view(start, static_cast<size_t>(at_ - start));
    ++at_;
    return true;
  }

  // An array of objects: the text of each object.
  bool Elements(std::vector<std::string_view>& elements) {
    if (!Take('[')) return false;
    SkipSpace();
    if (Take(']')) return true;
    do {
      SkipSpace();
      const char* start = at_;
      if (at_ == end_ || *at_ != '{' || !SkipNested()) return false;
      elements.emplace_back(start, static_cast<size_t>(at_ - start));
      SkipSpace();
    } while (Take(','));
    return Take(']');
  }

  // From an opening bracket to just past the bracket that closes it, strings
  // and their escapes skipped as the reader skips them.
  bool SkipNested() {
    int depth = 0;
    while (at_ != end_) {
      char c = *at_++;
      if (c == '"') {
        while (at_ != end_ && *at_ != '"') at_ += *at_ == '\\' && at_ + 1 != end_ ? 2 : 1;
        if (at_ == end_) return false;
        ++at_;
      } else if (c == '{' || c == '[') {
        if (++depth > kMaxElementDepth) return false;
      } else if (c == '}' || c == ']') {
        if (--depth == 0) return true;
      } else if (c == '/') {
        return false;  // a comment, which may hold brackets
      }
    }
    return false;
  }

  const char* at_;
  const char* end_;
};

std::optional<AnswerLists> SplitAnswer(const std::string& text) { return AnswerSplitter(text).Split(); }

}  // namespace

bool SecurityMasterData::Parse(const std::string& text) {
  std::optional<bool> read = ParseByElement(text);
  return read ? *read : ParseWhole(text);
}

std::optional<bool> SecurityMasterData::ParseByElement(const std::string& text) {
  canonical_.clear();
  renames_.clear();
  std::optional<AnswerLists> lists = SplitAnswer(text);
  if (!lists) return std::nullopt;

  // Each element is read on its own, as the reader would read it inside the
  // document; one it cannot read makes the whole document unreadable, which
  // the whole parse then reports.
  bool allRead = true;
  auto readList = [&](const std::vector<std::string_view>& elements, ListKind kind) {
    Json::Reader reader;
    for (std::string_view elementText : elements) {
      Json::Value element;
      try {
        if (!reader.parse(elementText.data(), elementText.data() + elementText.size(), element, true)) return false;
      } catch (const std::exception&) {
        return false;
      }
      if (!ReadElement(element, kind) && kind == ListKind::kGlobal) allRead = false;
    }
    return true;
  };
  if (lists->broker && !readList(*lists->broker, ListKind::kBroker)) return std::nullopt;
  if (!lists->global) return false;
  if (!readList(*lists->global, ListKind::kGlobal)) return std::nullopt;
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
    if (!ReadElement(element, kind)) allRead = false;
    element = Json::Value();
  }
  return allRead;
}

bool SecurityMasterData::ReadElement(const Json::Value& element, ListKind kind) {
  if (!element.isObject()) return false;
  const Json::Value& security = element["security"];
  if (!security.isObject()) return false;

  std::string key = ValueText(security["vo_symbol"]);
  if (key.empty()) return false;
  if (HasControlCharacter(key)) {
    DebugOutput("Security master record skipped: its vo_symbol holds a control character");
    return true;
  }
  if (!canonical_.contains(key)) {
    SymbolFields record{{kSymSource, kSecurityMasterSource}};
    for (const AnswerField& field : kCanonicalFields) {
      record[field.column] = ConvertField(security, field.column);
    }
    canonical_.emplace(key, PackedFields(record));
  }

  if (kind == ListKind::kGlobal) {
    renames_[key] = PackedFields(SymbolFields{{kSymSource, kSecurityMasterSource}, {kSymVoSym, key}});
    return true;
  }

  SymbolFields rename{{kSymVoSym, key}};
  for (const AnswerField& field : kBrokerFields) {
    rename[field.column] = ValueText(element[field.key]);
  }
  const std::string& brokerSymbol = rename[kSymName];
  if (brokerSymbol.empty()) return false;
  if (HasControlCharacter(brokerSymbol)) {
    DebugOutput("Security master record skipped: its broker symbol holds a control character");
    return true;
  }
  if (!renames_.contains(brokerSymbol)) renames_.emplace(brokerSymbol, PackedFields(rename));
  return true;
}

std::string SecurityMasterData::ConvertField(const Json::Value& security, int column) {
  const char* key = KeyOf(column);
  if (key == nullptr) return "";
  std::string text = ValueText(security[key]);

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
