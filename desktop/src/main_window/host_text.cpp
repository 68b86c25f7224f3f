#include "main_window/host_text.h"

#include <platform/codepage.h>

#include "model/date_scale.h"

namespace desktop {

QString from_host(std::string_view text) {
  const std::string utf8 = platform::codepage::to_utf8(text);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string to_host(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return platform::codepage::from_utf8(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QDateTime to_qdatetime(double date_time) {
  if (date_time == 0.0 || !zentrella::is_on_scale(date_time)) return {};
  const zentrella::CivilDateTime at = zentrella::decode(date_time);
  return QDateTime(QDate(at.year, at.month, at.day), QTime(at.hour, at.minute, at.second, at.msec));
}

double from_qdatetime(const QDateTime& date_time) {
  if (!date_time.isValid()) return 0.0;
  const QDate day = date_time.date();
  const QTime time = date_time.time();
  const auto date = zentrella::encode_date(day.year(), day.month(), day.day());
  const auto clock = zentrella::encode_time(time.hour(), time.minute(), time.second(), time.msec());
  if (!date || !clock) return 0.0;
  // Before 1899-12-30 the time of day counts forward from the (negative) day.
  return *date < 0.0 ? *date - *clock : *date + *clock;
}

QString date_text(double date_time) {
  const QDateTime shown = to_qdatetime(date_time);
  return shown.isValid() ? shown.toString("yyyy/MM/dd HH:mm") : QString();
}

}  // namespace desktop
