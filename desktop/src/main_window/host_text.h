// Texts and dates between the host's model and the widgets: the model keeps
// texts in the code page in force and dates on its day scale.
#pragma once

#include <QDateTime>
#include <QString>
#include <string>
#include <string_view>

namespace desktop {

QString from_host(std::string_view text);
std::string to_host(const QString& text);

// "2024/04/30 17:00"; empty for a date that is not set or off the scale.
QString date_text(double date_time);
// The day scale and back; 0.0 (not set) for an invalid date and time.
QDateTime to_qdatetime(double date_time);
double from_qdatetime(const QDateTime& date_time);

}  // namespace desktop
