#include "import/WritePhasePause.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/DebugOutput.h"

namespace vo {

namespace {

constexpr char kPauseVariable[] = "VO_IMPORT_WRITE_PAUSE_MS";

constexpr char kUndoPauseVariable[] = "VO_UNDO_PAUSE_MS";

long PauseMilliseconds(const char* variable = kPauseVariable) {
  const char* text = std::getenv(variable);
  if (!text || !*text) return 0;
  char* end = nullptr;
  long milliseconds = std::strtol(text, &end, 10);
  return *end == '\0' && milliseconds > 0 ? milliseconds : 0;
}

}  // namespace

void PauseInWritePhase(size_t written, size_t total) {
  size_t half = total / 2 > 0 ? total / 2 : 1;
  if (written != half) return;
  long milliseconds = PauseMilliseconds();
  if (milliseconds == 0) return;
  DebugOutput("Import write phase paused after " + std::to_string(written) + " of " +
              std::to_string(total) + " transactions");
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void PauseBeforeUndoCommit() {
  long milliseconds = PauseMilliseconds(kUndoPauseVariable);
  if (milliseconds == 0) return;
  DebugOutput("Undo paused before its commit");
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace vo
