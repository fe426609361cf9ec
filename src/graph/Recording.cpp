#include "graph/Recording.h"

#include <QLocale>

#include <climits>
#include <cmath>

#include "core/AppState.h"
#include "core/LocaleText.h"
#include "graph/GraphDocument.h"

namespace {
using tdt::kSecond;
}

int rateEntry(double r) {
    constexpr double upper[] = {0.15, 0.25, 0.55, 1.5, 2.5, 5.5, 10.5, 20.5, 30.5};
    for (int i = 0; i < 9; ++i)
        if (r < upper[i])
            return i;
    return -1;
}

QStringList rateListTexts() {
    QStringList out;
    for (double r : kRealTimeRates)
        out << localetext::fixed1(r);
    return out;
}

int periodSeconds(int samples, double rate) {
    const double s = std::trunc(samples * rate + 0.5);
    // Whatever was typed as the rate, the period stays a number the clock can show.
    if (!(s > 0))
        return 0;
    return s >= INT_MAX ? INT_MAX : static_cast<int>(s);
}

QString periodText(int seconds, bool twoDigits) {
    const int h = seconds / 3600;
    const int m = seconds % 3600 / 60;
    const int s = seconds % 60;
    if (!twoDigits)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m).arg(s);
    return QStringLiteral("%1:%2:%3")
        .arg(h)
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(s, 2, 10, QLatin1Char('0'));
}

SampleResult recordSample(AppState& st, GraphDocument& doc, qint64 nowMs, TDateTime frameTime,
                          float level, bool fastestEntry) {
    SampleResult r;
    if (static_cast<double>(nowMs - st.LastSampleMs) < st.RealTimeRate * 1000.0)
        return r;
    // A recording without capacity has nowhere to put a sample: it is full at once.
    if (st.SampleCount >= doc.points()) {
        r.full = true;
        return r;
    }
    r.taken = true;
    st.LastSampleMs = nowMs;
    st.RealTimeUnsaved = true;
    if (level > st.MaxLevel) {
        st.MaxLevel = level;
        st.MaxLevelTime = frameTime;
        r.newMax = true;
    }
    if (level < st.MinLevel) {
        st.MinLevel = level;
        st.MinLevelTime = frameTime;
        r.newMin = true;
    }
    doc.setX(0, st.SampleCount, frameTime);
    doc.setY(0, st.SampleCount, level);
    ++st.SampleCount;
    // The scale is applied at every redraw; the drawn points stay as they are.
    if (doc.manualMaxX < frameTime)
        doc.manualMaxX = frameTime + 30 * kSecond;
    // At the fastest rate only every second sample is drawn.
    r.redraw = !(fastestEntry && st.SampleCount % 2 == 1);
    r.full = st.SampleCount > doc.points() - 1;
    return r;
}

void startRecording(AppState& st, GraphDocument& doc, int n, TDateTime start) {
    doc.setPoints(n);
    doc.fillX(0);
    doc.fillY(0);
    st.SampleCount = 0;
    st.MaxLevel = -9999;
    st.MinLevel = 9999;
    doc.scaleControlX = ScaleControl::ManualMinAndMax;
    doc.manualMinX = start;
    doc.manualMaxX = start + 100 * kSecond;
    st.RealTimeRunning = true;
}

double stopRecording(AppState& st, GraphDocument& doc, TDateTime end) {
    st.RealTimeRunning = false;
    const int count = st.SampleCount;
    if (count > 0 && count < doc.points())
        doc.setPoints(count);
    doc.manualMaxX = end;
    double sum = 0;
    for (int i = 0; i < count && i < doc.points(); ++i)
        sum += doc.y(i);
    return count > 0 ? sum / count : 0.0;
}
