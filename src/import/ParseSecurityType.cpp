#include "import/ParseSecurityType.h"

#include <array>
#include <string_view>

#include "db/EnumValues.h"
#include "import/FieldText.h"
#include "logging/RunLog.h"

namespace vo {

namespace {

using WordList = std::array<std::string_view, 3>;

struct Wording {
  WordList puts;
  WordList calls;
};

constexpr Wording kBlankBounded = {{" Put ", " PUT ", " PUTS "}, {" Call ", " CALL ", " CALLS "}};
constexpr Wording kAnywhere = {{"Put", "PUT", "PUTS"}, {"Call", "CALL", "CALLS"}};

bool ContainsAny(const std::string& text, const WordList& words) {
  for (std::string_view word : words) {
    if (text.find(word) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

int32_t ParseSecurityType(const std::string& text, OptionWords words) {
  int32_t leadingNumber = 0;
  if (!ReadLeadingInt(text, leadingNumber)) return kSecurityTypeStock;
  const Wording& wording = words == OptionWords::kBlankBounded ? kBlankBounded : kAnywhere;
  if (ContainsAny(text, wording.puts)) return kSecurityTypePut;
  if (ContainsAny(text, wording.calls)) return kSecurityTypeCall;
  RunLog::Instance("", "")->Error("ParseSecurityType - Unknown Option Type" + text);
  return kSecurityTypeUndefined;
}

}  // namespace vo
