#include "symbols/SecurityMasterRequest.h"

#include <array>

#include "db/EnumLookup.h"
#include "symbols/SymbolColumns.h"

using namespace symbol_columns;

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

}  // namespace

SecurityMasterRequest::SecurityMasterRequest()
    : brokerDetails_(Json::arrayValue), globalRecords_(Json::arrayValue) {}

bool SecurityMasterRequest::AddSymbolRow(const std::vector<std::string>& names,
                                         const std::vector<std::string>& row) {
  bool global = row.size() > kSymSource && row[kSymSource] == kSecurityMasterSource;

  Json::Value object(Json::objectValue);
  auto addColumns = [&](const auto& columns) {
    for (int column : columns) {
      size_t index = static_cast<size_t>(column);
      if (index >= row.size() || index >= names.size()) return false;
      std::string value = row[index];
      if (column == kSymSource && value.empty()) value = kDefaultBrokerSource;
      if (column == kSymLeap) value = value == "0" ? "N" : "Y";
      if (!IsRequestable(column, value)) return false;
      object[names[index]] = value;
    }
    return true;
  };
  if (!(global ? addColumns(kGlobalColumns) : addColumns(kBrokerColumns))) return false;

  (global ? globalRecords_ : brokerDetails_).append(std::move(object));
  return true;
}

unsigned SecurityMasterRequest::Count() const {
  return brokerDetails_.size() + globalRecords_.size();
}

std::string SecurityMasterRequest::Text() {
  Json::Value root(Json::objectValue);
  root["broker_security_details"] = brokerDetails_;
  root["global_security_records"] = globalRecords_;
  return writer_.write(root);
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
