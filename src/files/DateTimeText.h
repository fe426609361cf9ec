#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>

#include <optional>
#include <vector>

#include "core/TDateTime.h"

// Dates, times and levels in text files, fast enough for a million lines: the locale's short
// date format is compiled once, and the date text of the last day is remembered.

class TextLineFormatter {
public:
    explicit TextLineFormatter(const QLocale& locale = QLocale());
    // date, separator, hh:mm:ss (milliseconds dropped), separator, level with one decimal.
    void appendPointLine(QByteArray& out, TDateTime t, float level, char separator);
    QByteArray dateText(TDateTime t);

private:
    QLocale locale_;
    char decimal_;
    qint64 cachedDay_ = std::numeric_limits<qint64>::min();
    QByteArray cachedDate_;
};

// The level with one decimal and the given decimal separator, rounded half away from zero.
void appendFixed1(QByteArray& out, double value, char decimal);

class DateTimeReader {
public:
    explicit DateTimeReader(const QLocale& locale = QLocale());
    // A date in the locale's short format (a two-digit year taken within 50 years of now) and a
    // time of day ("10:15:30", "10:15", "10:15:30.250", "10:15:30 PM").
    std::optional<TDateTime> parse(QByteArrayView date, QByteArrayView time);
    std::optional<double> number(QByteArrayView text) const;
    // The message for a date and time that does not convert.
    static QString invalidText(const QString& text);

private:
    struct Token {
        char kind;  // 'd', 'M', 'y' or 0 for a literal
        int width;
        char literal;
    };
    std::optional<qint64> parseDate(QByteArrayView date);
    std::vector<Token> tokens_;
    QLocale locale_;
    char decimal_;
    int pivotYear_;
    QByteArray lastDate_;
    qint64 lastDays_ = 0;
    bool lastValid_ = false;
};
