#include "platform/TimeZone.h"

#include <ctime>

namespace vo {

int TimeZoneBiasMinutes() {
  tzset();
  return static_cast<int>(timezone / 60);
}

}  // namespace vo
