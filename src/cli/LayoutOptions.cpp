#include "cli/LayoutOptions.h"

#include <CLI/CLI.hpp>

#include "voservices/Layouts.h"

void AddLayoutOptions(CLI::App& command, VoServices::ImportOptions& options, bool brokerAccount) {
  command.add_option("--layout", options.layoutFile,
                     "A layout description (docs/LAYOUTS.md) to read the file with, tried before the "
                     "built-in layouts");
  if (brokerAccount) {
    command.add_option("--broker-account", options.brokerAccount,
                       "For a file of several broker accounts: the account whose rows to import");
  }
}

void UseUserLayouts(VoServices::ImportOptions& options) {
  options.moreLayoutFiles = VoServices::UserLayoutFiles();
}
