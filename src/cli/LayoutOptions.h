// What the commands that recognise files (import, identify, can-import) add
// for layouts: --layout and --broker-account, and the user's layouts folder.
#pragma once

#include "voservices/ImportOptions.h"

namespace CLI {
class App;
}

// --layout FILE; with `brokerAccount` also --broker-account N.
void AddLayoutOptions(CLI::App& command, VoServices::ImportOptions& options, bool brokerAccount);
// The user's layouts (VoServices::UserLayoutFiles) as the options' further layouts.
void UseUserLayouts(VoServices::ImportOptions& options);
