// A decoded transaction: trans_table column index -> value text.
#pragma once

#include <map>
#include <string>

using TransactionFields = std::map<int, std::string>;
