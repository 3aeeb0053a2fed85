// The import with options and a full account of what it did: what a host
// needs beyond ImportFile's true or false (progress, the outcome line). With
// default options it does exactly what ImportFile does.
#pragma once

#include <string>

#include "voservices/Export.h"
#include "voservices/ImportTypes.h"

namespace VoServices {

// ImportFile with options: the same import, run log and database (see
// VoServices.h), and the outcome in full. Never throws: a number that cannot
// be converted ends the import with conversionError (and failure) set and
// nothing stored. Same thread rules as the five services.
VOSERVICES_API ImportOutcome ImportFileWithOptions(const std::string& filePath, const std::string& logFolder,
                                    const std::string& accountId, const std::string& accountName,
                                    const ImportOptions& options);

// The name of the format the file is recognised as (what ImportFile would
// import it as); empty when it cannot be opened or no known header is among
// its first lines. Reads the file only; writes no log.
VOSERVICES_API std::string IdentifyFileFormat(const std::string& filePath);

}  // namespace VoServices
