#include "graph/GraphStatistics.h"

#include <algorithm>

#include "app/LocaleText.h"

GraphStatistics graphStatistics(const GraphDocument& doc) {
    GraphStatistics s;
    const int n = doc.points();
    s.count = n;
    if (n == 0)
        return s;
    s.first = doc.x(0);
    s.last = doc.x(n - 1);
    s.samplingRate = n > 1 ? (s.last - s.first) * 86400.0 / (n - 1) : 0.0;
    double sum = 0;
    float hi = -9999.0f, lo = 9999.0f;
    for (int i = 0; i < n; ++i) {
        const float y = doc.y(i);
        if (y == doc.nullY)
            continue;
        ++s.levels;
        sum += y;
        // Ties keep the first occurrence.
        if (s.maxIndex < 0 || y > hi) {
            hi = y;
            s.maxIndex = i;
        }
        if (s.minIndex < 0 || y < lo) {
            lo = y;
            s.minIndex = i;
        }
    }
    if (s.levels > 0) {
        s.average = sum / s.levels;
        s.max = hi;
        s.min = lo;
    }
    return s;
}

CursorStatistics cursorStatistics(const GraphDocument& doc, int a, int b) {
    CursorStatistics c;
    const int n = doc.points();
    if (n == 0)
        return c;
    c.lo = std::clamp(std::min(a, b), 0, n - 1);
    c.hi = std::clamp(std::max(a, b), 0, n - 1);
    double sum = 0;
    bool any = false;
    for (int i = c.lo; i <= c.hi; ++i) {
        const float y = doc.y(i);
        if (y == doc.nullY)
            continue;
        ++c.levels;
        sum += y;
        if (!any || y > c.max) {
            c.max = y;
            c.maxX = doc.x(i);
        }
        if (!any || y < c.min) {
            c.min = y;
            c.minX = doc.x(i);
        }
        any = true;
    }
    if (c.levels > 0)
        c.average = sum / c.levels;
    return c;
}

QString exportStatisticText(const StatisticTexts& t) {
    const QChar at = QLatin1Char('@');
    const QString lines[] = {
        QStringLiteral("Start Time:") + t.startTime,
        QStringLiteral("Sampling Rate:") + t.samplingRate,
        QStringLiteral("DataNo:") + t.dataNo,
        QStringLiteral("Avg.:") + t.avgAll,
        QStringLiteral("Maximum:") + t.max + at + t.maxTime,
        QStringLiteral("Minimum:") + t.min + at + t.minTime,
        QStringLiteral("Cursor A:") + t.cursorA + at + t.cursorATime,
        QStringLiteral("Cursor B:") + t.cursorB + at + t.cursorBTime,
        QStringLiteral("Max.Between A and B:") + t.maxAB + at + t.maxABTime,
        QStringLiteral("Min.Between A and B:") + t.minAB + at + t.minABTime,
        QStringLiteral("Avg. Between A and B:") + t.avgAB,
    };
    QString out;
    for (const QString& l : lines)
        out += l + QLatin1Char('\n');
    return out;
}

QString cursorLabel(double x, float y) {
    return QStringLiteral("|t") + localetext::timeText(x) + QLatin1Char('\n') +
           localetext::fixed1(y) + QStringLiteral("dB");
}

QString hotSpotLabel(double x, float y) {
    return localetext::timeText(x) + QLatin1Char('\r') + localetext::fixed1(y) +
           QStringLiteral(" dB");
}

QString mouseReadout(double x, double y) {
    return localetext::fixed1(y) + QStringLiteral("dB@") + localetext::timeText(x);
}
