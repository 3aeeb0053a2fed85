// The rows of a rewrite (Database::RewriteRows) decided ahead of its
// statement: a thread of its own reads the table through a second connection
// and asks the rewriter about each row, while the statement that writes them
// runs on the caller's connection and only takes the values. Reading cells
// into text and deciding a row is most of a rewrite's own work; here it runs
// on a second core beside SQLite's.
//
// The statement takes a row's values only if the row it reads is the one
// read ahead: the same rowid, and the same cells as stored (a digest). A row
// that differs (the caller's transaction changed the table, another writer
// committed before the statement began), a read that fails, or a rewriter
// that throws, and the rewrite is started over without reading ahead.
#pragma once

#include <sqlite3.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ledgerdb/DbRowRewriter.h"
#include "ledgerdb/SqliteCells.h"

namespace vo {

class SqliteReadAhead {
 public:
  SqliteReadAhead(DbRowRewriter& rewriter, std::vector<CellReader> readers, size_t written);
  ~SqliteReadAhead();
  SqliteReadAhead(const SqliteReadAhead&) = delete;
  SqliteReadAhead& operator=(const SqliteReadAhead&) = delete;

  // Opens `file` to read and starts stepping `select` (rowid, then the cells
  // the rewriter reads, in rowid order). False when it cannot.
  bool Start(const std::string& file, const std::string& select);

  // The values decided for the statement's next row, given its rowid and the
  // digest of its cells (DigestCell). False when that row is not the next
  // one read ahead, or none is: the rewrite must start over.
  bool Take(int64_t rowid, uint64_t digest, std::vector<std::optional<std::string>>& values);

  // Once the statement is done: whether it took every row read ahead.
  bool TookAll();

  // Stops reading and waits for the thread; the rewriter is free after it.
  void Stop();

 private:
  static constexpr size_t kUnchanged = SIZE_MAX;
  struct Row {
    int64_t rowid;
    uint64_t digest;
    size_t firstValue;  // into the chunk's values; kUnchanged when the rewriter set none
  };
  // Rows handed over together, so that the threads meet once per chunk.
  struct Chunk {
    std::vector<Row> rows;
    std::vector<std::optional<std::string>> values;
  };
  struct CloseConnection {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
  };
  struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
  };

  void Read();                // the thread
  bool Hand(Chunk& chunk);    // false once stopped
  bool NextChunk();           // false when no chunk comes

  DbRowRewriter& rewriter_;
  std::vector<CellReader> readers_;
  size_t written_;
  std::unique_ptr<sqlite3, CloseConnection> db_;
  std::unique_ptr<sqlite3_stmt, FinalizeStatement> select_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Chunk> ready_;
  bool stopped_ = false;   // asked to stop
  bool finished_ = false;  // the thread has read its last row
  bool readAll_ = false;   // ... and that was the table's last row

  Chunk current_;  // being taken by the statement
  size_t next_ = 0;
  std::thread thread_;
};

}  // namespace vo
