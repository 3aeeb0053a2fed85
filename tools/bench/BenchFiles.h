// Writes broker files of any length for the import benchmark: for each known
// format its preamble and header line, then data lines cycling through that
// format's kinds of trade (stocks and options, buys and sells, quoted fields)
// over thousands of symbols.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

struct BenchFormat {
  std::string name;      // short name used on the command line and in the table
  std::string preamble;  // lines before the header (account information), may be empty
  std::string header;
  // Data line patterns; {KEY} is replaced by the value for the line (see BenchFiles.cpp).
  std::vector<std::string> patterns;
};

// Every format the importer knows, the native one first.
const std::vector<BenchFormat>& BenchFormats();
// The format with that name; null when there is none.
const BenchFormat* FindBenchFormat(const std::string& name);

// Writes the preamble, the header and `lines` data lines, the first being
// line `firstLine` of the endless sequence the format's patterns make (so
// files of distinct stretches hold no equal rows); false when the file cannot
// be written.
bool WriteBenchFile(const BenchFormat& format, size_t lines, const std::filesystem::path& file,
                    size_t firstLine = 0);
