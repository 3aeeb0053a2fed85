// The commands of the vo host, one file each. A command adds its subcommand
// and options to the line parser and hands back what runs it once the line is
// parsed; main() runs the one the user named and returns its exit status.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <vector>

#include "voservices/Ledger.h"
#include "voservices/MaintenanceOutcome.h"
#include "voservices/SymbolUpdateOutcome.h"

// Exit statuses: 0 when the library function returned true.
constexpr int kExitFalse = 1;            // the function returned false
constexpr int kExitUsage = 2;            // the command line was wrong
constexpr int kExitConversionError = 3;  // an import stopped on a conversion error
constexpr int kExitRowsRefused = 4;      // an import stored, but the database refused some rows

inline int ExitFor(bool result) { return result ? 0 : kExitFalse; }

// A registered command. `run` owns the command's parsed options.
struct Command {
  CLI::App* subcommand = nullptr;
  std::function<int()> run;
};

// Whether the database is a file that does not exist (yet).
bool DatabaseFileMissing();
// Whether the database is a server or a file that exists; when not, says so
// on stderr. Commands that change stored rows refuse a missing file rather
// than make an empty ledger to work on.
bool DatabaseExists();
// The ledger's table of that name; an empty one when there is none.
VoServices::LedgerTable LedgerTableNamed(const std::string& name);
// A check for an option of a positive whole number: its message names what
// was expected ("a run number as vo runs lists them") and what was given.
std::function<std::string(const std::string&)> PositiveWholeNumber(const std::string& expected);
// The application keeps its connection open; the maintenance services and
// the reads rely on that. False (with the reason on stderr) when it fails or
// the database file does not exist.
bool OpenDatabase();
// The same for a command that only reads: nothing is created or altered.
bool OpenDatabaseToRead();
// Why the file cannot be read ("cannot open FILE: reason", naming it as
// `shown`); empty when it can.
std::string OpenFailure(const std::string& path, const std::string& shown);
// The stored trade times that bound a range of YYYY-MM-DD days (that exist:
// 2008-13-45 is none), the last day
// taken whole ("YYYY-MM-DD HH:MM:SS"); an empty day is no bound. False, with
// the reason in `error`, when one is no day.
bool TradeTimeBounds(const std::string& fromDay, const std::string& toDay, std::string& from, std::string& to,
                     std::string& error);
// One condition of a listing: its value (empty when not asked) and its SQL,
// with one `?` for the value.
struct RowFilter {
  std::string value;
  std::string condition;
};
// " WHERE a AND b" of the filters asked (empty when none); their values are
// appended to `parameters` in order.
std::string WhereClause(const std::vector<RowFilter>& filters, std::vector<std::string>& parameters);
// The exit status of a maintenance run; when it changed nothing, says so on
// stderr with the reason.
int MaintenanceResult(const VoServices::MaintenanceOutcome& outcome, const std::string& command);

// Sets the symbol update's batch size ($VO_SECMASTER_BATCH): `batch`, or
// when 0 vo's default unless the environment names one.
void AskForSymbolBatches(size_t batch);
// The line vo says after a symbol update ("updated: ...", "nothing to
// update: ...", "update-symbols failed: ...") and its exit status.
int SymbolUpdateResult(const VoServices::SymbolUpdateOutcome& outcome, std::string& line);

Command AddImportCommand(CLI::App& app);
Command AddCanImportCommand(CLI::App& app);
Command AddIdentifyCommand(CLI::App& app);
Command AddUpdateSymbolsCommand(CLI::App& app);
Command AddSmartTimeCommand(CLI::App& app);
Command AddExpireOptionsCommand(CLI::App& app);
Command AddShowCommand(CLI::App& app);
Command AddRunsCommand(CLI::App& app);
Command AddUndoCommand(CLI::App& app);
Command AddLayoutsCommand(CLI::App& app);
Command AddWebCommand(CLI::App& app);
