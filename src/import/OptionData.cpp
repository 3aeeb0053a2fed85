#include "import/OptionData.h"

#include <cctype>
#include <sstream>
#include <string_view>
#include <vector>

#include "import/OptionDates.h"
#include "logging/RunLog.h"

namespace vo {

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

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return !text.empty();
}

int TwoDigits(std::string_view text, size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

// A strike as written: digits with at most one point between digits.
bool IsStrike(std::string_view text) {
  size_t point = text.find('.');
  if (point == std::string_view::npos) return AllDigits(text);
  return AllDigits(text.substr(0, point)) && AllDigits(text.substr(point + 1));
}

}  // namespace

std::string PlainStrike(std::string strike) {
  if (strike.find('.') == std::string::npos) return strike;
  while (strike.back() == '0') strike.pop_back();
  if (strike.back() == '.') strike.pop_back();
  return strike;
}

bool ReadOccSymbol(std::string_view text, OptionData& option) {
  text = Trimmed(text);
  if (text.starts_with('-')) text.remove_prefix(1);
  // The last C or P after six digits and before a strike divides the symbol.
  for (size_t kind = text.size(); kind-- > 6;) {
    if (text[kind] != 'C' && text[kind] != 'P') continue;
    std::string_view strikeText = text.substr(kind + 1);
    std::string_view date = text.substr(kind - 6, 6);
    std::string_view root = Trimmed(text.substr(0, kind - 6));
    if (!IsStrike(strikeText) || !AllDigits(date) || root.empty()) continue;
    bool rootOk = true;
    for (char c : root) rootOk = rootOk && (std::isalnum(static_cast<unsigned char>(c)) || c == '.');
    int month = TwoDigits(date, 2), day = TwoDigits(date, 4);
    if (!rootOk || month < 1 || month > 12 || day < 1 || day > 31) return false;

    std::string strike(strikeText);
    if (strike.size() == 8 && strike.find('.') == std::string::npos) {
      // Thousandths: 00400000 is 400, 00022500 is 22.5.
      strike = std::to_string(std::stoi(strike.substr(0, 5))) + "." + strike.substr(5);
    }
    option.securityType = text[kind] == 'C' ? kSecurityTypeCall : kSecurityTypePut;
    option.underlying = std::string(root);
    option.expiration = OptionExpirationDate(TwoDigits(date, 0), month, day);
    option.strike = PlainStrike(strike);
    option.symbol = OptionSymbol(option.underlying, option.expiration, option.securityType, option.strike);
    return true;
  }
  return false;
}

int32_t OptionKindOfWord(std::string_view word) {
  std::string upper;
  for (char c : Trimmed(word)) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper == "C" || upper == "CALL" || upper == "CALLS") return kSecurityTypeCall;
  if (upper == "P" || upper == "PUT" || upper == "PUTS") return kSecurityTypePut;
  return kSecurityTypeStock;
}

}  // namespace vo
