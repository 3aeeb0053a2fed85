// The option data of one broker record: what kind of security it is and, for
// a call or a put, its underlying, expiration and strike, read from the
// broker's symbol text (IBM Jan 17 '09 $50 Call) or from its description
// (1 IBM JAN-09 50 Call).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/EnumValues.h"
#include "import/ParseSecurityType.h"

namespace vo {

struct OptionData {
  // A stock with nothing read yet; the readers below fill it.
  OptionData() = default;
  // Extracts from the symbol when it names a call or a put in the given
  // wording (blank-bounded: " Call", " Put"; anywhere: "Call", "Put", "CALL",
  // "PUT") and then rebuilds the symbol as an option symbol; otherwise from
  // the description, keeping the symbol. Problems are logged as Error lines;
  // a year that is not a whole number throws the conversion error of ToInt.
  OptionData(const std::string& symbolText, const std::string& descriptionText, OptionWords words);

  int32_t securityType = kSecurityTypeStock;  // stock, call, put or undefined
  std::string description;                    // as given
  std::string symbol;                         // as given, or the built option symbol
  std::string underlying;
  std::string expiration;  // "1/17/2009 23:59:59"
  std::string strike;      // without a leading "$"
};

// underlying + YYMMDD + "C" (call) or "P" (anything else) + the strike's whole
// part padded to 5 digits + its fraction padded to 3: IBM090117C00050000.
// Parts longer than their width are kept whole.
std::string OptionSymbol(const std::string& underlying, const std::string& expiration,
                         int32_t securityType, const std::string& strike);

// Reads an OCC-style option symbol: the underlying, the expiration as YYMMDD,
// C or P, and the strike, either as eight digits in thousandths
// ("SPY   221118C00400000") or as written ("-SPY221118C400", a leading "-"
// and blanks allowed). False, and `option` unchanged, when the text is none.
// On success the option is a call or a put with its underlying, expiration,
// strike (no trailing zeros) and the symbol built by OptionSymbol.
bool ReadOccSymbol(std::string_view text, OptionData& option);

// A strike without trailing zeros after its point: "150.00" is 150, "22.50" is 22.5.
std::string PlainStrike(std::string strike);

// kSecurityTypeCall for "C", "CALL" or "CALLS", kSecurityTypePut for "P",
// "PUT" or "PUTS" (any case, blanks around ignored); kSecurityTypeStock otherwise.
int32_t OptionKindOfWord(std::string_view word);

}  // namespace vo
