// Layouts: descriptions of broker files that none of the library's formats
// reads (docs/LAYOUTS.md). The library holds built-in ones, and an import
// takes the user's through its options (ImportOptions.h). These functions
// list and check them, and tell what a file is recognised as with them.
// Same thread rules as the five services; none writes a log or needs the
// database.
#pragma once

#include <string>
#include <vector>

#include "voservices/Export.h"
#include "voservices/ImportOptions.h"

namespace VoServices {

// Why a description cannot be used: the line of the description it is on
// (0 when it concerns the whole file) and the reason.
struct LayoutProblem {
  unsigned line = 0;
  std::string reason;
};

struct LayoutInfo {
  std::string id;          // the description's file name without its extension
  std::string name;        // the name it gives itself; empty when it cannot be read
  std::string formatName;  // what an import logs and records as the file's format
  std::string source;      // "built-in" or the description's path
  std::vector<LayoutProblem> problems;  // empty when the layout can be used
};

// The layouts compiled into the library, in the order they are tried.
VOSERVICES_API std::vector<LayoutInfo> ListBuiltInLayouts();

// The folder of the user's layouts: $VO_LAYOUTS when set, else
// $XDG_CONFIG_HOME/vo/layouts, else ~/.config/vo/layouts ("" when none can be
// named), and its *.toml and *.json files in name order (none when the
// folder does not exist). Hosts pass them as ImportOptions::moreLayoutFiles.
VOSERVICES_API std::string UserLayoutFolder();
VOSERVICES_API std::vector<std::string> UserLayoutFiles();

// Reads and checks one description file (TOML, or JSON by a .json name).
VOSERVICES_API LayoutInfo CheckLayoutFile(const std::string& path);

struct FileIdentity {
  std::string format;  // the format or layout it is recognised as; empty when none
  // The broker accounts its rows name, in the order first seen: more than
  // one means the import needs ImportOptions::brokerAccount.
  std::vector<std::string> brokerAccounts;
  std::string failure;  // why options.layoutFile cannot be used; empty otherwise
};

// What ImportFileWithOptions with these options would read the file as. A
// file read by a layout that names broker accounts is read through to list them.
VOSERVICES_API FileIdentity IdentifyFile(const std::string& filePath, const ImportOptions& options);

// CanImportFile with the layouts of the options.
VOSERVICES_API bool CanImportFileWithOptions(const std::string& filePath, const ImportOptions& options);

}  // namespace VoServices
