#include "platform/TimeZone.h"

#include <ctime>

int TimeZoneBiasMinutes() {
  tzset();
  return static_cast<int>(timezone / 60);
}
