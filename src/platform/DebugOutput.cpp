#include "platform/DebugOutput.h"

#include <utility>

namespace vo {

namespace {

DebugSink& CurrentSink() {
  static DebugSink sink;
  return sink;
}

}  // namespace

void DebugOutput(const std::string& text) {
  DebugSink& sink = CurrentSink();
  if (sink) sink(text);
}

DebugSink SetDebugSink(DebugSink sink) { return std::exchange(CurrentSink(), std::move(sink)); }

}  // namespace vo
