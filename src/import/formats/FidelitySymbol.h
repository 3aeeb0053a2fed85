// The decoded symbol of a Fidelity record, shared by both Fidelity layouts.
// Fidelity names an option's expiration month and strike only in the security
// description ("CALL (IBM) INTL BUSINESS MACHS JAN 105 (100 SHS)"); the year
// comes from the trade date.
#pragma once

#include <cstdint>
#include <string>

#include "db/SymbolFields.h"

namespace vo {

// The defaults for the security type, the symbol as name and research symbol,
// the description and the currency "USD". For a call or a put also:
// - the expiration: third Friday of the month of the last month name in the
//   description, in the trade date's year, or the next year when the trade's
//   month is later than that month; left out when no word is a month name;
// - the strike: the word after the first month name, "1" when there is none.
// The trade date is month/day/year; when the description names a month, a
// month or year part that is not a whole number throws the conversion error
// of ToInt.
SymbolFields FidelitySymbol(int32_t securityType, const std::string& symbol,
                            const std::string& description, const std::string& tradeDate);

}  // namespace vo
