// Where the library's messages go. The services show some results as message
// boxes (the symbol update's outcome, for instance) and explain failures on a
// debug channel (why a connection failed, which record was skipped). The
// library never writes either to standard output or standard error: a host
// that wants them sets a handler; without one they are dropped.
#pragma once

#include <functional>
#include <string>

#include "voservices/Export.h"

namespace VoServices {

// A message box: its text and caption.
using MessageHandler = std::function<void(const std::string& text, const std::string& caption)>;
// One line of debug output.
using DebugHandler = std::function<void(const std::string& text)>;

// Each installs a process-wide handler (an empty one drops the messages
// again) and returns the one it replaces. Handlers are called on the thread
// of the service that speaks; install them before services run.
VOSERVICES_API MessageHandler SetMessageHandler(MessageHandler handler);
VOSERVICES_API DebugHandler SetDebugHandler(DebugHandler handler);

}  // namespace VoServices
