// The fields every new symbol starts with, and the decoded symbol of a
// record's option data.
#pragma once

#include <cstdint>

#include "db/SymbolFields.h"

namespace vo {

struct OptionData;

// Sets multiplier, conversion rate, second currency, type, lot size and the
// verified flag, then the fields that depend on the security type (contract
// size, the "!STOCK!"/"!INDEX!" underlying placeholder, the leap flag).
// Entries already present are overwritten, except an option's underlying.
void SymbolDefaults(int32_t securityType, SymbolFields& fields);

// The defaults for the option data's type, its symbol as name and research
// symbol, its description, and for a call or a put its underlying,
// expiration and strike.
void SymbolFromOptionData(const OptionData& option, SymbolFields& fields);

}  // namespace vo
