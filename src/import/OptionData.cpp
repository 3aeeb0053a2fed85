#include "import/OptionData.h"

#include <sstream>
#include <string_view>
#include <vector>

#include "import/OptionDates.h"
#include "logging/RunLog.h"

namespace {

// Reads up to `count` whitespace-separated words; missing ones stay empty.
// Returns how many were read.
size_t ReadWords(const std::string& text, std::vector<std::string>& words, size_t count) {
  words.assign(count, std::string());
  std::istringstream in(text);
  size_t read = 0;
  while (read < count && in >> words[read]) ++read;
  return read;
}

void DropLeading(std::string& text, char c) {
  if (!text.empty() && text.front() == c) text.erase(0, 1);
}

bool ContainsAny(const std::string& text, std::initializer_list<std::string_view> words) {
  for (std::string_view word : words) {
    if (text.find(word) != std::string::npos) return true;
  }
  return false;
}

std::string PaddedLeft(const std::string& text, size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), '0') + text;
}

std::string PaddedRight(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), '0');
}

// Fills the option fields from "IBM Jan 17 '09 $50 Call".
void ExtractFromSymbolText(OptionData& data, const std::string& text, OptionWords words) {
  std::vector<std::string> w;
  if (ReadWords(text, w, 6) < 6) {
    RunLog::Instance("", "")->Error("Error extracting option data from Symbol: " + text);
  }
  DropLeading(w[3], '\'');
  DropLeading(w[4], '$');
  data.underlying = w[0];
  data.expiration = ExpirationFromParts(w[3], w[1], w[2]);
  data.strike = w[4];
  bool call = w[5] == "Call" || (words == OptionWords::kAnywhere && w[5] == "CALL");
  data.securityType = call ? kSecurityTypeCall : kSecurityTypePut;
}

// Fills the option fields from "1 IBM JAN-09 50 Call".
void ExtractFromDescription(OptionData& data, OptionWords words) {
  data.securityType = ParseSecurityType(data.description, words);
  if (data.securityType != kSecurityTypeCall && data.securityType != kSecurityTypePut) return;

  std::vector<std::string> w;
  if (ReadWords(data.description, w, 4) < 4) {
    RunLog::Instance("", "")->Error("Error extracting option data from Description: " +
                                    data.description);
  }
  data.underlying = w[1];
  const std::string& dateCode = w[2];
  if (dateCode.size() >= 6) {
    DropLeading(w[3], '$');
    data.strike = w[3];
    data.expiration = ExpirationFromParts(dateCode.substr(4), dateCode.substr(0, 3), "");
  } else {
    ExtractFromSymbolText(
        data, data.description.substr(std::min(w[0].size(), data.description.size())), words);
  }
}

}  // namespace

OptionData::OptionData(const std::string& symbolText, const std::string& descriptionText,
                       OptionWords words)
    : description(descriptionText), symbol(symbolText) {
  bool symbolNamesOption = words == OptionWords::kBlankBounded
                               ? ContainsAny(symbol, {" Call", " Put"})
                               : ContainsAny(symbol, {"Call", "Put", "CALL", "PUT"});
  if (symbolNamesOption) {
    ExtractFromSymbolText(*this, symbol, words);
    symbol = OptionSymbol(underlying, expiration, securityType, strike);
  } else {
    ExtractFromDescription(*this, words);
  }
}

std::string OptionSymbol(const std::string& underlying, const std::string& expiration,
                         int32_t securityType, const std::string& strike) {
  // "M/D/YYYY 23:59:59": YY is the third and fourth character of the year part.
  size_t firstSlash = expiration.find('/');
  size_t secondSlash =
      firstSlash == std::string::npos ? std::string::npos : expiration.find('/', firstSlash + 1);
  std::string month = expiration.substr(0, firstSlash);
  std::string day, year;
  if (firstSlash != std::string::npos)
    day = expiration.substr(firstSlash + 1, secondSlash - firstSlash - 1);
  if (secondSlash != std::string::npos) year = expiration.substr(secondSlash + 1);
  std::string yy = year.size() > 2 ? year.substr(2, 2) : std::string();

  size_t point = strike.find('.');
  std::string whole = strike.substr(0, point);
  std::string fraction = point == std::string::npos ? std::string() : strike.substr(point + 1);

  return underlying + yy + PaddedLeft(month, 2) + PaddedLeft(day, 2) +
         (securityType == kSecurityTypeCall ? "C" : "P") + PaddedLeft(whole, 5) +
         PaddedRight(fraction, 3);
}
