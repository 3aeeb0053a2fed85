// The option data of one broker record: what kind of security it is and, for
// a call or a put, its underlying, expiration and strike, read from the
// broker's symbol text (IBM Jan 17 '09 $50 Call) or from its description
// (1 IBM JAN-09 50 Call).
#pragma once

#include <cstdint>
#include <string>

#include "db/EnumValues.h"
#include "import/ParseSecurityType.h"

struct OptionData {
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
