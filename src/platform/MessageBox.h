// Stand-in for the platform's message boxes: a message with a caption and a
// style goes to a replaceable process-wide sink. Without one the message is
// dropped (the library never prints); hosts install theirs through
// VoServices::SetMessageHandler, tests a recorder.
#pragma once

#include <functional>
#include <string>

namespace vo {

constexpr unsigned kMbIconExclamation = 0x30;
constexpr unsigned kMbIconInformation = 0x40;

using MessageSink = std::function<void(const std::string& text, const std::string& caption,
                                       unsigned style)>;

void ShowMessage(const std::string& text, const std::string& caption, unsigned style);
// Installs a sink (an empty one drops messages again); returns the previous one.
MessageSink SetMessageSink(MessageSink sink);

}  // namespace vo
