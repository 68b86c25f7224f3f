#include "model/date_scale.h"

#include <cmath>
#include <cstdio>

namespace zentrella {

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
// Day number of 1899-12-30 in the civil-from-days count (days since 1970-01-01).
constexpr std::int64_t kEpochOffset = -25569;

// Howard Hinnant's days-from-civil algorithm (proleptic Gregorian calendar).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civil_from_days(std::int64_t z, std::int32_t& year, std::int32_t& month, std::int32_t& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<std::int32_t>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<std::int32_t>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<std::int32_t>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

bool is_leap(std::int32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::int32_t days_in_month(std::int32_t year, std::int32_t month) {
  static constexpr std::int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<double> encode_date(std::int32_t year, std::int32_t month, std::int32_t day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > days_in_month(year, month)) {
    return std::nullopt;
  }
  return static_cast<double>(days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                             kEpochOffset);
}

std::optional<double> encode_time(std::int32_t hour, std::int32_t minute, std::int32_t second, std::int32_t msec) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999) {
    return std::nullopt;
  }
  const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + msec;
  return static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

bool is_on_scale(double date_time) {
  return std::isfinite(date_time) && date_time >= *encode_date(1, 1, 1) && date_time < *encode_date(9999, 12, 31) + 1.0;
}

CivilDateTime decode(double date_time) {
  CivilDateTime result;
  if (!std::isfinite(date_time) || std::fabs(date_time) > 3.0e6) return result;
  double whole = std::trunc(date_time);
  std::int64_t ms = std::llround(std::fabs(date_time - whole) * static_cast<double>(kMsPerDay));
  if (ms >= kMsPerDay) {  // rounded up into the next day
    ms -= kMsPerDay;
    whole += date_time < 0 ? -1.0 : 1.0;
  }
  civil_from_days(static_cast<std::int64_t>(whole) + kEpochOffset, result.year, result.month, result.day);
  result.msec = static_cast<std::int32_t>(ms % 1000);
  result.second = static_cast<std::int32_t>(ms / 1000 % 60);
  result.minute = static_cast<std::int32_t>(ms / 60000 % 60);
  result.hour = static_cast<std::int32_t>(ms / 3600000);
  return result;
}

std::string format_date_time(double date_time) {
  const CivilDateTime t = decode(date_time);
  char text[40];
  if (t.msec != 0) {
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, t.msec);
  } else {
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
  }
  return text;
}

std::optional<double> parse_date_time(std::string_view text) {
  const std::string copy(text);
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, ms = 0, used = 0;
  char sep = 0;
  if (std::sscanf(copy.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used) != 3 || used != 10) return std::nullopt;
  if (copy.size() > 10) {
    int more = 0;
    if (std::sscanf(copy.c_str() + 10, "%c%2d:%2d%n", &sep, &h, &mi, &more) != 3 || (sep != 'T' && sep != ' ')) {
      return std::nullopt;
    }
    std::size_t at = 10 + static_cast<std::size_t>(more);
    if (at < copy.size() && copy[at] == ':') {
      if (std::sscanf(copy.c_str() + at, ":%2d%n", &sec, &more) != 1) return std::nullopt;
      at += static_cast<std::size_t>(more);
      if (at < copy.size() && copy[at] == '.') {
        if (std::sscanf(copy.c_str() + at, ".%3d%n", &ms, &more) != 1 || more != 4) return std::nullopt;
        at += static_cast<std::size_t>(more);
      }
    }
    if (at != copy.size()) return std::nullopt;
  }
  const auto date = encode_date(y, mo, d);
  const auto time = encode_time(h, mi, sec, ms);
  if (!date || !time) return std::nullopt;
  return *date < 0 ? *date - *time : *date + *time;  // before the epoch the fraction still counts forward
}

}  // namespace zentrella
