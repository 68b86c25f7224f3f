// The host's date/time values (days since 1899-12-30, local scale, 0.0 = not
// set) to and from the whole seconds on the channel, counted from 1970-01-01
// 09:00 of the host's scale.
#pragma once

#include <cstdint>

namespace scriptlink {

inline constexpr double kChannelEpoch = 25569.375;  // 1970-01-01 09:00

// Dates at or before the epoch, unset dates and NaN give 0; dates past the
// signed 32-bit range (and +infinity) give its largest value.
std::int32_t DateTimeToSeconds(double date_time) noexcept;
// 0 gives the unset date 0.0.
double SecondsToDateTime(std::int32_t seconds) noexcept;

}  // namespace scriptlink
