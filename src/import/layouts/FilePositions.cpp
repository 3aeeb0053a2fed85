#include "import/layouts/FilePositions.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <numeric>

#include "db/EnumValues.h"
#include "db/TableColumns.h"
#include "import/TradeSides.h"
#include "values/DecimalText.h"

namespace vo {

namespace {

constexpr int kOpen = 1;
constexpr int kLong = 1;

// How a decided action moves the position: up for a long opened or a short
// closed, down for the others; 0 for what is no trade.
double Moved(int action, double quantity) {
  const int position = TransPosOf(action);
  const int type = TransTypeOf(action);
  if (position < 1 || position > 2 || type < 1 || type > 2) return 0;
  return (position == kOpen) == (type == kLong) ? quantity : -quantity;
}

int ExpiryAction(bool call, bool longPosition) {
  if (call) return longPosition ? kTransActionExpireBuyCall : kTransActionExpireSaleCallOpen;
  return longPosition ? kTransActionExpireBuyPut : kTransActionExpireSalePutOpen;
}

}  // namespace

bool FilePositions::Add(const std::string& key, const TransactionFields& fields, int32_t securityType,
                        Undecided undecided) {
  using namespace TransColumn;
  Trade trade;
  trade.date = fields.at(kTransDtTrade);
  trade.symbol = fields.at(kSymName);
  trade.quantity = std::strtod(fields.at(kTransQty).c_str(), nullptr);
  trade.action = std::atoi(fields.at(kTransAction).c_str());
  if (undecided != Undecided::kNo) {
    trade.pending = pending_.size();
    pending_.push_back({key, fields, securityType == kSecurityTypeCall, undecided});
  }
  if (trade.pending == kDecided && Moved(trade.action, trade.quantity) == 0) return false;
  trades_.push_back(std::move(trade));
  return undecided != Undecided::kNo;
}

unsigned FilePositions::Decide(TransactionMap& transactions) {
  std::vector<size_t> order(trades_.size());
  std::iota(order.begin(), order.end(), 0);
  if (!trades_.empty() && trades_.front().date > trades_.back().date) std::reverse(order.begin(), order.end());
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return trades_[a].date < trades_[b].date; });

  unsigned opened = 0;
  std::map<std::string, double> held;
  for (size_t index : order) {
    Trade& trade = trades_[index];
    double& position = held[trade.symbol];
    if (trade.pending != kDecided) {
      const Pending& pending = pending_[trade.pending];
      const int row = pending.call ? 1 : 2;
      switch (pending.undecided) {
        case Undecided::kBuy:
          opened += position == 0 ? 1 : 0;
          trade.action = SideAction(row, position < 0 ? kSideBuyToCover : kSideBuy);
          break;
        case Undecided::kSell:
          opened += position == 0 ? 1 : 0;
          trade.action = SideAction(row, position > 0 ? kSideSell : kSideSellShort);
          break;
        default:
          if (position != 0) trade.action = ExpiryAction(pending.call, position > 0);
          break;
      }
    }
    position += Moved(trade.action, trade.quantity);
  }

  using namespace TransColumn;
  for (const Trade& trade : trades_) {
    if (trade.pending == kDecided) continue;
    Pending& pending = pending_[trade.pending];
    pending.fields[kTransAction] = ToText(trade.action);
    pending.fields[kTransPos] = TransPosText(trade.action);
    pending.fields[kTransType] = TransTypeText(trade.action);
    transactions.insert_or_assign(pending.key, pending.fields);
  }
  trades_.clear();
  pending_.clear();
  return opened;
}

}  // namespace vo
