// What a maintenance run (option expirations, smart time) did, or why it
// changed nothing, apart from the functions that run them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace VoServices {

enum class MaintenanceFailure : uint8_t {
  kNone,              // it changed something
  kNothingAsked,      // the list was empty
  kDatabaseUnusable,  // no database is open, or it could not be read or begin the run's writes
  kNothingToChange,   // nothing listed could be expired or moved
  kWriteFailed,       // the run's writes could not be committed: nothing of it was kept
};

// One trade smart time moved: its id, and its trade time before and after
// ("YYYY-MM-DD HH:MM:SS").
struct SmartTimeMove {
  std::string id;
  std::string from;
  std::string to;
};

struct MaintenanceOutcome {
  bool changed = false;  // what ExpireOptions or ApplySmartTime returns for the same run
  MaintenanceFailure failureKind = MaintenanceFailure::kNone;
  std::string failure;  // why it changed nothing, for people; empty when it changed something
  std::vector<SmartTimeMove> moves;      // smart time: each trade moved, in the order moved
  std::vector<std::string> expiredIds;  // expirations: each opening transaction expired
};

}  // namespace VoServices
