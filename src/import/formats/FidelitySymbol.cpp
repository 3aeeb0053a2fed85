#include "import/formats/FidelitySymbol.h"

#include <iterator>
#include <sstream>
#include <vector>

#include "db/EnumValues.h"
#include "db/TableColumns.h"
#include "import/FieldText.h"
#include "import/OptionDates.h"
#include "import/SymbolDefaults.h"

namespace vo {

namespace {

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// The parts of text between '/'; missing ones are empty.
std::vector<std::string> DateParts(const std::string& date) {
  std::vector<std::string> parts;
  std::istringstream in(date);
  for (std::string part; std::getline(in, part, '/');) parts.push_back(part);
  parts.resize(3);
  return parts;
}

}  // namespace

SymbolFields FidelitySymbol(int32_t securityType, const std::string& symbol,
                            const std::string& description, const std::string& tradeDate) {
  using namespace SymColumn;
  SymbolFields fields;
  SymbolDefaults(securityType, fields);
  fields[kSymName] = symbol;
  fields[kSymResearch] = symbol;
  fields[kSymDesc] = description;
  fields[kCurName] = "USD";
  if (securityType != kSecurityTypeCall && securityType != kSecurityTypePut) return fields;

  const std::vector<std::string> words = Words(description);
  const std::vector<std::string> date = DateParts(tradeDate);
  int32_t month = 0, year = 0;
  std::string strike = "1";
  bool strikeFound = false;
  for (size_t i = 0; i < words.size(); ++i) {
    int32_t named = MonthNumber(words[i]);
    if (named == 0) continue;
    // An option traded after its month has passed expires in the next year.
    month = named;
    year = ToInt(date[2]) + (ToInt(date[0]) > named ? 1 : 0);
    if (!strikeFound) {
      strike = i + 1 < words.size() ? words[i + 1] : std::string();
      strikeFound = true;
    }
  }
  if (month != 0) fields[kSymExpDate] = OptionExpirationDate(year, month, 0);
  fields[kSymStrike] = strike;
  return fields;
}

}  // namespace vo
