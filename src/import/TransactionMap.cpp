#include "import/TransactionMap.h"

#include <algorithm>
#include <array>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>

#include "import/WorkerThread.h"

namespace vo {

namespace {

// Rows unpacked by one task of the second thread: enough to make the
// hand-over cheap beside the rows' own cost, few enough to stay small.
constexpr size_t kBatchRows = 256;
// Batches in flight: one being visited, the others being unpacked.
constexpr size_t kBatches = 4;

}  // namespace

void TransactionMap::insert_or_assign(std::string_view key, const TransactionFields& fields) {
  // Replacing is settled when the order is made.
  rows_.Append(key, fields);
  ordered_ = false;
}

TransactionFields TransactionMap::at(std::string_view key) const {
  const std::vector<uint32_t>& order = Order();
  auto found =
      std::lower_bound(order.begin(), order.end(), key,
                       [this](uint32_t row, std::string_view k) { return rows_.Key(row) < k; });
  if (found == order.end() || rows_.Key(*found) != key) {
    throw std::out_of_range("TransactionMap::at: no transaction under " + std::string(key));
  }
  TransactionFields fields;
  rows_.Unpack(*found, fields);
  return fields;
}

void TransactionMap::ForEach(const Visit& visit, bool unpackAhead) const {
  const std::vector<uint32_t>& order = Order();
  if (!unpackAhead) {
    TransactionFields fields;  // reused: its texts keep their memory from row to row
    for (uint32_t row : order) {
      rows_.Unpack(row, fields);
      visit(rows_.Key(row), fields);
    }
    return;
  }
  // A ring of batches: batch b holds the rows from b * kBatchRows on, and is
  // unpacked again kBatches batches further on once visited. Its fields keep
  // their memory from round to round.
  struct Batch {
    std::array<TransactionFields, kBatchRows> fields;
    std::future<void> ready;
  };
  std::vector<std::unique_ptr<Batch>> ring(kBatches);
  for (auto& batch : ring) batch = std::make_unique<Batch>();
  const size_t batchCount = (order.size() + kBatchRows - 1) / kBatchRows;
  // Declared after the ring, so it is joined before the ring goes.
  WorkerThread unpacker(true, kBatches);
  auto post = [&](size_t batch) {
    if (batch >= batchCount) return;
    Batch& target = *ring[batch % kBatches];
    auto task = std::make_shared<std::packaged_task<void()>>([this, &order, &target, batch] {
      const size_t first = batch * kBatchRows;
      const size_t end = std::min(order.size(), first + kBatchRows);
      for (size_t i = first; i < end; ++i) rows_.Unpack(order[i], target.fields[i - first]);
    });
    target.ready = task->get_future();
    unpacker.Post([task] { (*task)(); });
  };
  for (size_t batch = 0; batch < kBatches; ++batch) post(batch);
  for (size_t batch = 0; batch < batchCount; ++batch) {
    Batch& current = *ring[batch % kBatches];
    current.ready.get();  // rethrows what the unpacking threw
    const size_t first = batch * kBatchRows;
    const size_t end = std::min(order.size(), first + kBatchRows);
    for (size_t i = first; i < end; ++i) visit(rows_.Key(order[i]), current.fields[i - first]);
    post(batch + kBatches);
  }
}

void TransactionMap::clear() {
  rows_.Release();
  std::vector<uint32_t>().swap(order_);
  ordered_ = true;
}

const std::vector<uint32_t>& TransactionMap::Order() const {
  if (!ordered_) {
    order_ = rows_.KeyOrder();  // the last row of a key replaced the others
    ordered_ = true;
  }
  return order_;
}

}  // namespace vo
