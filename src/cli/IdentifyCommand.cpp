// vo identify: the format each file is recognised as, one file a line
// ("FILE<tab>FORMAT", or "unknown"), followed by "<tab>accounts: A, B" for a
// file whose rows name broker accounts; exit 0 when every file is known.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/LayoutOptions.h"
#include "voservices/Layouts.h"

Command AddIdentifyCommand(CLI::App& app) {
  auto files = std::make_shared<std::vector<std::string>>();
  auto options = std::make_shared<VoServices::ImportOptions>();
  CLI::App* identify = app.add_subcommand("identify", "Tell the format each file is recognised as");
  identify->add_option("FILE", *files, "Files to identify")->required();
  AddLayoutOptions(*identify, *options, false);
  return {identify, [files, options] {
            UseUserLayouts(*options);
            bool allKnown = true;
            for (const std::string& file : *files) {
              VoServices::FileIdentity identity = VoServices::IdentifyFile(file, *options);
              if (!identity.failure.empty()) {
                std::cerr << "vo: " << identity.failure << std::endl;
                return kExitFalse;
              }
              allKnown = allKnown && !identity.format.empty();
              std::cout << file << '\t' << (identity.format.empty() ? "unknown" : identity.format);
              std::string accounts;
              for (const std::string& account : identity.brokerAccounts) {
                accounts += (accounts.empty() ? "" : ", ") + account;
              }
              if (!accounts.empty()) std::cout << "\taccounts: " << accounts;
              std::cout << '\n';
            }
            std::cout.flush();
            return ExitFor(allKnown);
          }};
}
