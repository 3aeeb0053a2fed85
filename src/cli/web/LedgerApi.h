// The reading pages' API and the undo of a run:
//   GET  /api/runs                      the import runs, oldest first
//   GET  /api/runs/ID/rows              the transactions a run stored
//   GET  /api/runs/ID/log               its run log
//   POST /api/runs/ID/undo              vo undo ID
//   GET  /api/transactions              a page of the filtered, sorted view
//   GET  /api/transactions.csv          the whole view as CSV, streamed
//   GET  /api/actions                   the actions the ledger holds
//   GET  /api/symbols                   a page of sym_table
// Reads open the database to read, as vo show does; with no database file
// yet they answer with no rows, so a first start shows empty pages.
#pragma once

#include <cstdint>

#include "cli/web/HttpTypes.h"

class LibraryGate;

class LedgerApi {
 public:
  explicit LedgerApi(LibraryGate& gate) : gate_(gate) {}
  void Register(httplib::Server& server);

 private:
  static constexpr uint64_t kPageRows = 50;
  static constexpr uint64_t kMaxPageRows = 5000;
  static constexpr uint64_t kRunRows = 1000;
  static constexpr uint64_t kMaxLogBytes = 1 << 20;

  void Runs(const httplib::Request& request, httplib::Response& response);
  void RunRows(const httplib::Request& request, httplib::Response& response);
  void RunLog(const httplib::Request& request, httplib::Response& response);
  void Undo(const httplib::Request& request, httplib::Response& response);
  void Transactions(const httplib::Request& request, httplib::Response& response);
  void TransactionsCsv(const httplib::Request& request, httplib::Response& response);
  void Actions(httplib::Response& response);
  void Symbols(const httplib::Request& request, httplib::Response& response);

  LibraryGate& gate_;
};
