// vo update-symbols: the symbol table refreshed from a security master server.
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>

#include "cli/Command.h"
#include "voservices/VoServices.h"

namespace {

bool PrintProgress(std::string message, int32_t) {
  std::cerr << message << std::endl;
  return true;
}

}  // namespace

Command AddUpdateSymbolsCommand(CLI::App& app) {
  auto url = std::make_shared<std::string>();
  CLI::App* update = app.add_subcommand("update-symbols", "Update symbols from a security master server");
  update->add_option("URL", *url, "Server endpoint")->required();
  return {update, [url] { return ExitFor(VoServices::UpdateSymbols(*url, PrintProgress)); }};
}
