// vo identify: the format each file is recognised as, one file a line
// ("FILE<tab>FORMAT", or "unknown"); exit 0 when every file is known.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "voservices/ImportOptions.h"

Command AddIdentifyCommand(CLI::App& app) {
  auto files = std::make_shared<std::vector<std::string>>();
  CLI::App* identify = app.add_subcommand("identify", "Tell the format each file is recognised as");
  identify->add_option("FILE", *files, "Files to identify")->required();
  return {identify, [files] {
            bool allKnown = true;
            for (const std::string& file : *files) {
              std::string format = VoServices::IdentifyFileFormat(file);
              allKnown = allKnown && !format.empty();
              std::cout << file << '\t' << (format.empty() ? "unknown" : format) << '\n';
            }
            std::cout.flush();
            return ExitFor(allKnown);
          }};
}
