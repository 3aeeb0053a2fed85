#include "ledgerdb/SqliteReadAhead.h"

#include <system_error>
#include <utility>

namespace vo {

namespace {

constexpr size_t kRowsPerChunk = 4096;
// Chunks read ahead but not yet taken: enough to ride out a slow stretch of
// either thread, few enough to keep the memory small.
constexpr size_t kChunksAhead = 16;

}  // namespace

SqliteReadAhead::SqliteReadAhead(DbRowRewriter& rewriter, std::vector<CellReader> readers, size_t written)
    : rewriter_(rewriter), readers_(std::move(readers)), written_(written) {}

SqliteReadAhead::~SqliteReadAhead() { Stop(); }

bool SqliteReadAhead::Start(const std::string& file, const std::string& select) {
  // Each connection is used by one thread, which needs a library built for threads.
  if (thread_.joinable() || !sqlite3_threadsafe()) return false;
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  db_.reset(raw);
  if (opened != SQLITE_OK) return false;
  sqlite3_stmt* statement = nullptr;
  const int prepared = sqlite3_prepare_v2(db_.get(), select.c_str(), static_cast<int>(select.size()), &statement,
                                          nullptr);
  select_.reset(statement);
  if (prepared != SQLITE_OK || !statement) return false;
  try {
    thread_ = std::thread([this] { Read(); });
  } catch (const std::system_error&) {
    return false;  // no thread to be had: the rewrite runs on the caller's
  }
  return true;
}

void SqliteReadAhead::Read() {
  bool readAll = false;
  try {
    Chunk chunk;
    std::vector<std::string> cells(readers_.size());
    std::vector<std::optional<std::string>> values(written_);
    sqlite3_stmt* statement = select_.get();
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
      uint64_t digest = 0;
      for (size_t i = 0; i < cells.size(); ++i) {
        sqlite3_value* value = sqlite3_column_value(statement, static_cast<int>(i) + 1);
        digest = DigestCell(digest, value);
        ReadCell(value, readers_[i], cells[i]);
      }
      for (std::optional<std::string>& value : values) value.reset();
      rewriter_.Rewrite(cells, values);
      Row row{sqlite3_column_int64(statement, 0), digest, kUnchanged};
      if (DbRowRewriter::Changes(values)) {
        row.firstValue = chunk.values.size();
        for (std::optional<std::string>& value : values) chunk.values.push_back(std::move(value));
      }
      chunk.rows.push_back(row);
      if (chunk.rows.size() == kRowsPerChunk && !Hand(chunk)) break;
    }
    readAll = rc == SQLITE_DONE && Hand(chunk);
  } catch (...) {
    // A rewriter that throws, or memory: the statement starts over, and
    // meets the same failure where it belongs.
    readAll = false;
  }
  select_.reset();  // ends the read transaction while the statement still runs
  std::lock_guard lock(mutex_);
  finished_ = true;
  readAll_ = readAll;
  changed_.notify_all();
}

bool SqliteReadAhead::Hand(Chunk& chunk) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return stopped_ || ready_.size() < kChunksAhead; });
  if (stopped_) return false;
  ready_.push_back(std::move(chunk));
  changed_.notify_all();
  lock.unlock();
  chunk = Chunk();
  chunk.rows.reserve(kRowsPerChunk);
  return true;
}

bool SqliteReadAhead::NextChunk() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return finished_ || !ready_.empty(); });
  if (ready_.empty()) return false;
  current_ = std::move(ready_.front());
  ready_.pop_front();
  next_ = 0;
  changed_.notify_all();
  return true;
}

bool SqliteReadAhead::Take(int64_t rowid, uint64_t digest, std::vector<std::optional<std::string>>& values) {
  // An empty chunk (the last one may be) is passed over.
  while (next_ == current_.rows.size()) {
    if (!NextChunk()) return false;
  }
  const Row& row = current_.rows[next_++];
  if (row.rowid != rowid || row.digest != digest) return false;
  if (row.firstValue != kUnchanged) {
    for (size_t i = 0; i < written_; ++i) values[i] = std::move(current_.values[row.firstValue + i]);
  }
  return true;
}

bool SqliteReadAhead::TookAll() {
  while (next_ == current_.rows.size()) {
    if (!NextChunk()) {
      std::lock_guard lock(mutex_);
      return readAll_;
    }
  }
  return false;
}

void SqliteReadAhead::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
}

}  // namespace vo
