#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestFiles.h"
#include "cli/CliCommands.h"
#include "cli/CliTable.h"
#include "logger/CollectionFile.h"
#include "logger/ImageBuilder.h"
#include "logger/MemoryImageParser.h"

namespace {

struct Result {
    int code = -1;
    QString out, err;
};

Result runCli(const QStringList& argv) {
    QByteArray out, err;
    const cli::Io io{[&](QByteArrayView b) { out.append(b); },
                     [&](QByteArrayView b) { err.append(b); }};
    Result r;
    r.code = cli::run(argv, io);
    r.out = QString::fromUtf8(out);
    r.err = QString::fromUtf8(err);
    return r;
}

// A collection file as the application saves one.
void writeCollection(const QString& path, const QByteArray& image) {
    ASSERT_TRUE(logger::writeImageFile(path, image, logger::imageLastAddress(image)));
}

QStringList lines(const QString& text) {
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class CliFiles : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    // Two sets: 60.0 and 80.0 dB at 1 s from 2026-12-10 09:30:00 (A), and 45.0 dB three times
    // at 2 s (C).
    QString collection() {
        ImageBuilder b;
        ImageBuilder::Set s;
        s.tenths = {600, 800};
        b.add(s);
        ImageBuilder::Set c;
        c.tenths = {450, 450, 450};
        c.mode = 0x10;
        c.seconds = 0x02;
        b.add(c);
        const QString p = path("two.rec");
        writeCollection(p, b.finish());
        return p;
    }
    QTemporaryDir dir;
};

TEST(CliUsage, WrongCommandLinesAreUsageErrorsThatNameTheCause) {
    struct Case {
        QStringList argv;
        const char* says;
    };
    const std::vector<Case> cases = {
        {{}, "no command given (try --help)"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"sets"}, "'sets' needs FILE.rec"},
        {{"sets", "a.rec", "b.rec"}, "unexpected argument 'b.rec'"},
        {{"sets", "a.rec", "--port", "/dev/ttyS0"}, "'sets' has no option --port"},
        {{"live", "--count"}, "--count needs a value (N)"},
        {{"live", "--count", "0", "--demo"}, "--count must be a whole number from 1, not '0'"},
        {{"live", "--seconds=-3", "--demo"}, "--seconds must be a whole number from 1"},
        {{"live", "--demo=yes"}, "--demo takes no value"},
        {{"live", "--demo", "--port", "/dev/x"}, "give --port or --demo, not both"},
        {{"erase", "--demo"}, "give --yes to erase"},
        {{"set-interval", "2:75", "--demo"}, "'2:75' is no interval"},
        {{"set-interval", "00:00", "--demo"}, "'00:00' is no interval"},
        {{"download", "--demo"}, "download needs --out FILE.rec"},
        {{"convert", "a.ghf", "b.ghf"}, "nothing to convert"},
        {{"convert", "a.ghf", "b.xls"}, "the output is a .ghf, .txt or .csv file"},
        {{"stats", "a.wav"}, "give a .ghf, .txt, .csv or .rec file"},
        {{"stats", "a.csv", "--from", "yesterday"}, "--from must be a local ISO time"},
        {{"stats", "a.csv", "--to", "2024-03-15T14:30:05Z"}, "--to must be a local ISO time"},
    };
    for (const Case& c : cases) {
        const Result r = runCli(c.argv);
        EXPECT_EQ(r.code, cli::kExitUsage) << c.argv.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << r.err.toStdString();
        EXPECT_EQ(lines(r.err).size(), 1) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST(CliUsage, EveryCommandHasHelpNamingEachOfItsOptions) {
    for (const cli::CommandEntry& c : cli::commands()) {
        const Result r = runCli({QLatin1String(c.name), QStringLiteral("--help")});
        EXPECT_EQ(r.code, cli::kExitOk) << c.name;
        for (const cli::OptionEntry& o : c.options)
            EXPECT_TRUE(r.out.contains(QStringLiteral("--") + QLatin1String(o.name))) << c.name;
        EXPECT_EQ(r.out.contains(QLatin1String("--demo")), c.meter) << c.name;
        EXPECT_TRUE(runCli({QStringLiteral("--help")}).out.contains(QLatin1String(c.name)));
    }
}

TEST(CliUsage, TheInstalledManualPageIsTheOneTheTablesMake) {
    const QByteArray page = readAll(QStringLiteral(SONODESK_SOURCE_DIR "/docs/sonodesk-cli.1"));
    EXPECT_EQ(page, cli::manPage())
        << "docs/sonodesk-cli.1 is stale: build/sonodesk-cli --man > docs/sonodesk-cli.1";
}

TEST_F(CliFiles, SetsListsEverySetWithItsFigures) {
    const Result r = runCli({QStringLiteral("sets"), collection()});
    ASSERT_EQ(r.code, cli::kExitOk) << r.err.toStdString();
    const QStringList l = lines(r.out);
    ASSERT_EQ(l.size(), 3);
    EXPECT_EQ(l[0], QStringLiteral("set,start,interval_s,count,weighting,average,max,max_time,min,"
                                   "min_time,leq,l10,l50,l90"));
    // 60 and 80 dB: Leq 77.0; the percentiles interpolate between the two.
    EXPECT_EQ(l[1], QStringLiteral("1,2026-12-10T09:30:00,1,2,A,70.0,80.0,2026-12-10T09:30:01,60.0,"
                                   "2026-12-10T09:30:00,77.0,78.0,70.0,62.0"));
    EXPECT_EQ(l[2], QStringLiteral("2,2026-12-10T09:30:00,2,3,C,45.0,45.0,2026-12-10T09:30:00,45.0,"
                                   "2026-12-10T09:30:00,45.0,45.0,45.0,45.0"));
    const Result json = runCli({QStringLiteral("sets"), collection(), QStringLiteral("--json")});
    EXPECT_TRUE(lines(json.out)[0].startsWith(
        QLatin1String(R"({"set":1,"start":"2026-12-10T09:30:00","interval_s":1,"count":2,)")))
        << json.out.toStdString();
}

TEST_F(CliFiles, ADamagedOrShortCollectionIsAFileErrorNamingTheCause) {
    ImageBuilder b;
    b.add(3);
    ImageBuilder::Set broken;
    broken.tenths = {600, 610};
    broken.goodEnd = false;
    const int at = b.add(broken);
    writeCollection(path("damaged.rec"), b.finish());
    writeAll(path("short.rec"), QByteArray(10, '\0'));
    struct Case {
        QStringList argv;
        QString says;
    };
    const std::vector<Case> cases = {
        {{"sets", path("damaged.rec")}, QStringLiteral("damaged data set 2 at address %1").arg(at)},
        {{"export", path("damaged.rec"), "--set", "1"}, QStringLiteral("damaged data set 2")},
        {{"sets", path("short.rec")}, QStringLiteral("is not a data set collection")},
        {{"sets", path("missing.rec")}, QStringLiteral("is not a data set collection")},
        {{"stats", path("missing.csv")}, QStringLiteral("no such file")},
        {{"stats", dir.path() + QStringLiteral("/.csv")}, QStringLiteral("no such file")},
    };
    for (const Case& c : cases) {
        const Result r = runCli(c.argv);
        EXPECT_EQ(r.code, cli::kExitFile) << c.argv.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(CliFiles, ExportWritesOneSetAsCsvOrAsTheApplicationsText) {
    const QString rec = collection();
    Result r =
        runCli({QStringLiteral("export"), rec, QStringLiteral("--set"), QStringLiteral("1")});
    EXPECT_EQ(r.out,
              QStringLiteral("time,level\n2026-12-10T09:30:00,60.0\n2026-12-10T09:30:01,80.0\n"));
    r = runCli({QStringLiteral("export"), rec, QStringLiteral("--set=2"),
                QStringLiteral("--format"), QStringLiteral("txt"), QStringLiteral("--out"),
                path("set2.txt")});
    ASSERT_EQ(r.code, cli::kExitOk) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    const QByteArray txt = readAll(path("set2.txt"));
    EXPECT_EQ(txt.count("\r\n"), 3);
    EXPECT_TRUE(txt.startsWith("12/10/26\t09:30:00\t45.0\r\n")) << txt.toStdString();
    r = runCli({QStringLiteral("export"), rec, QStringLiteral("--set"), QStringLiteral("3")});
    EXPECT_EQ(r.code, cli::kExitUsage);
    EXPECT_TRUE(r.err.contains(QLatin1String("has 2 data sets; there is no set 3")));
}

// A table as the application writes it: the locale's short date, a time, a level. A row without
// a level, one without a time, and the line after the first one without a separator take no part.
TEST_F(CliFiles, StatsOfATableCountOnlyReadingsThatHaveTimeAndLevel) {
    writeAll(path("t.csv"),
             "12/10/26,10:00:00,60.0\r\n"
             "12/10/26,10:00:01,80\r\n"
             "12/10/26,10:00:02,\r\n"
             "12/10/26,xx,90.0\r\n"
             "12/10/26,10:00:03,80.0\r\n"
             "end of table\r\n"
             "12/10/26,10:00:04,120.0\r\n");
    struct Case {
        QStringList extra;
        QString row;
    };
    const std::vector<Case> cases = {
        {{},
         "3,2026-12-10T10:00:00,2026-12-10T10:00:03,4.0,73.3,80.0,2026-12-10T10:00:01,60.0,"
         "2026-12-10T10:00:00,78.3,80.0,80.0,64.0"},
        {{"--from", "2026-12-10T10:00:01", "--to", "2026-12-10 10:00:02"},
         "1,2026-12-10T10:00:01,2026-12-10T10:00:02,2.0,80.0,80.0,2026-12-10T10:00:01,80.0,"
         "2026-12-10T10:00:01,80.0,80.0,80.0,80.0"},
        {{"--from", "2026-12-11T00:00:00"}, "0,,,,,,,,,,,,"},
    };
    for (const Case& c : cases) {
        const Result r = runCli(QStringList{QStringLiteral("stats"), path("t.csv")} + c.extra);
        ASSERT_EQ(r.code, cli::kExitOk) << r.err.toStdString();
        EXPECT_EQ(lines(r.out).value(1), c.row) << c.extra.join(' ').toStdString();
    }
    const Result json = runCli({QStringLiteral("stats"), path("t.csv"), QStringLiteral("--json"),
                                QStringLiteral("--from"), QStringLiteral("2026-12-11T00:00:00")});
    EXPECT_TRUE(json.out.contains(QLatin1String(R"("count":0,"start":"")")));
    EXPECT_TRUE(json.out.contains(QLatin1String(R"("leq":null)")));
}

TEST_F(CliFiles, ConvertGoesBetweenTablesGraphsAndSets) {
    const QString rec = collection();
    Result r = runCli({QStringLiteral("convert"), rec, path("s1.ghf"), QStringLiteral("--set"),
                       QStringLiteral("1")});
    ASSERT_EQ(r.code, cli::kExitOk) << r.err.toStdString();
    r = runCli({QStringLiteral("convert"), path("s1.ghf"), path("s1.csv")});
    ASSERT_EQ(r.code, cli::kExitOk) << r.err.toStdString();
    EXPECT_EQ(readAll(path("s1.csv")),
              QByteArray("12/10/26,09:30:00,60.0\r\n12/10/26,09:30:01,80.0\r\n"));
    r = runCli({QStringLiteral("convert"), path("s1.csv"), path("back.ghf")});
    ASSERT_EQ(r.code, cli::kExitOk) << r.err.toStdString();
    // The same readings whichever way they went.
    const Result a = runCli({QStringLiteral("stats"), path("s1.ghf")});
    const Result b = runCli({QStringLiteral("stats"), path("back.ghf")});
    const Result c =
        runCli({QStringLiteral("stats"), rec, QStringLiteral("--set"), QStringLiteral("1")});
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(a.out, c.out);
    EXPECT_TRUE(a.out.contains(QLatin1String(",2.0,70.0,80.0,")));  // 2 s covered, average 70

    writeAll(path("junk.ghf"), QByteArray("\xff\xff\xff\x7f", 4));
    r = runCli({QStringLiteral("convert"), path("junk.ghf"), path("junk.csv")});
    EXPECT_EQ(r.code, cli::kExitFile);
    EXPECT_FALSE(QFile::exists(path("junk.csv")));
    writeAll(path("words.txt"), "no table here\r\n");
    r = runCli({QStringLiteral("convert"), path("words.txt"), path("words.ghf")});
    EXPECT_EQ(r.code, cli::kExitFile);
    EXPECT_TRUE(r.err.contains(QLatin1String("No data to graph !"))) << r.err.toStdString();
    r = runCli({QStringLiteral("convert"), path("s1.csv"),
                dir.path() + QStringLiteral("/no/such/dir/x.ghf")});
    EXPECT_EQ(r.code, cli::kExitFile);
}

}  // namespace
