// The database connection for C++ hosts. The services use one connection per
// process: ImportFile and UpdateSymbols open it on their own ($VO_DB, else
// ./vo_db.sqlite3); ApplySmartTime and ExpireOptions never do and return false
// without it. A host opens it here first, as the application did through its
// database library, and may choose the file.
#pragma once

#include <string>

#include "voservices/Export.h"

namespace VoServices {

// Closes any connection the process holds and opens the database at location:
// an SQLite file, created with its schema when missing; empty means $VO_DB,
// else vo_db.sqlite3 in the current directory. Returns true when open; on
// false, error holds the reason and no connection is open. Logs nothing. Not
// thread-safe: no other service may run during the call.
VOSERVICES_API bool OpenDatabase(const std::string& location, std::string& error);

// Closes the connection, if any; the next service that needs one opens the
// default again. Not thread-safe, like OpenDatabase.
VOSERVICES_API void CloseDatabase();

}  // namespace VoServices
