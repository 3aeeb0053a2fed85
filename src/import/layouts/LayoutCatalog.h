// Where the import's layouts come from: the descriptions compiled into the
// library (src/import/layouts/*.toml), and description files of the user's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "import/layouts/Layout.h"
#include "import/layouts/LayoutNode.h"

namespace vo {

// One description and what it compiled to: a layout, or its problems.
struct LayoutEntry {
  std::string id;      // the file name without its extension
  std::string source;  // "built-in" or the path
  std::shared_ptr<const Layout> layout;  // null when there are problems
  std::vector<LayoutProblem> problems;
};

// The built-in layouts in file name order, compiled on first use and kept
// for the life of the process.
const std::vector<LayoutEntry>& BuiltInLayouts();

// A description file compiled.
LayoutEntry LoadLayoutFile(const std::string& path);

// The folder of the user's layouts: $VO_LAYOUTS when set, else
// $XDG_CONFIG_HOME/vo/layouts, else ~/.config/vo/layouts. Empty when none
// can be named.
std::string UserLayoutFolder();
// Its *.toml and *.json files in name order; none when it does not exist.
std::vector<std::string> UserLayoutFiles();

}  // namespace vo
