// vo: the command-line host of the voservices library. It stands in for the
// desktop application: parses a command, calls one library service and maps
// its result to the exit status (see cli/Command.h). Each command lives in a
// file of its own; this file only registers them and runs the one named.
#include <CLI/CLI.hpp>

#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Command.h"
#include "voservices/Messages.h"

namespace {

// The first word of the line that is neither an option nor --db's value:
// the command the user named; empty when there is none.
std::string NamedCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--db") {
      ++i;
    } else if (!arg.starts_with("-")) {
      return std::string(arg);
    }
  }
  return "";
}

std::string CommandList(const std::vector<Command>& commands) {
  std::string list;
  for (const Command& command : commands) {
    list += (list.empty() ? "" : ", ") + command.subcommand->get_name();
  }
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"vo: import broker files, update symbols and maintain transactions"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "vo " VO_VERSION);
  // Options of vo itself (--db) are taken after the command's too.
  app.fallthrough();
  std::string db;
  app.add_option("--db", db, "Database file or mariadb:// URL (sets VO_DB; default vo_db.sqlite3)")
      ->check([](const std::string& name) -> std::string {
        if (name == ":memory:") return "an in-memory database keeps nothing: name a file";
        return "";
      });

  const std::vector<Command> commands = {
      AddImportCommand(app),    AddCanImportCommand(app),     AddIdentifyCommand(app),
      AddUpdateSymbolsCommand(app), AddSmartTimeCommand(app), AddExpireOptionsCommand(app),
      AddShowCommand(app),      AddRunsCommand(app),          AddUndoCommand(app),
      AddLayoutsCommand(app),
  };

  const std::string named = NamedCommand(argc, argv);
  bool known = false;
  for (const Command& command : commands) known = known || command.subcommand->check_name(named);
  if (!named.empty() && !known) {
    std::cerr << "vo: unknown command '" << named << "'; the commands are: " << CommandList(commands)
              << std::endl;
    return kExitUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_name() == "RequiredError" && named.empty()) {
      std::cerr << "vo: no command given; the commands are: " << CommandList(commands)
                << "\nRun with --help for more information." << std::endl;
      return kExitUsage;
    }
    int code = app.exit(error);
    return code == 0 ? 0 : kExitUsage;
  }
  if (!db.empty()) setenv("VO_DB", db.c_str(), 1);
  // The library prints nothing itself: vo shows its message boxes and its
  // debug output on standard error.
  VoServices::SetMessageHandler([](const std::string& text, const std::string& caption) {
    std::cerr << caption << ": " << text << std::endl;
  });
  VoServices::SetDebugHandler([](const std::string& text) { std::cerr << text << std::endl; });

  for (const Command& command : commands) {
    if (*command.subcommand) return command.run();
  }
  return kExitUsage;
}
