// The host's handlers for message boxes and debug output, installed as the
// platform stand-ins' sinks.
#include "voservices/Messages.h"

#include <utility>

#include "platform/DebugOutput.h"
#include "platform/MessageBox.h"

namespace VoServices {

MessageHandler SetMessageHandler(MessageHandler handler) {
  vo::MessageSink sink;
  if (handler) sink = [handler](const std::string& text, const std::string& caption, unsigned) { handler(text, caption); };
  vo::SetMessageSink(std::move(sink));
  static MessageHandler current;
  return std::exchange(current, std::move(handler));
}

DebugHandler SetDebugHandler(DebugHandler handler) {
  vo::SetDebugSink(handler);
  static DebugHandler current;
  return std::exchange(current, std::move(handler));
}

}  // namespace VoServices
