// What vo says about an import, shared by `vo import` and `vo web` so that
// both give the same texts: the outcome line, the reason a failed import
// gives, the refusal of some or all rows, and where run logs go.
#pragma once

#include <string>

#include "voservices/ImportOptions.h"

// The one line that says why the import of `path` (shown as `shown`) failed.
std::string ImportFailureReason(const std::string& path, const std::string& shown,
                                const VoServices::ImportOutcome& outcome);

// "imported FORMAT: N transactions stored, ...; log PATH", or the dry run's.
std::string ImportOutcomeLine(const VoServices::ImportOutcome& outcome);

// When the database refused rows: the line that says so (empty when it
// refused none) and the exit status vo gives (0, kExitFalse when it refused
// all, kExitRowsRefused when some).
int ImportRefusal(const VoServices::ImportOutcome& outcome, std::string& line);

// The folder run logs go to: $XDG_STATE_HOME/vo/logs, else
// ~/.local/state/vo/logs, made when missing; "./" (said on stderr) when it
// cannot be made. Ends in "/".
std::string DefaultLogFolder();

// A dry run reads the database and never writes or makes one: it opens the
// database to read, and where there is no database file yet an empty one in
// memory stands in for it (everything in the file would then be stored).
// False with the reason when neither opens.
bool OpenForDryRun(std::string& error);
