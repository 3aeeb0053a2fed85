// The check on the quantities that callers hand to option expiration.
#pragma once

#include <string>

namespace vo {

// Digits with at most one decimal point, at least one digit, above zero.
bool IsPositiveDecimal(const std::string& text);

}  // namespace vo
