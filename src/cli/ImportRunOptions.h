// What vo import adds for the record of import runs: the --once and
// --skip-duplicates options, and the lines that report a re-import and the
// duplicates skipped.
#pragma once

#include <ostream>

#include "voservices/ImportOptions.h"

namespace CLI {
class App;
}

void AddImportRunOptions(CLI::App& import, VoServices::ImportOptions& options);
// On `err`: a re-import (refused or not) and the duplicates skipped.
void ReportImportRun(const VoServices::ImportOptions& options,
                     const VoServices::ImportOutcome& outcome, std::ostream& err);
