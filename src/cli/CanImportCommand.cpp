// vo can-import: whether a file is in a format (or layout) the import knows.
#include <iostream>
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
            // Exit 1 either way; the message tells a file that cannot be read
            // from one in no known format.
            if (const std::string why = OpenFailure(*file, *file); !why.empty()) {
              std::cerr << "vo: " << why << std::endl;
              return kExitFalse;
            }
            UseUserLayouts(*options);
            if (VoServices::CanImportFileWithOptions(*file, *options)) return 0;
            std::cerr << "vo: " << *file << ": no known format or layout" << std::endl;
            return kExitFalse;
          }};
}
