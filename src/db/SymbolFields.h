// A symbol row: sym_table column index -> value text. Only present entries are written.
#pragma once

#include <map>
#include <string>

using SymbolFields = std::map<int, std::string>;
