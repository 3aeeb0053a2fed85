// The layout services: the catalog of layouts as the public header shows it,
// and recognition with an import's options.
#include "voservices/Layouts.h"

#include "import/FileImporter.h"
#include "import/layouts/LayoutCatalog.h"
#include "logging/RunLog.h"

using namespace vo;

namespace {

constexpr char kComponent[] = "FileImporter";

VoServices::LayoutInfo InfoOf(const LayoutEntry& entry) {
  VoServices::LayoutInfo info;
  info.id = entry.id;
  info.source = entry.source;
  if (entry.layout) {
    info.name = entry.layout->name;
    info.formatName = entry.layout->FormatName();
  }
  for (const LayoutProblem& problem : entry.problems) info.problems.push_back({problem.line, problem.reason});
  return info;
}

}  // namespace

namespace VoServices {

std::vector<LayoutInfo> ListBuiltInLayouts() {
  std::vector<LayoutInfo> layouts;
  for (const LayoutEntry& entry : ::BuiltInLayouts()) layouts.push_back(InfoOf(entry));
  return layouts;
}

std::string UserLayoutFolder() { return ::UserLayoutFolder(); }

std::vector<std::string> UserLayoutFiles() { return ::UserLayoutFiles(); }

LayoutInfo CheckLayoutFile(const std::string& path) { return InfoOf(LoadLayoutFile(path)); }

FileIdentity IdentifyFile(const std::string& filePath, const ImportOptions& options) {
  FileIdentity identity;
  if (!options.layoutFile.empty()) {
    LayoutEntry chosen = LoadLayoutFile(options.layoutFile);
    if (!chosen.layout) {
      const ::LayoutProblem& problem = chosen.problems.front();
      identity.failure = "The layout " + options.layoutFile + " cannot be used: " +
                         (problem.line ? "line " + std::to_string(problem.line) + ": " : "") + problem.reason;
      return identity;
    }
  }
  RunLog::Scope log("", kComponent);  // counts lines, writes no file
  FileImporter importer("");
  importer.SetOptions(options);
  identity.format = importer.Identify(filePath, &identity.brokerAccounts);
  return identity;
}

bool CanImportFileWithOptions(const std::string& filePath, const ImportOptions& options) {
  RunLog::Scope log("", kComponent);
  FileImporter importer("");
  importer.SetOptions(options);
  return importer.CanImport(filePath);
}

}  // namespace VoServices
