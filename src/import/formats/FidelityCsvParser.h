// What both Fidelity account history layouts share: the exact header line,
// which also resets the expected column count, and data lines of the header's
// column count or one fewer (the last column left off).
#pragma once

#include <string>

#include "import/CsvParser.h"

namespace vo {

class FidelityCsvParser : public CsvParser {
 public:
  bool MatchesHeader(const std::string& line) override;
  // Any other column count is refused with the Error line given at construction.
  bool Parse(const std::string& line) override;

 protected:
  FidelityCsvParser(const std::string& formatName, const std::string& header,
                    std::string columnCountError);

 private:
  std::string columnCountError_;
};

}  // namespace vo
