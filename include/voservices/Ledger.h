// Reading the ledger from a host: which database the services use, the
// tables it holds, and their rows streamed one at a time in the form a
// person or a program wants. The C API's vo_query reads rows for C hosts.
//
// Same thread rules as the five services: one call at a time per process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "voservices/Export.h"

namespace VoServices {

// The database the services open from now on: an SQLite file or a
// mariadb:// URL, in place of $VO_DB. Empty goes back to $VO_DB, else
// vo_db.sqlite3 in the current directory. Closes any open connection.
VOSERVICES_API void UseDatabase(const std::string& location);

// The location the services open (see UseDatabase).
VOSERVICES_API std::string DatabaseLocation();

// Whether `location` names a database server (mariadb://...), not a file.
VOSERVICES_API bool IsServerLocation(const std::string& location);

// Opens DatabaseLocation() to read: never creates it and never writes to it
// (a read-only file or folder serves). Keeps a connection already open.
// False, with the reason in `error`, when it cannot be read.
VOSERVICES_API bool OpenDatabaseToRead(std::string& error);

// The open connection's reason for the last statement it refused; empty
// when none. For showing to people.
VOSERVICES_API std::string LastDatabaseError();

// How cells read. Every cell is text; NULL reads as empty.
enum class CellForm : uint8_t {
  kFriendly,  // trans_action and sym_type as their names, amounts as decimals
  kDecimal,   // every enumeration as its number, amounts as decimals
  kStored,    // every cell as stored (amounts as their whole stored number)
};

// Receives rows as a read steps through them.
class VOSERVICES_API RowSink {
 public:
  virtual ~RowSink() = default;
  // The column names in select-list order, once, before any row.
  virtual void Columns(const std::vector<std::string>& names) = 0;
  // One row, its cells in the same order; valid during the call only. False
  // stops the read (ReadRows then returns true).
  virtual bool Row(const std::vector<std::string>& cells) = 0;
};

// A table of the ledger and its columns in their stored order.
struct LedgerTable {
  std::string name;
  std::vector<std::string> columns;
  // The first column numbers the rows in the order they were written.
  bool firstColumnIsId = false;
};

// Every table the services keep, in the order of the schema.
VOSERVICES_API std::vector<LedgerTable> LedgerTables();

// Runs one SELECT (or WITH ... SELECT) on the open connection, its `?`
// placeholders bound to `parameters` in order, and hands the rows to `sink`
// as they are read, never holding the result whole. A statement that would
// write is refused before it runs. False, with the reason in `error`, when it
// cannot run.
VOSERVICES_API bool ReadRows(const std::string& select, const std::vector<std::string>& parameters,
                             CellForm form, RowSink& sink, std::string& error);

// The cells of a trans_table row as a dry run hands them (ImportOptions::row)
// read as ReadRows with kFriendly would read them once stored: dates in
// their stored form, amounts as decimals, actions by name. A cell that has
// no stored form stays as it is (the import would refuse that row).
VOSERVICES_API std::vector<std::string> TransactionAsReadBack(std::vector<std::string> cells);

}  // namespace VoServices
