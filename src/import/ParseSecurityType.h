// Recognising a call or a put in a broker's text. Each format picks one of two
// wordings: blank-bounded words (" Put ", " CALL ") or the words anywhere
// ("Put", "CALL"); both are case-sensitive and test put words first.
#pragma once

#include <cstdint>
#include <string>

namespace vo {

enum class OptionWords {
  kBlankBounded,  // " Put ", " PUT ", " PUTS "; " Call ", " CALL ", " CALLS "
  kAnywhere,      // "Put", "PUT", "PUTS"; "Call", "CALL", "CALLS"
};

// SecurityType of a description: stock when it does not start with a whole
// number; otherwise put or call by the words; otherwise undefined, with the
// Error line "ParseSecurityType - Unknown Option Type" + text in the run log.
int32_t ParseSecurityType(const std::string& text, OptionWords words);

}  // namespace vo
