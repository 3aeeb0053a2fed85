#include "import/layouts/LayoutCatalog.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "import/layouts/EmbeddedLayouts.h"
#include "import/layouts/LayoutCompiler.h"

namespace vo {

const std::vector<LayoutEntry>& BuiltInLayouts() {
  static const std::vector<LayoutEntry> kLayouts = [] {
    std::vector<LayoutEntry> entries;
    for (const EmbeddedLayout& embedded : EmbeddedLayouts()) {
      LayoutEntry& entry = entries.emplace_back();
      entry.id = embedded.id;
      entry.source = "built-in";
      entry.layout = CompileLayout(std::string(embedded.text),
                                   embedded.extension == "json" ? LayoutSyntax::kJson : LayoutSyntax::kToml,
                                   entry.id, entry.source, entry.problems);
    }
    return entries;
  }();
  return kLayouts;
}

LayoutEntry LoadLayoutFile(const std::string& path) {
  LayoutEntry entry;
  entry.id = std::filesystem::path(path).stem().string();
  entry.source = path;
  entry.layout = CompileLayoutFile(path, entry.problems);
  return entry;
}

std::string UserLayoutFolder() {
  if (const char* folder = std::getenv("VO_LAYOUTS"); folder && *folder) return folder;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    return std::string(config) + "/vo/layouts";
  }
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config/vo/layouts";
  return "";
}

std::vector<std::string> UserLayoutFiles() {
  std::vector<std::string> files;
  const std::string folder = UserLayoutFolder();
  std::error_code error;
  if (folder.empty() || !std::filesystem::is_directory(folder, error)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string extension = entry.path().extension().string();
    if ((extension == ".toml" || extension == ".json") && !entry.is_directory(error)) {
      files.push_back(entry.path().string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace vo
