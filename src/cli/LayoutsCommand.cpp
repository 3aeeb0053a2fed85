// vo layouts: the layouts the import tries, one a line ("ID<tab>NAME<tab>SOURCE",
// NAME "refused: ..." for a description that cannot be used), built-in first.
// vo layouts check FILE...: each description's problems as "FILE:LINE: reason"
// (or "FILE: ok: FORMAT"); exit 0 when every one can be used.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "voservices/Layouts.h"

namespace {

std::string Where(const VoServices::LayoutProblem& problem) {
  return problem.line ? std::to_string(problem.line) + ": " : " ";
}

void List() {
  std::vector<VoServices::LayoutInfo> layouts = VoServices::ListBuiltInLayouts();
  for (const std::string& file : VoServices::UserLayoutFiles()) {
    layouts.push_back(VoServices::CheckLayoutFile(file));
  }
  for (const VoServices::LayoutInfo& layout : layouts) {
    std::string name = layout.name;
    if (!layout.problems.empty()) {
      const VoServices::LayoutProblem& first = layout.problems.front();
      name = "refused: " + (first.line ? "line " + std::to_string(first.line) + ": " : "") + first.reason;
    }
    std::cout << layout.id << '\t' << name << '\t' << layout.source << '\n';
  }
  std::cout.flush();
  const std::string folder = VoServices::UserLayoutFolder();
  std::cerr << "vo: your layouts are read from " << (folder.empty() ? "nowhere (no home folder)" : folder)
            << std::endl;
}

bool Check(const std::vector<std::string>& files) {
  bool allUsable = true;
  for (const std::string& file : files) {
    VoServices::LayoutInfo layout = VoServices::CheckLayoutFile(file);
    if (layout.problems.empty()) {
      std::cout << file << ": ok: " << layout.formatName << '\n';
      continue;
    }
    allUsable = false;
    for (const VoServices::LayoutProblem& problem : layout.problems) {
      std::cout << file << ":" << Where(problem) << problem.reason << '\n';
    }
  }
  std::cout.flush();
  return allUsable;
}

}  // namespace

Command AddLayoutsCommand(CLI::App& app) {
  auto files = std::make_shared<std::vector<std::string>>();
  CLI::App* layouts = app.add_subcommand("layouts", "List the layouts the import tries after its formats");
  layouts->require_subcommand(0, 1);
  CLI::App* check = layouts->add_subcommand("check", "Check layout descriptions: every problem with its line");
  check->add_option("FILE", *files, "Layout descriptions (.toml or .json)")->required();
  return {layouts, [files, check] {
            if (*check) return ExitFor(Check(*files));
            List();
            return 0;
          }};
}
