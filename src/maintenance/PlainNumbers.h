// Checks on the ids and quantities that callers hand to the maintenance
// operations. Ids end up inside SQL text, so only plain digits may pass.
#pragma once

#include <map>
#include <string>
#include <vector>

// Non-empty and made of the digits 0-9 only (no sign, blank or point).
bool IsPlainWholeNumber(const std::string& text);
// Digits with at most one decimal point, at least one digit, above zero.
bool IsPositiveDecimal(const std::string& text);

// The ids (or keys) that are plain whole numbers, in their original order.
std::vector<std::string> PlainWholeNumbers(const std::vector<std::string>& ids);
std::map<std::string, std::string> WithPlainWholeNumberKeys(
    const std::map<std::string, std::string>& idToValue);
