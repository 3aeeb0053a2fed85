// vo: the command-line host of the voservices library. It stands in for the
// desktop application: parses a command, calls one library service and maps
// its result to the exit status (see cli/Command.h). Each command lives in a
// file of its own; this file only registers them and runs the one named.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Command.h"
#include "voservices/Ledger.h"
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

// How many single-character edits turn one word into the other.
size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The command a mistyped word most likely meant; empty when none is close.
std::string Closest(const std::string& word, const std::vector<Command>& commands) {
  std::string best;
  size_t bestDistance = 3;  // more edits than this is another word
  for (const Command& command : commands) {
    const std::string& name = command.subcommand->get_name();
    const size_t distance = EditDistance(word, name);
    if (distance < bestDistance || (best.empty() && name.starts_with(word) && word.size() >= 2)) {
      best = name;
      bestDistance = std::min(distance, bestDistance);
    }
  }
  return best;
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
  app.add_option("--db", db, "Database file or mariadb:// URL (default $VO_DB, else vo_db.sqlite3)")
      ->check([](const std::string& name) -> std::string {
        if (name == ":memory:") return "an in-memory database keeps nothing: name a file";
        return "";
      });

  const std::vector<Command> commands = {
      AddImportCommand(app),    AddCanImportCommand(app),     AddIdentifyCommand(app),
      AddUpdateSymbolsCommand(app), AddSmartTimeCommand(app), AddExpireOptionsCommand(app),
      AddShowCommand(app),      AddRunsCommand(app),          AddUndoCommand(app),
      AddLayoutsCommand(app),   AddWebCommand(app),
  };

  const std::string named = NamedCommand(argc, argv);
  // vo help [COMMAND]: the same as vo [COMMAND] --help.
  if (named == "help") {
    std::vector<char*> asked;
    for (int i = 0; i < argc; ++i) {
      if (std::string_view(argv[i]) != "help") asked.push_back(argv[i]);
    }
    asked.push_back(const_cast<char*>("--help"));
    try {
      app.parse(static_cast<int>(asked.size()), asked.data());
    } catch (const CLI::ParseError& error) {
      return app.exit(error) == 0 ? 0 : kExitUsage;
    }
    return 0;
  }
  bool known = false;
  for (const Command& command : commands) known = known || command.subcommand->check_name(named);
  if (!named.empty() && !known) {
    const std::string meant = Closest(named, commands);
    std::cerr << "vo: unknown command '" << named << "'" << (meant.empty() ? "" : " (did you mean '" + meant + "'?)")
              << "; the commands are: " << CommandList(commands) << std::endl;
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
    // Help and the version go to stdout as the parser writes them; errors
    // carry vo's prefix.
    if (error.get_exit_code() == 0) return app.exit(error);
    std::cerr << "vo: " << error.what() << "\nRun 'vo " << (named.empty() ? "" : named + " ") << "--help' for more information."
              << std::endl;
    return kExitUsage;
  }
  if (!db.empty()) VoServices::UseDatabase(db);
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
