// Stand-in for the platform's time-zone information: only the base bias.
#pragma once

namespace vo {

// Minutes to add to local standard time to get UTC (west of UTC is positive),
// from the C library's time-zone setting (TZ); daylight saving is not applied.
int TimeZoneBiasMinutes();

}  // namespace vo
