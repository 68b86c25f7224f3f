// The host's date scale: days since 1899-12-30 00:00 with the time of day as
// the fraction, local time, 0.0 = not set.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zentrella {

struct CivilDateTime {
  std::int32_t year = 1899, month = 12, day = 30;
  std::int32_t hour = 0, minute = 0, second = 0, msec = 0;
};

// nullopt for a date that does not exist (year 1..9999).
std::optional<double> encode_date(std::int32_t year, std::int32_t month, std::int32_t day);
// nullopt outside 0..23, 0..59, 0..59, 0..999.
std::optional<double> encode_time(std::int32_t hour, std::int32_t minute, std::int32_t second, std::int32_t msec);
// Whether a value lies on the scale: finite, and from year 1 to year 9999.
bool is_on_scale(double date_time);
// Rounded to the millisecond; the time of day of a negative value is taken
// as its distance from midnight, as the scale defines it.
CivilDateTime decode(double date_time);

// "YYYY-MM-DDTHH:MM:SS" with ".mmm" when there are milliseconds.
std::string format_date_time(double date_time);
// Accepts "YYYY-MM-DD", "YYYY-MM-DD HH:MM", "YYYY-MM-DDTHH:MM:SS(.mmm)".
std::optional<double> parse_date_time(std::string_view text);

}  // namespace zentrella
