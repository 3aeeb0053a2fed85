// The one shared lookup of an enumeration member by its friendly string.
#pragma once

#include <cstdint>
#include <string>

namespace vo {

// The value the named enumeration holds for the text; HEnum::kNoValue when the
// enumeration or the text is unknown.
int32_t ValueOfFriendlyString(const std::string& enumName, const std::string& text);

}  // namespace vo
