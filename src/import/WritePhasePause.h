// A pause in the middle of an import's write phase, so that fault tests can
// kill the process while its database transaction is open. Off unless the
// environment variable VO_IMPORT_WRITE_PAUSE_MS holds a positive number of
// milliseconds; production runs never set it.
#pragma once

#include <cstddef>

namespace vo {

// Called after each successful transaction insert. When the pause is on and `written`
// is half of `total` (at least one), writes "Import write phase paused after
// N of M transactions" to the debug output and sleeps for the given time.
void PauseInWritePhase(size_t written, size_t total);

// The same for an undo of an import run, just before it commits, when the
// environment variable VO_UNDO_PAUSE_MS holds a positive number: writes
// "Undo paused before its commit" to the debug output and sleeps.
void PauseBeforeUndoCommit();

}  // namespace vo
