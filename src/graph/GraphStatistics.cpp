#include "graph/GraphStatistics.h"

#include <algorithm>
#include <vector>

#include "core/LocaleText.h"
#include "stats/AcousticStatistics.h"

GraphStatistics graphStatistics(const GraphDocument& doc) {
    GraphStatistics s;
    const int n = doc.points();
    s.count = n;
    double sum = 0;
    float hi = 0, lo = 0;
    int firstIndex = -1, lastIndex = -1, timed = 0;
    for (int i = 0; i < n; ++i) {
        // A place never written (X 0) is no point at all; a null level is a point in time
        // without a level.
        if (doc.x(i) == 0)
            continue;
        // Rows need not come in time order: the span runs from the earliest to the latest.
        if (firstIndex < 0 || doc.x(i) < doc.x(firstIndex))
            firstIndex = i;
        if (lastIndex < 0 || doc.x(i) > doc.x(lastIndex))
            lastIndex = i;
        ++timed;
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
    if (timed == 0)
        return s;
    s.timed = timed;
    s.first = doc.x(firstIndex);
    s.last = doc.x(lastIndex);
    s.samplingRate = timed > 1 ? (s.last - s.first) * 86400.0 / (timed - 1) : 0.0;
    if (s.levels == 0)
        return s;
    s.average = sum / s.levels;
    s.max = hi;
    s.min = lo;
    return s;
}

CursorStatistics cursorStatistics(const GraphDocument& doc, int a, int b) {
    CursorStatistics c;
    const int n = doc.points();
    if (n == 0)
        return c;
    c.lo = std::clamp(std::min(a, b), 0, n - 1);
    c.hi = std::clamp(std::max(a, b), 0, n - 1);
    const GraphDocument::LevelRange r = doc.levelRange(c.lo, c.hi);
    c.levels = r.levels;
    if (r.levels == 0)
        return c;
    c.average = r.sum / r.levels;
    c.max = doc.y(r.maxI);
    c.maxX = doc.x(r.maxI);
    c.min = doc.y(r.minI);
    c.minX = doc.x(r.minI);
    return c;
}

AcousticStatistics acousticOf(const GraphDocument& doc, int lo, int hi) {
    // Levels in tenths of a dB (all a meter gives): from the document's block histograms.
    std::vector<std::int64_t> hist;
    if (doc.levelHistogram(lo, hi, hist))
        return acousticFromHistogram(hist);
    lo = std::max(lo, 0);
    hi = std::min(hi, doc.points() - 1);
    std::vector<float> levels;
    if (lo <= hi)
        levels.reserve(static_cast<std::size_t>(hi - lo + 1));
    // A place never written (X 0) is no reading.
    for (int i = lo; i <= hi; ++i)
        if (doc.x(i) != 0)
            levels.push_back(doc.y(i));
    return acousticStatistics(levels.data(), levels.size(), doc.nullY);
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
        QStringLiteral("Leq:") + t.leq,
        QStringLiteral("L10:") + t.l10,
        QStringLiteral("L50:") + t.l50,
        QStringLiteral("L90:") + t.l90,
        QStringLiteral("Leq Between A and B:") + t.leqAB,
        QStringLiteral("L10 Between A and B:") + t.l10AB,
        QStringLiteral("L50 Between A and B:") + t.l50AB,
        QStringLiteral("L90 Between A and B:") + t.l90AB,
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
