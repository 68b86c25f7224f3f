#include "requests/date_time.h"

#include <cmath>
#include <limits>

namespace scriptlink {

std::int32_t DateTimeToSeconds(double date_time) noexcept {
  double days = date_time - kChannelEpoch;
  if (!(days > 0)) return 0;  // also NaN
  // Halves go to the even neighbour (the default rounding mode).
  const double seconds = std::nearbyint(days * 24 * 60 * 60);
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  if (!(seconds < kMax)) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(seconds);
}

double SecondsToDateTime(std::int32_t seconds) noexcept {
  if (seconds == 0) return 0.0;
  return static_cast<double>(seconds) / 60 / 60 / 24 + kChannelEpoch;
}

}  // namespace scriptlink
