// Public interface of the voservices library: the five services the desktop
// application calls, one at a time, on its own thread. Each returns true on
// success and false on failure; none throws, except that an import whose file
// holds a number that cannot be converted lets a std::string error escape.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "voservices/Export.h"

namespace VoServices {

// Caller-supplied progress report. May be null. Called only by UpdateSymbols,
// always with 0 as the integer; its result is ignored.
typedef bool (*ProgressCallback)(std::string message, int32_t value);

// Imports a broker or native transaction file into the database for one
// account, writing logFolder + accountName + "-" + time stamp + ".log".
VOSERVICES_API bool ImportFile(const std::string& filePath, const std::string& logFolder,
                const std::string& accountId, const std::string& accountName,
                ProgressCallback progress);

// True when the file opens and a known format's header is among its first lines.
VOSERVICES_API bool CanImportFile(const std::string& filePath);

// Brings the symbol table in line with the security master server at the URL.
VOSERVICES_API bool UpdateSymbols(std::string url, ProgressCallback progress);

// Moves buys that follow a sale (and short sales that follow a buy to cover)
// on the same account, symbol and day to one second before it.
VOSERVICES_API bool ApplySmartTime(const std::vector<std::string>& transactionIds, ProgressCallback progress);

// Records the expiration of the listed option positions: transaction id to quantity.
VOSERVICES_API bool ExpireOptions(const std::map<std::string, std::string>& idToQuantity, ProgressCallback progress);

}  // namespace VoServices
