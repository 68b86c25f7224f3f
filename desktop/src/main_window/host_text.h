// Texts and dates between the host's model and the widgets: the model keeps
// texts in the code page in force and dates on its day scale.
#pragma once

#include <QDateTime>
#include <QString>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "model/text_units.h"

namespace desktop {

QString from_host(std::string_view text);
std::string to_host(const QString& text);

// Into a fixed field of a host record, NUL-terminated, cut at the last whole
// character of the code page that fits.
template <std::size_t N>
void put_text(char (&field)[N], std::string_view text) {
  const std::size_t length = zentrella::whole_chars_length(text, N - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

// "2024/04/30 17:00"; empty for a date that is not set or off the scale.
QString date_text(double date_time);
// The day scale and back; 0.0 (not set) for an invalid date and time.
QDateTime to_qdatetime(double date_time);
double from_qdatetime(const QDateTime& date_time);

}  // namespace desktop
