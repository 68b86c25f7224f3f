// Dates on the host's scale, the calendar and the date dialog.
#include <cmath>

#include "api/api_support.h"
#include "model/date_scale.h"
#include "model/host_dialogs.h"

using namespace zentrella;
using namespace zentrella::api;

extern "C" ZtlBool ZTLPlugin_EncodeDate(int32_t year, int32_t month, int32_t day, double* date_time) {
  return guarded<ZtlBool>("EncodeDate", ZTL_FALSE, [&] {
    const std::optional<double> value = encode_date(year, month, day);
    if (!value || date_time == nullptr) return ZTL_FALSE;
    *date_time = *value;
    return ZTL_TRUE;
  });
}

extern "C" ZtlBool ZTLPlugin_EncodeTime(int32_t hour, int32_t minute, int32_t second, int32_t msec,
                                        double* date_time) {
  return guarded<ZtlBool>("EncodeTime", ZTL_FALSE, [&] {
    const std::optional<double> value = encode_time(hour, minute, second, msec);
    if (!value || date_time == nullptr) return ZTL_FALSE;
    *date_time = *value;
    return ZTL_TRUE;
  });
}

extern "C" void ZTLPlugin_DecodeDate(const double* date_time, int32_t* year, int32_t* month, int32_t* day) {
  guarded_void("DecodeDate", [&] {
    const CivilDateTime t = decode(date_time != nullptr ? *date_time : 0.0);
    if (year != nullptr) *year = t.year;
    if (month != nullptr) *month = t.month;
    if (day != nullptr) *day = t.day;
  });
}

extern "C" void ZTLPlugin_DecodeTime(const double* date_time, int32_t* hour, int32_t* minute, int32_t* second,
                                     int32_t* msec) {
  guarded_void("DecodeTime", [&] {
    const CivilDateTime t = decode(date_time != nullptr ? *date_time : 0.0);
    if (hour != nullptr) *hour = t.hour;
    if (minute != nullptr) *minute = t.minute;
    if (second != nullptr) *second = t.second;
    if (msec != nullptr) *msec = t.msec;
  });
}

extern "C" void ZTLPlugin_GetCalendarDate(double* date_time) {
  guarded_void("GetCalendarDate", [&] {
    if (date_time == nullptr) return;
    *date_time = s().calendar_date != 0.0 ? s().calendar_date : std::floor(now_date_time());
  });
}

extern "C" void ZTLPlugin_SetCalendarDate(const double* date_time) {
  guarded_void("SetCalendarDate", [&] {
    if (date_time != nullptr && std::isfinite(*date_time)) s().calendar_date = *date_time;
  });
}

extern "C" ZtlBool ZTLPlugin_DateDialogExecute(const char* caption, double* date_time) {
  return guarded<ZtlBool>("DateDialogExecute", ZTL_FALSE, [&] {
    if (date_time == nullptr) return ZTL_FALSE;
    const std::optional<double> chosen = choose_date(caption != nullptr ? caption : "", *date_time);
    if (!chosen) return ZTL_FALSE;
    *date_time = *chosen;
    return ZTL_TRUE;
  });
}
