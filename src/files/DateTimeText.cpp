#include "files/DateTimeText.h"

#include <QDate>

#include <charconv>
#include <cmath>

namespace {
const QDate kEpoch(1899, 12, 30);

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads up to maxDigits digits at p; returns the number of digits read.
int readNumber(const char*& p, const char* end, int maxDigits, int& value) {
    value = 0;
    int n = 0;
    while (p < end && n < maxDigits && isDigit(*p)) {
        value = value * 10 + (*p - '0');
        ++p;
        ++n;
    }
    return n;
}

// [p, end) without its leading and trailing blanks.
void trimBlanks(const char*& p, const char*& end) {
    while (p < end && *p == ' ')
        ++p;
    while (end > p && end[-1] == ' ')
        --end;
}

void appendTwo(QByteArray& out, int v) {
    out.append(static_cast<char>('0' + v / 10 % 10));
    out.append(static_cast<char>('0' + v % 10));
}
}  // namespace

void appendFixed1(QByteArray& out, double value, char decimal) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e15) {
        QByteArray s = QByteArray::number(value, 'f', 1);
        s.replace('.', decimal);
        out.append(s);
        return;
    }
    long long tenths = std::llround(value * 10.0);
    if (tenths < 0) {
        out.append('-');
        tenths = -tenths;
    }
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, tenths / 10);
    out.append(buf, r.ptr - buf);
    out.append(decimal);
    out.append(static_cast<char>('0' + tenths % 10));
}

TextLineFormatter::TextLineFormatter(const QLocale& locale)
    : locale_(locale), decimal_(locale.decimalPoint().at(0).toLatin1()) {
    if (decimal_ == 0)
        decimal_ = '.';
}

QByteArray TextLineFormatter::dateText(TDateTime t) {
    const QDate date = tdt::datePart(t);
    const qint64 key = kEpoch.daysTo(date);
    if (key != cachedDay_) {
        cachedDay_ = key;
        cachedDate_ = locale_.toString(date, QLocale::ShortFormat).toUtf8();
    }
    return cachedDate_;
}

void TextLineFormatter::appendPointLine(QByteArray& out, TDateTime t, float level, char separator) {
    out.append(dateText(t));
    out.append(separator);
    // The time to the millisecond, as stored; then the milliseconds are dropped, not rounded.
    const qint64 s = tdt::timePart(t).msecsSinceStartOfDay() / 1000;
    appendTwo(out, static_cast<int>(s / 3600));
    out.append(':');
    appendTwo(out, static_cast<int>(s / 60 % 60));
    out.append(':');
    appendTwo(out, static_cast<int>(s % 60));
    out.append(separator);
    appendFixed1(out, level, decimal_);
}

DateTimeReader::DateTimeReader(const QLocale& locale)
    : locale_(locale),
      decimal_(locale.decimalPoint().at(0).toLatin1()),
      pivotYear_(QDate::currentDate().year() - 50) {
    const QString f = locale.dateFormat(QLocale::ShortFormat);
    for (int i = 0; i < f.size();) {
        const QChar c = f.at(i);
        int n = 1;
        while (i + n < f.size() && f.at(i + n) == c)
            ++n;
        if (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) {
            if (n > 2 && c != QLatin1Char('y')) {
                tokens_.clear();  // month or day names: left to QLocale
                return;
            }
            tokens_.push_back({c.toLatin1(), n, 0});
        } else {
            for (int k = 0; k < n; ++k)
                tokens_.push_back({0, 1, c.toLatin1()});
        }
        i += n;
    }
}

std::optional<qint64> DateTimeReader::parseDate(QByteArrayView date) {
    if (lastValid_ && date == QByteArrayView(lastDate_))
        return lastDays_;
    std::optional<qint64> result;
    const char* p = date.data();
    const char* end = p + date.size();
    trimBlanks(p, end);
    int d = -1, m = -1, y = -1;
    bool ok = !tokens_.empty();
    bool twoDigitYear = false;
    for (const Token& t : tokens_) {
        if (!ok)
            break;
        if (t.kind == 0) {
            // Any one non-digit stands for a separator.
            if (p < end && !isDigit(*p))
                ++p;
            else
                ok = false;
            continue;
        }
        int v = 0;
        const int digits = readNumber(p, end, t.kind == 'y' ? 4 : 2, v);
        if (digits == 0) {
            ok = false;
        } else if (t.kind == 'd') {
            d = v;
        } else if (t.kind == 'M') {
            m = v;
        } else {
            y = v;
            twoDigitYear = digits <= 2;
        }
    }
    if (ok && p == end && d > 0 && m > 0 && y >= 0) {
        if (twoDigitYear) {
            y += pivotYear_ / 100 * 100;
            if (y < pivotYear_)
                y += 100;
        }
        const QDate qd(y, m, d);
        if (qd.isValid())
            result = kEpoch.daysTo(qd);
    }
    if (!result) {
        const QString s = QString::fromUtf8(date).trimmed();
        QDate qd = locale_.toDate(s, QLocale::ShortFormat);
        if (!qd.isValid())
            qd = locale_.toDate(s, QLocale::LongFormat);
        if (!qd.isValid())
            qd = QDate::fromString(s, Qt::ISODate);
        if (qd.isValid())
            result = kEpoch.daysTo(qd);
    }
    lastValid_ = result.has_value();
    if (result) {
        lastDate_ = date.toByteArray();
        lastDays_ = *result;
    }
    return result;
}

std::optional<TDateTime> DateTimeReader::parse(QByteArrayView date, QByteArrayView time) {
    const auto days = parseDate(date);
    if (!days)
        return std::nullopt;
    const char* p = time.data();
    const char* end = p + time.size();
    trimBlanks(p, end);
    int h = 0, m = 0, s = 0, ms = 0;
    if (readNumber(p, end, 2, h) == 0)
        return std::nullopt;
    if (p < end && *p == ':') {
        ++p;
        if (readNumber(p, end, 2, m) != 2)
            return std::nullopt;
        if (p < end && *p == ':') {
            ++p;
            if (readNumber(p, end, 2, s) != 2)
                return std::nullopt;
            if (p < end && (*p == '.' || *p == ',')) {
                ++p;
                int frac = 0;
                const int n = readNumber(p, end, 3, frac);
                if (n == 0)
                    return std::nullopt;
                ms = n == 1 ? frac * 100 : n == 2 ? frac * 10 : frac;
            }
        }
    } else {
        return std::nullopt;  // a bare number is not a time
    }
    while (p < end && *p == ' ')
        ++p;
    if (p < end) {
        const QByteArray rest = QByteArrayView(p, end - p).toByteArray().toUpper();
        if (rest == "AM" || rest == "PM") {
            if (h < 1 || h > 12)
                return std::nullopt;
            h = h % 12 + (rest == "PM" ? 12 : 0);
        } else {
            return std::nullopt;
        }
    }
    if (h > 23 || m > 59 || s > 59)
        return std::nullopt;
    const double dayMs = ((h * 60.0 + m) * 60.0 + s) * 1000.0 + ms;
    return static_cast<double>(*days) + dayMs / tdt::kMsPerDay;
}

std::optional<double> DateTimeReader::number(QByteArrayView text) const {
    const char* p = text.data();
    const char* end = p + text.size();
    trimBlanks(p, end);
    if (p == end)
        return std::nullopt;
    if (decimal_ == '.' && *p != '+') {
        double v = 0;
        const auto r = std::from_chars(p, end, v);
        if (r.ec == std::errc() && r.ptr == end && std::isfinite(v))
            return v;
        return std::nullopt;
    }
    bool ok = false;
    const double v = locale_.toDouble(QString::fromUtf8(p, end - p), &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString DateTimeReader::invalidText(const QString& text) {
    return QStringLiteral("'%1' is not a valid date and time").arg(text);
}
