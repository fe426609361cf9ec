#include "TDateTime.h"

#include <cmath>

namespace tdt {

namespace {
// A function, not a global: other units convert dates during their own static set-up.
QDate epoch() {
    return QDate(1899, 12, 30);
}

// Whole days and milliseconds of the day, rounded to the millisecond so that a value built from
// a time with milliseconds comes back exactly.
std::pair<qint64, int> split(TDateTime value) {
    double days = std::floor(value);
    auto ms = static_cast<qint64>(std::llround((value - days) * kMsPerDay));
    auto whole = static_cast<qint64>(days);
    if (ms >= static_cast<qint64>(kMsPerDay)) {
        ++whole;
        ms = 0;
    }
    return {whole, static_cast<int>(ms)};
}
}  // namespace

TDateTime fromDateTime(const QDate& date, const QTime& time) {
    const double days = static_cast<double>(epoch().daysTo(date));
    const double ms = time.isValid() ? time.msecsSinceStartOfDay() : 0;
    return days + ms / kMsPerDay;
}

TDateTime fromDateTime(const QDateTime& dt) {
    return fromDateTime(dt.date(), dt.time());
}

// Days a date can have: years 1 to 9999. Anything else (a damaged file's value) has no date.
static bool inRange(TDateTime value) {
    return std::isfinite(value) && value > -693594.0 && value < 2958466.0;
}

QDate datePart(TDateTime value) {
    return inRange(value) ? epoch().addDays(split(value).first) : QDate();
}

QTime timePart(TDateTime value) {
    return inRange(value) ? QTime::fromMSecsSinceStartOfDay(split(value).second) : QTime();
}

QDateTime toDateTime(TDateTime value) {
    return QDateTime(datePart(value), timePart(value));
}

}  // namespace tdt
