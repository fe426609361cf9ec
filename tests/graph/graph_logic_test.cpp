#include <gtest/gtest.h>

#include <random>

#include <QFile>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include <climits>

#include "core/AppState.h"
#include "core/LocaleText.h"
#include "files/GraphFile.h"
#include "graph/Annotations.h"
#include "graph/GraphDocument.h"
#include "graph/GraphSetup.h"
#include "graph/GraphStatistics.h"
#include "graph/Recording.h"
#include "stats/AcousticStatistics.h"

namespace {

using tdt::kSecond;
constexpr double kT0 = 46366.25;  // 2026-12-10 06:00:00

GraphDocument series(std::initializer_list<float> levels, double start = kT0) {
    GraphDocument d;
    d.setPoints(static_cast<int>(levels.size()));
    int i = 0;
    for (float y : levels) {
        d.setX(0, i, start + i * kSecond);
        d.setY(0, i, y);
        ++i;
    }
    return d;
}

GraphDocument richDocument() {
    GraphDocument d = series({60.1f, kNullLevel, 70.5f, 80.2f, 45.0f});
    d.scaleControlX = ScaleControl::ManualMinAndMax;
    d.manualMinX = kT0;
    d.manualMaxX = kT0 + 10 * kSecond;
    d.scaleControlY = ScaleControl::ManualMinAndMax;
    d.manualMinY = 30;
    d.manualMaxY = 130;
    d.look.mainTitle = QStringLiteral("Plant room — north wall");
    d.look.backColor = PEargb(255, 10, 20, 30);
    d.look.subsetLineTypes = {LineType::Dash};
    d.look.gridStyle = GridStyle::Thick;
    d.look.dataHotSpots = true;
    d.annotations[5] = {kT0 + kSecond, 72.5, AnnotationType::Cross, QString(),
                        PEargb(255, 1, 2, 3)};
    d.annotations[6] = {kT0 + 2 * kSecond, 90, AnnotationType::Text, QStringLiteral("door"),
                        PEargb(255, 255, 255, 255)};
    d.vertLines[0] = {kT0, QStringLiteral("|t06:00:00\n60.1dB")};
    return d;
}

struct LocaleScope {
    explicit LocaleScope(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

}  // namespace

TEST(StateBlock, RoundTripGivesEqualState) {
    const GraphDocument d = richDocument();
    GraphDocument back;
    QString error;
    ASSERT_TRUE(back.loadState(d.saveState(), &error)) << error.toStdString();
    EXPECT_TRUE(back == d);
    EXPECT_EQ(back.x(3), d.x(3));  // exact times, not rounded
    EXPECT_EQ(back.annotation(6).text, QStringLiteral("door"));
}

TEST(StateBlock, DamagedBlocksAreRefusedAndChangeNothing) {
    const QByteArray good = richDocument().saveState();
    const GraphDocument before = series({50, 51});
    std::vector<QByteArray> bad;
    for (qsizetype n : {qsizetype(0), qsizetype(3), qsizetype(7), qsizetype(12), good.size() / 2,
                        good.size() - 1})
        bad.push_back(good.left(n));
    // Point count forged to two billion, and an annotation count far beyond the block.
    QByteArray forged = good;
    qToLittleEndian<qint32>(0x7FFFFFFF, forged.data() + 12);
    bad.push_back(forged);
    // Two billion series of no points: nothing to read, but no chart has them.
    GraphDocument empty;
    QByteArray manySeries = empty.saveState();
    qToLittleEndian<qint32>(0x7FFFFFFF, manySeries.data() + 8);
    bad.push_back(manySeries);
    qToLittleEndian<qint32>(17, manySeries.data() + 8);
    bad.push_back(manySeries);
    QByteArray wrongVersion = good;
    wrongVersion[4] = 9;
    bad.push_back(wrongVersion);
    QRandomGenerator rng(7);
    for (int k = 0; k < 200; ++k) {
        QByteArray r(static_cast<qsizetype>(rng.bounded(1, 400)), Qt::Uninitialized);
        for (char& c : r)
            c = static_cast<char>(rng.bounded(256));
        if (k % 2 == 0)
            r.replace(0, 8, good.left(8));  // right header, garbage behind it
        bad.push_back(r);
    }
    for (const QByteArray& b : bad) {
        GraphDocument d = before;
        QString error;
        EXPECT_FALSE(d.loadState(b, &error)) << b.size();
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(d == before);
    }
}

TEST(GraphDocumentTest, EveryLookSettingRoundTripsAndOldBlocksStillLoad) {
    GraphDocument d = series({60, 61});
    GraphLook& l = d.look;
    l.mainTitle = QStringLiteral("Compressor room");
    l.subTitle = QStringLiteral("night shift");
    l.xAxisLabel = QStringLiteral("Zeit");
    l.yAxisLabel = QStringLiteral("dB(A)");
    l.foreColor = PEargb(255, 1, 2, 3);
    l.backColor = PEargb(255, 4, 5, 6);
    l.deskColor = PEargb(255, 7, 8, 9);
    l.textColor = PEargb(255, 10, 11, 12);
    l.yAxisColor = PEargb(255, 13, 14, 15);
    l.subsetColors = {PEargb(255, 16, 17, 18)};
    l.subsetLineTypes = {LineType::DashDot};
    l.gridStyle = GridStyle::Thick;
    l.viewingStyle = kViewMonochrome;
    l.titleFont = QStringLiteral("Serif,14,-1,5,700,0,0,0,0,0");
    l.labelFont = QStringLiteral("Sans,9,-1,5,400,1,0,0,0,0");
    l.axisFont = QStringLiteral("Mono,7,-1,5,400,0,0,0,0,0");
    GraphDocument back;
    ASSERT_TRUE(back.loadState(d.saveState()));
    EXPECT_TRUE(back.look == d.look);

    // A block of the first version (no fonts) loads with the chart's own fonts.
    GraphDocument plain = series({70});
    QByteArray v2 = plain.saveState();
    // The fonts are three empty strings (12 bytes) before the annotation count and the two
    // cursor lines (4 + 2 x 12 bytes) at the end.
    const qsizetype fonts = v2.size() - 28 - 12;
    ASSERT_EQ(v2.mid(fonts, 12), QByteArray(12, '\0'));
    QByteArray v1 = v2;
    v1.remove(fonts, 12);
    v1[4] = 1;
    GraphDocument old;
    QString error;
    ASSERT_TRUE(old.loadState(v1, &error)) << error.toStdString();
    EXPECT_TRUE(old == plain);
}

TEST(GraphStatisticsTest, WholeGraph) {
    struct Case {
        const char* name;
        std::vector<float> levels;
        double avg;
        float max;
        int maxIndex;
        float min;
        int minIndex;
        double rate;
    } cases[] = {
        {"mean of dB values", {60, 70, 80}, 70.0, 80, 2, 60, 0, 1.0},
        {"ties keep the first", {65, 70, 70, 65}, 67.5, 70, 1, 65, 0, 1.0},
        {"one point", {55.5f}, 55.5, 55.5f, 0, 55.5f, 0, 0.0},
        {"null points are not levels", {kNullLevel, 60, kNullLevel, 80}, 70.0, 80, 3, 60, 1, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GraphDocument d;
        d.setPoints(static_cast<int>(c.levels.size()));
        for (int i = 0; i < d.points(); ++i) {
            d.setX(0, i, kT0 + i * kSecond);
            d.setY(0, i, c.levels[static_cast<std::size_t>(i)]);
        }
        const GraphStatistics s = graphStatistics(d);
        EXPECT_EQ(s.count, d.points());
        EXPECT_NEAR(s.average, c.avg, 1e-9);
        EXPECT_EQ(s.max, c.max);
        EXPECT_EQ(s.maxIndex, c.maxIndex);
        EXPECT_EQ(s.min, c.min);
        EXPECT_EQ(s.minIndex, c.minIndex);
        EXPECT_NEAR(s.samplingRate, c.rate, 1e-6);
        EXPECT_EQ(s.first, kT0);
    }
    EXPECT_EQ(graphStatistics(series({kNullLevel, kNullLevel})).levels, 0);
}

TEST(GraphStatisticsTest, PlacesNeverWrittenAreNoPoints) {
    // A recording stopped after 3 of 6 samples, a cancelled conversion, a save mid-recording:
    // the rest keeps X 0 and Y 0 (Clear) or Y null.
    GraphDocument d = series({70, 60, 80, 0, 0, 0});
    for (int i = 3; i < 6; ++i)
        d.setX(0, i, 0);
    GraphDocument unwritten = series({0, 70, 60, 80});
    unwritten.setX(0, 0, 0);
    for (const GraphDocument* doc : {&d, &unwritten}) {
        const GraphStatistics s = graphStatistics(*doc);
        EXPECT_EQ(s.levels, 3);
        EXPECT_EQ(s.timed, 3);
        EXPECT_EQ(s.min, 60);
        EXPECT_NEAR(s.average, 70.0, 1e-9);
        EXPECT_GT(s.first, kT0 - kSecond);
        EXPECT_NEAR(s.samplingRate, 1.0, 1e-6);
        const CursorStatistics c = cursorStatistics(*doc, 0, doc->points() - 1);
        EXPECT_EQ(c.levels, 3);
        EXPECT_EQ(c.min, 60);
        EXPECT_GT(c.minX, kT0);
    }
    GraphDocument none;
    none.setPoints(2000);
    none.fillX(0);
    none.fillY(0);
    const GraphStatistics s = graphStatistics(none);
    EXPECT_EQ(s.count, 2000);
    EXPECT_EQ(s.timed, 0);
    EXPECT_EQ(s.levels, 0);
    EXPECT_EQ(s.samplingRate, 0.0);
}

TEST(GraphStatisticsTest, BetweenCursors) {
    const GraphDocument d = series({60, 80, 70, 80, 50, kNullLevel, 90});
    struct Case {
        int a, b;
        double avg;
        float max;
        double maxX;
        float min;
        double minX;
    } cases[] = {
        {0, 2, 70.0, 80, kT0 + kSecond, 60, kT0},
        {2, 0, 70.0, 80, kT0 + kSecond, 60, kT0},                    // swapped thumbs
        {2, 2, 70.0, 70, kT0 + 2 * kSecond, 70, kT0 + 2 * kSecond},  // one point
        {1, 4, 70.0, 80, kT0 + kSecond, 50, kT0 + 4 * kSecond},      // tie nearest lo
        {4, 6, 70.0, 90, kT0 + 6 * kSecond, 50, kT0 + 4 * kSecond},  // null left out
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << ".." << c.b);
        const CursorStatistics s = cursorStatistics(d, c.a, c.b);
        EXPECT_NEAR(s.average, c.avg, 1e-9);
        EXPECT_EQ(s.max, c.max);
        EXPECT_DOUBLE_EQ(s.maxX, c.maxX);
        EXPECT_EQ(s.min, c.min);
        EXPECT_DOUBLE_EQ(s.minX, c.minX);
    }
}

TEST(GraphStatisticsTest, BlockSummariesAnswerAsAScanWould) {
    // A few blocks of points with nulls, unwritten places and ties, ranges across block edges,
    // and points changed between the questions.
    std::mt19937 rng(5);
    GraphDocument d;
    d.setPoints(5000);
    for (int i = 0; i < d.points(); ++i) {
        d.setX(0, i, i % 97 == 13 ? 0.0 : kT0 + i * kSecond);
        d.setY(0, i, i % 31 == 7 ? kNullLevel : static_cast<float>(40 + rng() % 50));
    }
    const auto scan = [&d](int lo, int hi) {
        GraphDocument::LevelRange r;
        for (int i = lo; i <= hi; ++i) {
            if (!d.isDrawn(0, i))
                continue;
            ++r.levels;
            r.sum += d.y(i);
            if (r.maxI < 0 || d.y(i) > d.y(r.maxI))
                r.maxI = i;
            if (r.minI < 0 || d.y(i) < d.y(r.minI))
                r.minI = i;
        }
        return r;
    };
    for (int round = 0; round < 3; ++round) {
        for (int q = 0; q < 300; ++q) {
            const int a = static_cast<int>(rng() % 5000), b = static_cast<int>(rng() % 5000);
            const int lo = std::min(a, b), hi = std::max(a, b);
            const auto fast = d.levelRange(lo, hi);
            const auto slow = scan(lo, hi);
            ASSERT_EQ(fast.levels, slow.levels) << lo << ".." << hi;
            ASSERT_NEAR(fast.sum, slow.sum, 1e-6);
            ASSERT_EQ(fast.maxI, slow.maxI) << lo << ".." << hi;
            ASSERT_EQ(fast.minI, slow.minI) << lo << ".." << hi;
        }
        // A new maximum in the middle, an appended point, a cleared stretch.
        d.setY(0, 2500 + round, 200.0f);
        d.setPoints(d.points() + 1);
        d.setX(0, d.points() - 1, kT0);
        d.setY(0, d.points() - 1, 10.0f);
        for (int i = 100; i < 1300; ++i)
            d.setY(0, i, kNullLevel);
    }
    EXPECT_EQ(d.levelRange(3000, 2000).levels, 0);
    EXPECT_EQ(cursorStatistics(d, 0, d.points() - 1).max, 200.0f);
}

TEST(GraphStatisticsTest, AcousticFiguresFromBlockHistogramsMatchTheReadings) {
    // Long enough for several histogram blocks; nulls and unwritten places left out.
    std::mt19937 rng(9);
    GraphDocument d;
    d.setPoints(200'000);
    for (int i = 0; i < d.points(); ++i) {
        d.setX(0, i, i % 1001 == 5 ? 0.0 : kT0 + i * kSecond);
        d.setY(0, i, i % 777 == 3 ? kNullLevel : static_cast<float>((350 + rng() % 600) / 10.0));
    }
    for (const auto& [lo, hi] : {std::pair{0, 199'999}, {1, 65'537}, {70'000, 140'000}, {5, 5}}) {
        SCOPED_TRACE(lo);
        std::vector<float> levels;
        for (int i = lo; i <= hi; ++i)
            if (d.x(i) != 0)
                levels.push_back(d.y(i));
        const AcousticStatistics want = acousticStatistics(levels.data(), levels.size());
        const AcousticStatistics got = acousticOf(d, lo, hi);
        EXPECT_EQ(got.count, want.count);
        EXPECT_NEAR(got.leq, want.leq, 1e-6);
        EXPECT_NEAR(got.l10, want.l10, 1e-6);
        EXPECT_NEAR(got.l50, want.l50, 1e-6);
        EXPECT_NEAR(got.l90, want.l90, 1e-6);
    }
    // A level that is no whole tenth: the readings themselves are taken.
    d.setY(0, 10, 61.25f);
    EXPECT_NEAR(acousticOf(d, 10, 10).leq, 61.25, 1e-5);
}

TEST(GraphStatisticsTest, ExportTextOfAWindowNeverFilled) {
    StatisticTexts t;
    t.dataNo = QStringLiteral("0");
    t.avgAll = QStringLiteral("***.* dB ");
    t.samplingRate = QStringLiteral("0.2");
    EXPECT_EQ(exportStatisticText(t),
              QStringLiteral("Start Time:\nSampling Rate:0.2\nDataNo:0\nAvg.:***.* dB \n"
                             "Maximum:@\nMinimum:@\nCursor A:@\nCursor B:@\n"
                             "Max.Between A and B:@\nMin.Between A and B:@\n"
                             "Avg. Between A and B:\n"
                             "Leq:\nL10:\nL50:\nL90:\nLeq Between A and B:\n"
                             "L10 Between A and B:\nL50 Between A and B:\nL90 Between A and B:\n"));
}

TEST(LocaleTextTest, LevelsTimesAndLabels) {
    LocaleScope en(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(localetext::fixed1(1234.56), QStringLiteral("1234.6"));
    EXPECT_EQ(localetext::timeText(kT0 + 15 * kSecond).left(7), QStringLiteral("6:00:15"));
    EXPECT_FALSE(localetext::timeText(kT0).contains(QLatin1String("UTC")));
    const QString label = cursorLabel(kT0, 65.3f);
    EXPECT_TRUE(label.startsWith(QLatin1String("|t6:00:00")));
    EXPECT_TRUE(label.endsWith(QLatin1String("\n65.3dB")));
    {
        LocaleScope de(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(localetext::fixed1(1234.5), QStringLiteral("1234,5"));
        EXPECT_EQ(mouseReadout(kT0 + 30 * kSecond + 15 * 60 * kSecond + 4 * 3600 * kSecond, 65.3),
                  QStringLiteral("65,3dB@10:15:30"));
        EXPECT_EQ(rateListTexts().first(), QStringLiteral("0,1"));
    }
}

TEST(RealTimeRates, EntriesPeriodsAndLists) {
    const std::pair<double, int> entries[] = {
        {0.1, 0}, {0.149, 0}, {0.15, 1}, {0.2, 1},  {0.3, 2},  {0.55, 3},  {1.49, 3},
        {2.0, 4}, {5.0, 5},   {10.0, 6}, {20.0, 7}, {30.0, 8}, {30.5, -1}, {60.0, -1}};
    for (auto [rate, entry] : entries)
        EXPECT_EQ(rateEntry(rate), entry) << rate;
    EXPECT_EQ(periodText(periodSeconds(2000, 0.2f), false), QStringLiteral("0:6:40"));
    EXPECT_EQ(periodText(periodSeconds(2000, 0.2), true), QStringLiteral("0:06:40"));
    EXPECT_EQ(periodText(periodSeconds(99999, 30), true), QStringLiteral("833:19:30"));
    EXPECT_EQ(periodSeconds(99999, 1e30), INT_MAX);  // typed nonsense stays a number
    EXPECT_EQ(periodSeconds(10, -2), 0);
    EXPECT_EQ(rateListTexts(),
              QStringList({"0.1", "0.2", "0.5", "1.0", "2.0", "5.0", "10.0", "20.0", "30.0"}));
}

TEST(Recording, SamplesKeepTheRateAndStopTrimsToThem) {
    AppState st;
    st.RealTimeRate = 0.3f;
    GraphDocument d;
    startRecording(st, d, 5, kT0);
    EXPECT_EQ(d.points(), 5);
    EXPECT_EQ(st.MaxLevel, -9999);
    // Frames every 250 ms: only those 0.3 s or more after the last sample are taken.
    double now = kT0;
    std::vector<double> taken;
    for (int f = 1; f <= 8; ++f) {
        now = kT0 + f * 0.25 * kSecond;
        if (recordSample(st, d, f * 250, now, 60.0f + f, false).taken)
            taken.push_back(now);
    }
    ASSERT_EQ(taken.size(), 4u);
    for (std::size_t i = 1; i < taken.size(); ++i)
        EXPECT_GE((taken[i] - taken[i - 1]) / kSecond, 0.3 - 1e-6);
    EXPECT_EQ(st.SampleCount, 4);
    EXPECT_EQ(st.MaxLevel, 67.0f);  // frames 1, 3, 5 and 7
    const double avg = stopRecording(st, d, now);
    EXPECT_EQ(d.points(), 4);
    EXPECT_DOUBLE_EQ(d.manualMaxX, now);
    EXPECT_NEAR(avg, (61 + 63 + 65 + 67) / 4.0, 1e-9);
    EXPECT_FALSE(st.RealTimeRunning);
}

TEST(Recording, AWallClockSetBackDoesNotStopTheSamples) {
    AppState st;
    st.RealTimeRate = 1.0f;
    GraphDocument d;
    startRecording(st, d, 10, kT0);
    // Frames a second apart; after the second the wall clock goes back an hour.
    for (int f = 0; f < 4; ++f) {
        const double stamp = kT0 + f * kSecond - (f >= 2 ? 3600 * kSecond : 0);
        EXPECT_TRUE(recordSample(st, d, 1000 + f * 1000, stamp, 60, false).taken) << f;
    }
    EXPECT_EQ(st.SampleCount, 4);
}

TEST(Recording, FullCapacityAndFastestRateRedraws) {
    AppState st;
    st.RealTimeRate = 0.1f;
    GraphDocument d;
    startRecording(st, d, 3, kT0);
    std::vector<bool> redraw, full;
    for (int f = 1; f <= 3; ++f) {
        const double t = kT0 + f * 0.25 * kSecond;
        const SampleResult r = recordSample(st, d, f * 250, t, 50, true);
        redraw.push_back(r.redraw);
        full.push_back(r.full);
    }
    EXPECT_EQ(redraw, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(full, (std::vector<bool>{false, false, true}));
    // A recording without capacity is full at its first frame, and writes nothing.
    startRecording(st, d, 0, kT0);
    EXPECT_TRUE(recordSample(st, d, 100'000, kT0 + 1, 50, false).full);
    EXPECT_EQ(st.SampleCount, 0);
}

TEST(Annotations, ListedErasedAndPlaced) {
    GraphDocument d = series({60, 61, 62});
    int last = 4;
    placeAnnotation(d, last, AnnotationType::Cross, kT0, 60, QString());
    placeAnnotation(d, last, AnnotationType::Cross, kT0 + kSecond, 61, QString());
    placeAnnotation(d, last, AnnotationType::Text, kT0 + 2 * kSecond, 62, QString());  // empty
    placeAnnotation(d, last, AnnotationType::Text, kT0 + 2 * kSecond, 62, QStringLiteral("fan"));
    EXPECT_EQ(last, 8);
    auto rows = listAnnotations(d);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].contents, QStringLiteral("X"));
    EXPECT_EQ(rows[1].index, 6);
    EXPECT_EQ(rows[2].contents, QStringLiteral("fan"));
    eraseAnnotation(d, rows[1].index);
    rows = listAnnotations(d);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].index, 8);
    EXPECT_DOUBLE_EQ(d.annotation(6).x, kT0 + kSecond);  // an erased one keeps its place
    markDataPoint(d, 0, 1);
    EXPECT_EQ(d.annotation(kHotSpotAnnotation).type, AnnotationType::Cross);
    EXPECT_EQ(d.annotation(kHotSpotAnnotation).color, PEargb(255, 255, 255, 0));
    EXPECT_TRUE(d.annotation(kHotSpotAnnotation).text.endsWith(QLatin1String("\r61.0 dB")));
    EXPECT_TRUE(listAnnotations(series({1})).empty());
}

TEST(Annotations, NewOnesNeverOverwriteLoadedOrOtherWindowsOnes) {
    // A graph file brings annotations 5..7; the process-wide counter has been reset by a Clear
    // in another window.
    GraphDocument loaded = series({60, 61, 62});
    for (int k = 5; k <= 7; ++k)
        loaded.annotations[k] = {kT0 + kSecond, 70.0 + k, AnnotationType::Cross, QString(),
                                 PEargb(255, 255, 255, 255)};
    const GraphDocument before = loaded;
    const auto listed = listAnnotations(loaded);
    ASSERT_EQ(listed.size(), 3u);  // every annotation of the file can be erased
    EXPECT_EQ(listed.front().index, 5);
    int last = 4;
    EXPECT_EQ(placeAnnotation(loaded, last, AnnotationType::Text, kT0, 65, QStringLiteral("new")),
              8);
    EXPECT_EQ(last, 8);
    for (int k = 5; k <= 7; ++k)
        EXPECT_EQ(loaded.annotation(k), before.annotation(k)) << k;

    // A counter ahead of this window's annotations is respected too.
    GraphDocument other = series({60});
    EXPECT_EQ(placeAnnotation(other, last, AnnotationType::Cross, kT0, 60, QString()), 9);

    // Annotations moved out of view by Clear are not offered for erasing.
    moveOutOfView(loaded, 3, lastUsedAnnotation(loaded));
    EXPECT_TRUE(listAnnotations(loaded).empty());
    EXPECT_EQ(lastUsedAnnotation(series({1})), 4);
}

TEST(GraphSetupTest, DefaultLookAndTemplate) {
    GraphDocument d = series({70, 71});
    d.annotations[5] = {};
    EXPECT_FALSE(initGraphDocument(d, 1, 130, 30, kT0 + 400 * kSecond, kT0, 2000, nullptr));
    EXPECT_EQ(d.points(), 2000);
    EXPECT_FALSE(d.isDrawn(0, 0));
    EXPECT_EQ(d.y(1999), kNullLevel);
    EXPECT_EQ(d.manualMinY, 30);
    EXPECT_EQ(d.manualMaxY, 130);
    EXPECT_EQ(d.manualMinX, kT0);
    EXPECT_EQ(d.look.backColor, PEargb(255, 0, 0, 0));
    EXPECT_EQ(d.look.foreColor, PEargb(255, 190, 190, 190));
    EXPECT_EQ(d.look.subsetColors.front(), PEargb(255, 255, 255, 0));
    EXPECT_EQ(d.look.yAxisColor, PEargb(255, 255, 0, 0));
    EXPECT_EQ(d.look.xAxisLabel, QStringLiteral("Time"));
    EXPECT_EQ(d.look.gridStyle, GridStyle::Dot);

    GraphDocument styled = richDocument();
    styled.look.xAxisLabel = QStringLiteral("Zeit");
    const QByteArray block = styled.saveState();
    GraphDocument e;
    EXPECT_TRUE(initGraphDocument(e, 1, 130, 30, kT0 + 500 * kSecond, kT0, 500, &block));
    EXPECT_EQ(e.look.xAxisLabel, QStringLiteral("Zeit"));
    EXPECT_EQ(e.look.backColor, styled.look.backColor);
    EXPECT_EQ(e.points(), 500);
    EXPECT_EQ(e.manualMinY, 30);
    EXPECT_TRUE(e.annotations.empty());
    EXPECT_FALSE(e.isDrawn(0, 0));
    // A template that does not load leaves the default look.
    const QByteArray broken = block.left(20);
    GraphDocument f;
    EXPECT_FALSE(initGraphDocument(f, 1, 130, 30, 0, 0, 10, &broken));
    EXPECT_EQ(f.look.xAxisLabel, QStringLiteral("Time"));
}

TEST(GraphFileTest, RoundTripAndRefusals) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ghf"));
    const GraphDocument d = richDocument();
    QString error;
    ASSERT_TRUE(writeGraphFile(d, path, &error));
    auto block = readGraphBlock(path, &error);
    ASSERT_TRUE(block.has_value());
    GraphDocument back;
    ASSERT_TRUE(back.loadState(*block));
    EXPECT_TRUE(back == d);

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData()), quint32(bytes.size() - 4));
    auto write = [&](const QByteArray& b) {
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(b);
    };
    write(bytes + QByteArray("trailing"));
    EXPECT_TRUE(readGraphBlock(path, &error).has_value());
    for (const QByteArray& b : {bytes.left(3), bytes.left(bytes.size() - 1),
                                QByteArray("\xff\xff\xff\x7f"
                                           "abc",
                                           7)}) {
        write(b);
        error.clear();
        EXPECT_FALSE(readGraphBlock(path, &error).has_value());
        EXPECT_EQ(error, QStringLiteral("Stream read error"));
    }
    EXPECT_FALSE(readGraphBlock(dir.filePath(QStringLiteral("none.ghf")), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot open file \"")));
}
