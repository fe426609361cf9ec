#include "core/LocaleText.h"

#include <cmath>

#include <QLocale>

namespace localetext {

QString fixed1(double value) {
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    return loc.toString(value, 'f', 1);
}

QString longTimeFormat() {
    QString f = QLocale().timeFormat(QLocale::LongFormat);
    // A wall-clock time from the meter has no zone; drop "t" (and its blanks) from the format.
    QString out;
    bool quoted = false;
    for (QChar c : f) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        out += c;
    }
    return out.trimmed();
}

QString dateText(TDateTime value) {
    return QLocale().toString(tdt::datePart(value), QLocale::ShortFormat);
}

QString timeText(TDateTime value) {
    return QLocale().toString(tdt::timePart(value), longTimeFormat());
}

QString dateTimeText(TDateTime value) {
    return dateText(value) + QLatin1Char(' ') + timeText(value);
}

double toDouble(const QString& text, bool* ok) {
    QLocale loc;
    loc.setNumberOptions(QLocale::RejectGroupSeparator);
    bool parsed = false;
    const double v = loc.toDouble(text.trimmed(), &parsed);
    // "nan" and "inf" parse, but are no numbers a user means.
    const bool finite = parsed && std::isfinite(v);
    if (ok)
        *ok = finite;
    return finite ? v : 0.0;
}

QString notANumberText(const QString& text) {
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

}  // namespace localetext
