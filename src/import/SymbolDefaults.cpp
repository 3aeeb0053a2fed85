#include "import/SymbolDefaults.h"

#include "db/EnumValues.h"
#include "db/TableColumns.h"
#include "import/OptionData.h"
#include "values/DecimalText.h"

namespace vo {

using namespace SymColumn;

void SymbolDefaults(int32_t securityType, SymbolFields& fields) {
  fields[kSymMultiplier] = "1";
  fields[kSymCurConvRate] = "1";
  fields[kCurName2] = "USD";
  fields[kSymType] = ToText(securityType);
  fields[kSymLotSize] = "1";
  fields[kSymVerified] = "0";
  switch (securityType) {
    case kSecurityTypeStock:
      fields[kSymContSize] = "1";
      break;
    case kSecurityTypeCall:
    case kSecurityTypePut:
      fields[kSymContSize] = "100";
      if (fields[kSymUnder].empty()) fields[kSymUnder] = "!STOCK!";
      fields[kSymLeap] = "0";
      break;
    case kSecurityTypeCallIndexOption:
    case kSecurityTypePutIndexOption:
      fields[kSymUnder] = "!INDEX!";
      break;
    case kSecurityTypeMutualFund:
    case kSecurityTypeBond:
    case kSecurityTypeCash:
      fields[kSymContSize] = "0";
      break;
    default:
      break;
  }
}

void SymbolFromOptionData(const OptionData& option, SymbolFields& fields) {
  SymbolDefaults(option.securityType, fields);
  fields[kSymName] = option.symbol;
  fields[kSymResearch] = option.symbol;
  fields[kSymDesc] = option.description;
  if (option.securityType == kSecurityTypeCall || option.securityType == kSecurityTypePut) {
    fields[kSymUnder] = option.underlying;
    fields[kSymExpDate] = option.expiration;
    fields[kSymStrike] = option.strike;
  }
}

}  // namespace vo
