#include "platform/MessageBox.h"

#include <utility>

namespace vo {

namespace {

MessageSink& CurrentSink() {
  static MessageSink sink;
  return sink;
}

}  // namespace

void ShowMessage(const std::string& text, const std::string& caption, unsigned style) {
  MessageSink& sink = CurrentSink();
  if (sink) sink(text, caption, style);
}

MessageSink SetMessageSink(MessageSink sink) { return std::exchange(CurrentSink(), std::move(sink)); }

}  // namespace vo
