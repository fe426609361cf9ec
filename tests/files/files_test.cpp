#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <csignal>

#include "files/DateTimeText.h"
#include "files/GraphFile.h"
#include "files/GridPrint.h"
#include "files/ListGridModel.h"
#include "files/TableToGraph.h"
#include "files/TextFiles.h"
#include "graph/GraphDocument.h"
#include "graph/GraphStatistics.h"

namespace {

using tdt::kSecond;
constexpr double kT0 = 46366.5;  // 2026-12-10 12:00:00

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

GraphDocument graphOf(int points, int filled) {
    GraphDocument d;
    d.setPoints(points);
    for (int i = 0; i < filled; ++i) {
        d.setX(0, i, kT0 + i * kSecond);
        d.setY(0, i, 50.0f + static_cast<float>(i % 10) * 1.5f);
    }
    return d;
}

struct LocaleScope {
    explicit LocaleScope(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

// Writes beyond this many bytes fail, as on a full disk; restored on leaving.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit l = saved;
        l.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
    rlimit saved{};
};

class Files : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QTemporaryDir dir;
};

}  // namespace

TEST(Range, FromTheDialogsTexts) {
    struct Case {
        bool all;
        const char *from, *to;
        int count;
        int first, last;
        bool ok;
    } cases[] = {
        {true, "abc", "x", 100, 1, 100, true},
        {false, "-5", "3", 100, 3, 5, true},
        {false, "0", "1000", 100, 1, 100, true},
        {false, "5", "3", 100, 3, 5, true},
        {false, "600", "700", 500, 501, 500, true},
        {false, "abc", "3", 100, 0, 0, false},
        {false, "1", "", 100, 0, 0, false},
        // Typed integers at and beyond the ends of int never overflow.
        {false, "-2147483648", "10", 100, 10, 100, true},
        {false, "-2147483648", "-2147483648", 100, 101, 100, true},
        {false, "2147483647", "1", 100, 1, 100, true},
        {false, "-9223372036854775808", "1", 100, 0, 0, false},
        {false, "99999999999999999999", "1", 100, 0, 0, false},
        {true, "", "", 0, 1, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << ".." << c.to);
        const auto r = rangeFromTexts(c.all, QLatin1String(c.from), QLatin1String(c.to), c.count);
        ASSERT_EQ(r.has_value(), c.ok);
        if (r) {
            EXPECT_EQ(r->first, c.first);
            EXPECT_EQ(r->last, c.last);
        }
    }
}

TEST_F(Files, GraphTextLines) {
    GraphDocument d = graphOf(500, 300);
    d.setX(0, 1, kT0 + kSecond + 0.999 * kSecond);  // milliseconds are dropped, not rounded
    d.setY(0, 1, 63.4f);
    EXPECT_EQ(exportGraphText(d, path("all.txt"), '\t', {1, 500}, nullptr), 300);
    const QList<QByteArray> lines = readAll(path("all.txt")).split('\n');
    ASSERT_EQ(lines.size(), 301);  // the last line end leaves an empty tail
    EXPECT_EQ(lines[0], QByteArray("12/10/26\t12:00:00\t50.0\r"));
    EXPECT_EQ(lines[1], QByteArray("12/10/26\t12:00:01\t63.4\r"));
    EXPECT_TRUE(lines[300].isEmpty());

    const std::pair<LineRange, int> cases[] = {
        {{3, 5}, 3},
        {{298, 400}, 3},  // stops at the first point never filled
        {{600, 500}, 0},  // from 600 to 700 on 500 points
    };
    for (const auto& [range, count] : cases) {
        SCOPED_TRACE(range.first);
        EXPECT_EQ(exportGraphText(d, path("part.csv"), ',', range, nullptr), count);
        EXPECT_EQ(readAll(path("part.csv")).count('\n'), count);
        if (range.first == 3) {
            EXPECT_TRUE(readAll(path("part.csv")).startsWith("12/10/26,12:00:02,53.0\r\n"))
                << readAll(path("part.csv")).toStdString();
        }
    }
    EXPECT_EQ(readAll(path("part.csv")), QByteArray());  // the empty range leaves an empty file
}

TEST_F(Files, GraphTextUnderADecimalComma) {
    LocaleScope de(QLocale(QLocale::German, QLocale::Germany));
    GraphDocument d = graphOf(2, 2);
    d.setY(0, 1, 63.4f);
    EXPECT_EQ(exportGraphText(d, path("de.csv"), ',', {1, 2}, nullptr), 2);
    EXPECT_EQ(readAll(path("de.csv")),
              QByteArray("10.12.26,12:00:00,50,0\r\n10.12.26,12:00:01,63,4\r\n"));
}

TEST_F(Files, ImportSplitsLinesIntoColumns) {
    const QByteArray long179 = "a\t" + QByteArray(177, 'x');
    const QByteArray long180 = "b\t" + QByteArray(178, 'y');
    writeAll(path("in.txt"),
             "12/10/26\t12:00:00\t60.0\r\n"
             "1\t2\t3\t4\t5\t6\t7\t8\r\n" +
                 long179 + "\n" + long180 + "\nnever\tread\n");
    ListGridModel g;
    const ImportResult r = importText(path("in.txt"), '\t', g, nullptr);
    EXPECT_TRUE(r.opened);
    ASSERT_EQ(r.rows, 4);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.Cells(0, 1), QStringLiteral("1"));
    EXPECT_EQ(g.Cells(2, 1), QStringLiteral("12:00:00"));
    EXPECT_EQ(g.Cells(3, 1), QStringLiteral("60.0"));
    EXPECT_EQ(g.Cells(4, 1), QString());
    EXPECT_EQ(g.Cells(6, 2), QStringLiteral("6"));  // fields 7 and 8 are dropped
    EXPECT_EQ(g.Cells(2, 3).size(), 177);           // 179 characters: read whole
    EXPECT_EQ(g.Cells(2, 4).size(), 177);           // 180: cut to 179, and the last line read
    EXPECT_EQ(g.Cells(0, 4), QStringLiteral("4"));

    // Characters are counted as the bytes decode: Latin-1 bytes (invalid UTF-8) one each,
    // UTF-8 sequences one each.
    struct Cut {
        const char* name;
        QByteArray body;
        int keptBytes;
    } cuts[] = {
        {"Latin-1 degree signs", QByteArray(5000, '\xB0'), 177},
        {"UTF-8 micro signs", QByteArray("\xC2\xB5").repeated(200), 354},
        {"a lead byte without its tail", QByteArray("\xE2").repeated(300), 177},
        {"four-byte characters", QByteArray("\xF0\x9F\x94\x8A").repeated(200), 708},
    };
    for (const Cut& c : cuts) {
        SCOPED_TRACE(c.name);
        writeAll(path("odd.txt"), "n\t" + c.body + "\nnever\tread\n");
        ListGridModel odd;
        ASSERT_EQ(importText(path("odd.txt"), '\t', odd, nullptr).rows, 1);
        EXPECT_EQ(bytesOfChars(c.body.constData(), c.body.constEnd(), 177), c.keptBytes);
    }
    const QByteArray exact = "\xB0" + QByteArray(178, 'x');
    EXPECT_EQ(bytesOfChars(exact.constData(), exact.constEnd(), 179), -1);  // not over the limit

    writeAll(path("gap.csv"), "a,1\nb,2\n\nc,3\n");
    ListGridModel h;
    EXPECT_EQ(importText(path("gap.csv"), ',', h, nullptr).rows, 2);
    EXPECT_EQ(h.Cells(1, 2), QStringLiteral("b"));

    ListGridModel cancelled;
    const auto stopAtThird = [](int line) { return line < 3; };
    EXPECT_EQ(importText(path("gap.csv"), ',', cancelled, stopAtThird).rows, 2);
    EXPECT_FALSE(importText(path("none.txt"), '\t', cancelled, nullptr).opened);
}

TEST_F(Files, GridTextHasASeparatorAfterEveryCell) {
    writeAll(path("in.txt"), "12/10/26\t12:00:00\t60.0\n12/10/26\t12:00:01\t61.5\n");
    ListGridModel g;
    importText(path("in.txt"), '\t', g, nullptr);
    g.setCells(4, 2, QStringLiteral("note"));
    EXPECT_EQ(gridSeparatorFor(QStringLiteral("x.CSV")), ',');
    EXPECT_EQ(gridSeparatorFor(QStringLiteral("x.txt")), '\t');
    EXPECT_EQ(exportGridText(g, path("out.csv"), ',', {1, 2}, nullptr), 2);
    EXPECT_EQ(readAll(path("out.csv")),
              QByteArray("12/10/26,12:00:00,60.0,,,,\r\n12/10/26,12:00:01,61.5,note,,,\r\n"));
}

TEST_F(Files, FailedSavesLeaveTheOldFileAsItWas) {
    const QByteArray old = "the previous export\r\n";
    for (const char* name : {"old.txt", "old.ghf"})
        writeAll(path(name), old);
    const GraphDocument big = graphOf(100'000, 100'000);
    {
        FileSizeLimit limit(64 * 1024);
        EXPECT_EQ(exportGraphText(big, path("old.txt"), '\t', {1, 100'000}, nullptr), -1);
        QString error;
        EXPECT_FALSE(writeGraphFile(big, path("old.ghf"), &error));
        EXPECT_EQ(error, QStringLiteral("Stream write error"));
    }
    EXPECT_EQ(readAll(path("old.txt")), old);
    EXPECT_EQ(readAll(path("old.ghf")), old);
    QString error;
    EXPECT_FALSE(writeGraphFile(big, dir.filePath(QStringLiteral("no/such/dir/a.ghf")), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot create file \"")));
}

TEST(DateTimeParsing, LocaleDatesAndTimes) {
    DateTimeReader en;
    const double t = *en.parse("12/10/26", "10:15:30");
    EXPECT_DOUBLE_EQ(t, tdt::fromDateTime(QDate(2026, 12, 10), QTime(10, 15, 30)));
    EXPECT_DOUBLE_EQ(*en.parse("12/10/2026", "10:15:30 PM"), t + 0.5);
    EXPECT_DOUBLE_EQ(*en.parse(" 1/2/99", "0:00:00"),
                     tdt::fromDateTime(QDate(1999, 1, 2), QTime(0, 0)));
    EXPECT_FALSE(en.parse("13/40/26", "10:00:00"));
    EXPECT_FALSE(en.parse("12/10/26", "25:00:00"));
    EXPECT_FALSE(en.parse("12/10/26", "60.0"));
    EXPECT_FALSE(en.parse("", ""));
    EXPECT_EQ(*en.number("63.4"), 63.4);
    EXPECT_FALSE(en.number("63,4"));
    DateTimeReader de(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_DOUBLE_EQ(*de.parse("10.12.26", "10:15:30"), t);
    EXPECT_EQ(*de.number("63,4"), 63.4);
    // Only finite numbers are levels, under either decimal separator.
    for (const char* text : {"nan", "NaN", "inf", "-inf", "+inf", "1e999"}) {
        EXPECT_FALSE(en.number(text)) << text;
        EXPECT_FALSE(de.number(text)) << text;
    }
}

TEST(TableToGraphTest, RowsBecomePoints) {
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("t.txt"));
    writeAll(p,
             "12/10/26\t10:00:00\t60.0\n12/10/26\t10:00:01\tloud\nbad\t10:00:02\t70\n"
             "12/10/26\t10:00:03\t80.0\n");
    ListGridModel g;
    importText(p, '\t', g, nullptr);
    ASSERT_TRUE(tableHasData(g));
    DateTimeReader reader;
    QString error;
    const auto span = tableSpan(g, reader, &error);
    ASSERT_TRUE(span);
    EXPECT_EQ(span->rows, 4);
    EXPECT_NEAR((span->end - span->start) / kSecond, 3.0, 1e-6);
    GraphDocument d;
    d.setPoints(4);
    d.fillX(0);
    d.fillY(kNullLevel);
    EXPECT_EQ(tableToGraph(g, d, reader, nullptr), 4);
    EXPECT_EQ(d.y(0), 60.0f);
    EXPECT_NE(d.x(1), 0);
    EXPECT_EQ(d.y(1), kNullLevel);  // its time, no level
    EXPECT_EQ(d.x(2), 0);           // neither
    EXPECT_EQ(d.y(3), 80.0f);

    GraphDocument cancelled;
    cancelled.setPoints(4);
    EXPECT_EQ(tableToGraph(g, cancelled, reader, [](int r) { return r < 2; }), 1);
    EXPECT_EQ(cancelled.y(0), 60.0f);
    EXPECT_EQ(cancelled.x(3), 0);

    g.setCells(1, 4, QStringLiteral("someday"));
    EXPECT_FALSE(tableSpan(g, reader, &error));
    EXPECT_EQ(error, QStringLiteral("'someday 10:00:03' is not a valid date and time"));
    ListGridModel empty;
    EXPECT_FALSE(tableHasData(empty));
}

TEST(TableToGraphTest, TimeRangeIsEarliestToLatestWhateverTheOrder) {
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("t.txt"));
    // Descending, and the latest time in the middle.
    writeAll(p,
             "12/10/26\t10:00:03\t60.0\n12/10/26\t10:00:09\t61.0\n12/10/26\t10:00:01\t62.0\n"
             "12/10/26\t10:00:00\t63.0\n");
    ListGridModel g;
    importText(p, '\t', g, nullptr);
    DateTimeReader reader;
    const auto span = tableSpan(g, reader, nullptr);
    ASSERT_TRUE(span);
    EXPECT_NEAR((span->end - span->start) / kSecond, 3.0, 1e-6);
    GraphDocument d;
    d.setPoints(4);
    tableToGraph(g, d, reader, nullptr);
    fitTimeRange(d);
    EXPECT_NEAR((d.manualMinX - span->start) / kSecond, 0.0, 1e-6);
    EXPECT_NEAR((d.manualMaxX - d.manualMinX) / kSecond, 9.0, 1e-6);
    const GraphStatistics s = graphStatistics(d);
    EXPECT_NEAR(s.samplingRate, 3.0, 1e-6);
    EXPECT_EQ(s.first, span->start);
    // One time only, or none at all.
    GraphDocument one;
    one.setPoints(3);
    one.setX(0, 1, span->start);
    fitTimeRange(one);
    EXPECT_NEAR((one.manualMaxX - one.manualMinX) / kSecond, 1.0, 1e-6);
    GraphDocument none;
    none.setPoints(3);
    none.manualMinX = 5;
    fitTimeRange(none);
    EXPECT_EQ(none.manualMinX, 5);
}

TEST(Printing, GridLinesAndPages) {
    // A list window of 25 data rows: 26 lines, the heading padded as the rule says.
    ListGridModel list;
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("25.txt"));
    QByteArray text;
    for (int i = 0; i < 25; ++i)
        text += "12/10/26\t10:00:" + QByteArray::number(10 + i) + "\t6" +
                QByteArray::number(i % 10) + ".5\r\n";
    writeAll(p, text);
    importText(p, '\t', list, nullptr);
    // The heading row as the list window writes it.
    const char* heading[] = {"No", "Date", "Time", "Value"};
    for (int c = 0; c < 4; ++c)
        list.setCells(c, 0, QLatin1String(heading[c]));
    const QStringList lines = gridPrintLines([&list](int c, int r) { return list.Cells(c, r); },
                                             list.RowCount(), list.ColCount(), GridRule::List);
    ASSERT_EQ(lines.size(), 26);
    EXPECT_EQ(lines[0], QStringLiteral("No") + QString(16, QLatin1Char(' ')) +
                            QStringLiteral("Date") + QString(12, QLatin1Char(' ')) +
                            QStringLiteral("Time") + QString(26, QLatin1Char(' ')) +
                            QStringLiteral("Value") + QString(10, QLatin1Char(' ')) +
                            QString(40, QLatin1Char(' ')));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("1") + QString(18, QLatin1Char(' ')) +
                                    QStringLiteral("12/10/26")));
    // A cell longer than its column is printed whole and pushes the rest to the right.
    EXPECT_EQ(printedCell(QStringLiteral("abcdefghijkl"), 10), QStringLiteral("abcdefghijkl"));
    EXPECT_EQ(printedCell(QStringLiteral("abc"), 10), QStringLiteral("abc") + QString(14, ' '));

    // The data capture rule: 12 readings, the heading, and empty slots up to row 100.
    const QStringList capture = gridPrintLines(
        [](int c, int r) {
            if (r == 0)
                return QStringList({"No", "Value", "Date", "Time", "Wei.", "F/S"})[c];
            if (c == 0)
                return QString::number(r);
            return r <= 12 ? QStringLiteral("x") : QString();
        },
        101, 6, GridRule::DataCapture);
    ASSERT_EQ(capture.size(), 101);
    EXPECT_TRUE(capture[0].startsWith(QStringLiteral("No") + QString(16, ' ') + "Value"));
    EXPECT_FALSE(capture[12].isEmpty());
    for (int r = 13; r <= 100; ++r)
        EXPECT_TRUE(capture[r].isEmpty()) << r;

    // Pages of L = 60 lines: row 60 starts page 2 at y = h.
    const auto laid = layoutPrintLines(QStringList(61, QStringLiteral("x")), 10, 605);
    EXPECT_EQ(laid[59].page, 0);
    EXPECT_EQ(laid[59].y, 600);
    EXPECT_EQ(laid[60].page, 1);
    EXPECT_EQ(laid[60].y, 10);
    EXPECT_EQ(layoutPrintLines({QStringLiteral("x")}, 50, 10)[0].y, 50);  // at least one a page
}

TEST(ImportLimits, OnlyRegularFilesAndLinesAcrossChunks) {
    QTemporaryDir dir;
    // A ".txt" that is a link to a device never ends: it is refused at once.
    const QString link = dir.filePath(QStringLiteral("zero.txt"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), link));
    ListGridModel g;
    EXPECT_FALSE(importText(link, '\t', g, nullptr).opened);
    EXPECT_FALSE(importText(dir.path(), '\t', g, nullptr).opened);  // a folder

    // Lines that cross the reading chunks (4 MiB) come whole; the table ends at its first line
    // without a separator.
    QByteArray text;
    int lines = 0;
    while (text.size() < (9 << 20)) {
        text += "12/10/26\t10:00:00\t" + QByteArray::number(lines % 1000) + ".5\r\n";
        ++lines;
    }
    text += "end of table\r\nafter\tit\r\n";
    writeAll(dir.filePath(QStringLiteral("big.txt")), text);
    ListGridModel big;
    const ImportResult r = importText(dir.filePath(QStringLiteral("big.txt")), '\t', big, nullptr);
    ASSERT_EQ(r.rows, lines);
    for (int row : {1, lines / 2, lines})
        EXPECT_EQ(big.Cells(3, row), QString::number((row - 1) % 1000) + QStringLiteral(".5"))
            << row;
}
