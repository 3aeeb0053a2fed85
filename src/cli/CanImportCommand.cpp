// vo can-import: whether a file is in a format the import knows.
#include <memory>
#include <string>

#include "cli/Command.h"
#include "voservices/VoServices.h"

Command AddCanImportCommand(CLI::App& app) {
  auto file = std::make_shared<std::string>();
  CLI::App* canImport = app.add_subcommand("can-import", "Tell whether a file can be imported");
  canImport->add_option("FILE", *file, "File to check")->required();
  return {canImport, [file] { return ExitFor(VoServices::CanImportFile(*file)); }};
}
