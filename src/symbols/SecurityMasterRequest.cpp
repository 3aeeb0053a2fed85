#include "symbols/SecurityMasterRequest.h"

#include <json/writer.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "db/EnumLookup.h"
#include "db/TableColumns.h"

namespace vo {

using namespace SymColumn;

namespace {

// The columns sent for each kind of row, in the order they are checked and written.
constexpr std::array kBrokerColumns = {0, 3, 22, 13, 1, 2, 4, 5, 6, 7, 12,
                                       15, 16, 18, 19, 21, 24, 25, 26, 28, 27};
constexpr std::array kGlobalColumns = {25, 26, 27};

// sym_source sent for a row that names none.
constexpr char kDefaultBrokerSource[] = "XYZBroker";

// The security types the server knows: SecurityTypeStock to SecurityTypeForCurContract.
constexpr int kFirstCheckedType = 0;
constexpr int kLastCheckedType = 10;

// The document around the arrays' objects.
constexpr char kBrokerStart[] = "{\"broker_security_details\":[";
constexpr char kGlobalStart[] = "],\"global_security_records\":[";
constexpr char kEnd[] = "]}\n";

void AppendObject(std::string& text, std::string_view object) {
  if (text.back() != '[') text += ',';
  text += object;
}

}  // namespace

SecurityMasterRequest::SecurityMasterRequest() = default;

bool SecurityMasterRequest::AddSymbolRow(const std::vector<std::string>& names,
                                         const std::vector<std::string>& row) {
  bool global = row.size() > kSymSource && row[kSymSource] == kSecurityMasterSource;

  // (member name, value) in column order.
  std::vector<std::pair<const std::string*, std::string>> members;
  auto addColumns = [&](const auto& columns) {
    for (int column : columns) {
      size_t index = static_cast<size_t>(column);
      if (index >= row.size() || index >= names.size()) return false;
      std::string value = row[index];
      if (column == kSymSource && value.empty()) value = kDefaultBrokerSource;
      if (column == kSymLeap) value = value == "0" ? "N" : "Y";
      if (!IsRequestable(column, value)) return false;
      members.emplace_back(&names[index], std::move(value));
    }
    return true;
  };
  if (!(global ? addColumns(kGlobalColumns) : addColumns(kBrokerColumns))) return false;

  // A JSON object writes its members in byte order of their names; a name
  // given twice keeps its last value.
  std::stable_sort(members.begin(), members.end(),
                   [](const auto& a, const auto& b) { return *a.first < *b.first; });
  std::string object = "{";
  for (size_t i = 0; i < members.size(); ++i) {
    if (i + 1 < members.size() && *members[i + 1].first == *members[i].first) continue;
    if (object.back() != '{') object += ',';
    object += Quoted(*members[i].first);
    object += ':';
    object += Quoted(members[i].second);
  }
  object += '}';
  (global ? globalRecords_ : brokerDetails_).Append(object);
  ++count_;
  return true;
}

void SecurityMasterRequest::Columns(const std::vector<std::string>& names) { columnNames_ = names; }

bool SecurityMasterRequest::Row(const std::vector<std::string>& cells) {
  ++rowsReceived_;
  AddSymbolRow(columnNames_, cells);
  return true;
}

unsigned SecurityMasterRequest::Count() const { return count_; }

std::string SecurityMasterRequest::TakeText() {
  std::string text = kBrokerStart;
  std::string object;
  while (brokerDetails_.Next(object)) AppendObject(text, object);
  text += kGlobalStart;
  while (globalRecords_.Next(object)) AppendObject(text, object);
  text += kEnd;
  return text;
}

size_t SecurityMasterRequest::TakeObjects(size_t count, std::vector<Object>& objects) {
  size_t taken = 0;
  Object object;
  for (; taken < count; ++taken) {
    if (brokerDetails_.Next(object.text)) {
      object.global = false;
    } else if (globalRecords_.Next(object.text)) {
      object.global = true;
    } else {
      break;
    }
    objects.push_back(std::move(object));
  }
  return taken;
}

std::string SecurityMasterRequest::Document(std::span<const Object> objects) {
  std::string text = kBrokerStart;
  for (const Object& object : objects) {
    if (!object.global) AppendObject(text, object.text);
  }
  text += kGlobalStart;
  for (const Object& object : objects) {
    if (object.global) AppendObject(text, object.text);
  }
  text += kEnd;
  return text;
}

std::string SecurityMasterRequest::Quoted(const std::string& text) const {
  if (std::memchr(text.data(), '\0', text.size()) == nullptr) return Json::valueToQuotedString(text.c_str());
  // The quoting function stops at a NUL; the writer takes the whole text.
  std::string quoted = Json::FastWriter().write(Json::Value(text));
  quoted.pop_back();  // the writer's line feed
  return quoted;
}

bool SecurityMasterRequest::IsRequestable(int column, const std::string& value) {
  switch (column) {
    case kSymName:
      return !value.empty() && !IsSpecialSymbol(value);
    case kSymType: {
      int32_t type = ValueOfFriendlyString("SecurityType", value);
      return type >= kFirstCheckedType && type <= kLastCheckedType;
    }
    case kSymSource:
      return !value.empty();
    case kCountTransTable:
      return !value.empty() && value != "0";
    default:
      return true;
  }
}

bool SecurityMasterRequest::IsSpecialSymbol(const std::string& symbol) {
  if (symbol.empty()) return false;
  for (char mark : {'!', '$'}) {
    if (symbol.front() == mark && symbol.back() == mark) return true;
  }
  constexpr size_t kCurrencyPairLength = 7;
  if (symbol.find("USD/") != std::string::npos || symbol.find("/USD") != std::string::npos) {
    return symbol.size() == kCurrencyPairLength;
  }
  return false;
}

}  // namespace vo
