#include "import/KnownParsers.h"

#include "import/formats/EtradeHistory.h"
#include "import/formats/EtradeTaxYear.h"
#include "import/formats/FidelityTradeV1.h"
#include "import/formats/FidelityTradeV2.h"
#include "import/formats/PensonTaxWorksheet.h"
#include "import/formats/PensonTransaction.h"
#include "import/formats/TradeMonsterData.h"
#include "import/formats/VoTransaction.h"

namespace vo {

namespace {

using ParserMaker = std::unique_ptr<CsvParser> (*)(const std::string& accountId);

template <class Parser>
std::unique_ptr<CsvParser> Make(const std::string& accountId) {
  return std::make_unique<Parser>(accountId);
}

// The formats in the order they are tried. Adding a format: include its
// header above and put one line here, at its place in the order:
// TradeMonsterData, FidelityTradeV1, FidelityTradeV2, PensonTransaction,
// PensonTaxWorksheet, VoTransaction, EtradeTaxYear, EtradeHistory.
constexpr ParserMaker kParserMakers[] = {
    Make<TradeMonsterData>,
    Make<FidelityTradeV1>,
    Make<FidelityTradeV2>,
    Make<PensonTransaction>,
    Make<PensonTaxWorksheet>,
    Make<VoTransaction>,
    Make<EtradeTaxYear>,
    Make<EtradeHistory>,
};

}  // namespace

std::vector<std::unique_ptr<CsvParser>> MakeKnownParsers(const std::string& accountId) {
  std::vector<std::unique_ptr<CsvParser>> parsers;
  parsers.reserve(std::size(kParserMakers));
  for (ParserMaker make : kParserMakers) parsers.push_back(make(accountId));
  return parsers;
}

}  // namespace vo
