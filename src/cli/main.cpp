// vo: the command-line host of the voservices library. It stands in for the
// desktop application: parses a command, calls one library service and maps
// its result to the exit status (see cli/Command.h). Each command lives in a
// file of its own; this file only registers them and runs the one named.
#include <CLI/CLI.hpp>

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Command.h"

int main(int argc, char** argv) {
  CLI::App app{"vo: import broker files, update symbols and maintain transactions"};
  app.require_subcommand(1);
  std::string db;
  app.add_option("--db", db, "Database file (sets VO_DB; default vo_db.sqlite3)")
      ->check([](const std::string& name) -> std::string {
        if (name == ":memory:") return "an in-memory database keeps nothing: name a file";
        return "";
      });

  const std::vector<Command> commands = {
      AddImportCommand(app),    AddCanImportCommand(app),     AddUpdateSymbolsCommand(app),
      AddSmartTimeCommand(app), AddExpireOptionsCommand(app), AddShowCommand(app),
      AddRunsCommand(app),      AddUndoCommand(app),
  };

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    int code = app.exit(error);
    return code == 0 ? 0 : kExitUsage;
  }
  if (!db.empty()) setenv("VO_DB", db.c_str(), 1);

  for (const Command& command : commands) {
    if (*command.subcommand) return command.run();
  }
  return kExitUsage;
}
