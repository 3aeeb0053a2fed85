#include "db/EnumLookup.h"

#include "ledgerdb/HEnum.h"

namespace vo {

int32_t ValueOfFriendlyString(const std::string& enumName, const std::string& text) {
  const HEnum* enumeration = HEnum::GetEnum(enumName);
  return enumeration ? enumeration->GetByFriendlyString(text) : HEnum::kNoValue;
}

}  // namespace vo
