// Prints what the database holds, one row a line, for the `vo show` command.
#pragma once

#include <ostream>
#include <string>

// "all" prints sym_table then trans_table. False when a select fails.
bool PrintStoredRows(const std::string& table, std::ostream& out);
