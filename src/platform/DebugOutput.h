// Stand-in for the debugger output string: diagnostics that only a developer
// reads. Default sink: standard error. Tests install a recorder.
#pragma once

#include <functional>
#include <string>

namespace vo {

using DebugSink = std::function<void(const std::string& text)>;

void DebugOutput(const std::string& text);
// Installs a sink (an empty one restores the default); returns the previous one.
DebugSink SetDebugSink(DebugSink sink);

}  // namespace vo
