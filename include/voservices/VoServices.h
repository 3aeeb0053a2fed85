// Public interface of the voservices library: the five services the desktop
// application calls. Each returns true on success and false on failure; none
// throws, except that an import whose file holds a number that cannot be
// converted lets a std::string error escape (ImportFileWithOptions in
// ImportOptions.h reports it instead, and the C API in voservices.h as a status).
//
// Where the database is: one connection per process, kept between calls. The
// import and the symbol update open it when it is not open yet: the SQLite file
// named by $VO_DB, else vo_db.sqlite3 in the current directory. The two
// maintenance services never open it: open it first (OpenDatabase.h).
//
// Threads: the connection and the run log are process-wide and unlocked. Call
// the services from one thread at a time (any thread); callbacks run on it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "voservices/Export.h"
#include "voservices/ProgressCallback.h"

namespace VoServices {

// Imports a broker or native transaction file (its format recognised by its
// header) into the database for one account, all rows in one transaction.
// Logs the run to logFolder + accountName + "-" + local time "%Y%m%d_%H%M%S" +
// ".log" (logFolder used as given; a log that cannot be created is skipped):
// the account, the file, the format, counts, refused lines, and "File Import
// SUCCESSFUL" or "File Import FAILED". Returns false when the database or file
// cannot be opened, no known header is found or the writing fails; refused
// lines do not make it false. Never calls progress. Throws std::string (and
// stores nothing) when a number in the file cannot be converted.
VOSERVICES_API bool ImportFile(const std::string& filePath, const std::string& logFolder,
                const std::string& accountId, const std::string& accountName,
                ProgressCallback progress);

// True when the file opens and a known format's header is among its first 25
// lines. Writes no log and needs no database.
VOSERVICES_API bool CanImportFile(const std::string& filePath);

// Brings the symbol table in line with the security master server at the URL
// (HTTP/JSON): renames the symbols it knows, keeps the old rows in
// inactive_sym_table and recalculates the amounts that depend on them. Reports
// each step to progress (may be null; called with 0, its result ignored) and
// problems in message boxes (standard error by default). False when the update
// could not complete (no database, the server unreachable or answering badly).
VOSERVICES_API bool UpdateSymbols(std::string url, ProgressCallback progress);

// Moves buys that follow a sale (and short sales that follow a buy to cover)
// among the listed transactions, on the same account, symbol and day, to one
// second before it; the moved row's note keeps its original time. True when at
// least one transaction moved. Needs the open database; logs nothing; never
// calls progress.
VOSERVICES_API bool ApplySmartTime(const std::vector<std::string>& transactionIds, ProgressCallback progress);

// Records the expiration of the listed option positions (opening transaction
// id to expiring quantity) whose expiration date has passed: the closing
// transaction, its gain/loss group and an expire event each. True when at
// least one expiration was stored. Needs the open database; logs nothing;
// never calls progress.
VOSERVICES_API bool ExpireOptions(const std::map<std::string, std::string>& idToQuantity, ProgressCallback progress);

}  // namespace VoServices
