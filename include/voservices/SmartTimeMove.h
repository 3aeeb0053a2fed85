// A trade that smart time moved, apart from the function that moves them.
#pragma once

#include <string>

namespace VoServices {

// One trade smart time moved: its id, and its trade time before and after
// ("YYYY-MM-DD HH:MM:SS").
struct SmartTimeMove {
  std::string id;
  std::string from;
  std::string to;
};

}  // namespace VoServices
