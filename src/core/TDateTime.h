#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// A date and time as days since 1899-12-30 plus the fraction of the day, local wall-clock time.
// Conversions go through QDate/QTime only, so no time zone ever slips in.
using TDateTime = double;

namespace tdt {

inline constexpr double kMsPerDay = 86400000.0;
// One second as a TDateTime span.
inline constexpr double kSecond = 1.0 / 86400.0;

TDateTime fromDateTime(const QDate& date, const QTime& time);
TDateTime fromDateTime(const QDateTime& dt);
QDate datePart(TDateTime value);
QTime timePart(TDateTime value);
QDateTime toDateTime(TDateTime value);

}  // namespace tdt
