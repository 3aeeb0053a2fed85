// The decoded data a parser hands to the import pipeline. Keys are ordered by
// plain byte-wise comparison (std::string's own order), and the pipeline writes
// in that order: with keys "0" to "11", "10" and "11" come before "2".
#pragma once

#include <map>
#include <memory_resource>
#include <string>

#include "db/SymbolFields.h"
#include "db/TransactionFields.h"

// Both take their nodes from a memory resource: the pipeline hands them a
// DecodeArena, anyone else gets the default heap.
// Symbol text -> the symbol row to insert when sym_table does not have it yet.
using SymbolMap = std::pmr::map<std::string, SymbolFields>;
// Key chosen by the format -> one transaction row.
using TransactionMap = std::pmr::map<std::string, TransactionFields>;
