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
  if (names != layout_.names) layout_ = ObjectLayout(names);

  // The row's values, checked in column order.
  auto readColumns = [&](const auto& columns) {
    for (int column : columns) {
      size_t index = static_cast<size_t>(column);
      if (index >= row.size() || index >= names.size()) return false;
      std::string& value = values_[index];
      value = row[index];
      if (column == kSymSource && value.empty()) value = kDefaultBrokerSource;
      if (column == kSymLeap) value = value == "0" ? "N" : "Y";
      if (!IsRequestable(column, value)) return false;
    }
    return true;
  };
  if (values_.size() < names.size()) values_.resize(names.size());
  if (!(global ? readColumns(kGlobalColumns) : readColumns(kBrokerColumns))) return false;

  std::string& object = object_;
  object = "{";
  for (size_t index : global ? layout_.globalOrder : layout_.brokerOrder) {
    if (object.size() > 1) object += ',';
    object += layout_.quotedNames[index];
    object += ':';
    AppendQuoted(values_[index], object);
  }
  object += '}';
  (global ? globalRecords_ : brokerDetails_).Append(object);
  ++count_;
  return true;
}

SecurityMasterRequest::Layout SecurityMasterRequest::ObjectLayout(const std::vector<std::string>& names) const {
  Layout layout;
  layout.names = names;
  layout.quotedNames.resize(names.size());
  for (size_t i = 0; i < names.size(); ++i) layout.quotedNames[i] = Quoted(names[i]);
  // A JSON object writes its members in byte order of their names; a name
  // given twice keeps its last value.
  auto order = [&](const auto& columns) {
    std::vector<size_t> indexes;
    for (int column : columns) {
      if (static_cast<size_t>(column) < names.size()) indexes.push_back(static_cast<size_t>(column));
    }
    std::stable_sort(indexes.begin(), indexes.end(), [&](size_t a, size_t b) { return names[a] < names[b]; });
    std::vector<size_t> kept;
    for (size_t i = 0; i < indexes.size(); ++i) {
      if (i + 1 < indexes.size() && names[indexes[i + 1]] == names[indexes[i]]) continue;
      kept.push_back(indexes[i]);
    }
    return kept;
  };
  layout.brokerOrder = order(kBrokerColumns);
  layout.globalOrder = order(kGlobalColumns);
  return layout;
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

void SecurityMasterRequest::AppendQuoted(const std::string& text, std::string& out) const {
  // Printable ASCII other than a quote or a backslash stands as it is in the
  // writer's output; anything else goes through the writer's own quoting.
  const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
    return c >= 0x20 && c <= 0x7e && c != '"' && c != '\\';
  });
  if (!plain) {
    out += Quoted(text);
    return;
  }
  out += '"';
  out += text;
  out += '"';
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
