// The progress report the services take, apart from the services themselves
// so that the library's parts can name it.
#pragma once

#include <cstdint>
#include <string>

namespace VoServices {

// Caller-supplied progress report. May be null. Called only by UpdateSymbols,
// always with 0 as the integer; its result is ignored.
typedef bool (*ProgressCallback)(std::string message, int32_t value);

}  // namespace VoServices
