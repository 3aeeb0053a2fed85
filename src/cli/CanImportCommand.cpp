// vo can-import: whether a file is in a format (or layout) the import knows.
#include <memory>
#include <string>

#include "cli/Command.h"
#include "cli/LayoutOptions.h"
#include "voservices/Layouts.h"

Command AddCanImportCommand(CLI::App& app) {
  auto file = std::make_shared<std::string>();
  auto options = std::make_shared<VoServices::ImportOptions>();
  CLI::App* canImport = app.add_subcommand("can-import", "Tell whether a file can be imported");
  canImport->add_option("FILE", *file, "File to check")->required();
  AddLayoutOptions(*canImport, *options, false);
  return {canImport, [file, options] {
            UseUserLayouts(*options);
            return ExitFor(VoServices::CanImportFileWithOptions(*file, *options));
          }};
}
