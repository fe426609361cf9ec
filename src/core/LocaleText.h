#pragma once

#include <QString>

#include "core/TDateTime.h"

// Numbers, dates and times as the user's locale writes them (the default QLocale, so tests can
// switch it).
namespace localetext {

// One decimal, fixed notation, the locale's decimal separator, no group separators.
QString fixed1(double value);
// The locale's short date format.
QString dateText(TDateTime value);
// The locale's long time format without a time zone.
QString timeText(TDateTime value);
// Short date, a space, long time.
QString dateTimeText(TDateTime value);
// A finite number in the locale's format; surrounding blanks ignored ("nan" and "inf" are not).
double toDouble(const QString& text, bool* ok);
// The standard message for a text that is not a number.
QString notANumberText(const QString& text);
// The locale's long time format with any time-zone field taken out.
QString longTimeFormat();

}  // namespace localetext
