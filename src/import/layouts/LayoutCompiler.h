// Turns a layout description (TOML or JSON, docs/LAYOUTS.md) into a Layout.
// Every problem is reported with its line; a description with any problem
// gives no layout at all, so a layout is never applied in part.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "import/layouts/Layout.h"
#include "import/layouts/LayoutNode.h"

namespace vo {

enum class LayoutSyntax { kToml, kJson };

// The layout of the text, or null with its problems (at least one).
// `id` names it (its file name without extension), `source` says where it
// comes from ("built-in" or the path).
std::shared_ptr<const Layout> CompileLayout(const std::string& text, LayoutSyntax syntax,
                                            const std::string& id, const std::string& source,
                                            std::vector<LayoutProblem>& problems);

// The same for a description file, its syntax by its extension (.json, else TOML).
std::shared_ptr<const Layout> CompileLayoutFile(const std::string& path,
                                                std::vector<LayoutProblem>& problems);

}  // namespace vo
