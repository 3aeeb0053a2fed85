// vo show: what the database holds.
#include <iostream>
#include <memory>
#include <string>

#include "cli/Command.h"
#include "cli/StoredRows.h"

Command AddShowCommand(CLI::App& app) {
  auto table = std::make_shared<std::string>("all");
  CLI::App* show = app.add_subcommand("show", "Print the stored transactions and symbols");
  show->add_option("--table", *table, "trans_table, sym_table, or all")
      ->check(CLI::IsMember({"all", "trans_table", "sym_table", "inactive_sym_table", "grp_table",
                             "event_table"}));
  return {show, [table] {
            if (!OpenDatabase()) return kExitFalse;
            return ExitFor(PrintStoredRows(*table, std::cout));
          }};
}
