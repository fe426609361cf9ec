#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "TestFiles.h"

// sonodesk-cli end to end through the real serial stack: sonodesk-meter-sim serves a used meter
// on a pseudo-terminal at the line's pace. Each run is bounded by the tool's own time limits.
namespace {

struct CliRun {
    int code = -1;
    QString out, err;
};

CliRun cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(SONODESK_CLI_PATH), args);
    EXPECT_TRUE(p.waitForFinished(60000)) << args.join(' ').toStdString();
    CliRun r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QStringList lines(const QString& text) {
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class CliOnPty : public ::testing::Test {
protected:
    void serve(const QStringList& extra) {
        sim.start(QStringLiteral(SONODESK_SIM_PATH),
                  QStringList{QStringLiteral("--seconds"), QStringLiteral("120"),
                              QStringLiteral("--demo-data"), QStringLiteral("--log"), log()} +
                      extra);
        ASSERT_TRUE(sim.waitForReadyRead(5000));
        pty = QString::fromLocal8Bit(sim.readLine()).trimmed();
        ASSERT_TRUE(pty.startsWith(QStringLiteral("/dev/")));
    }
    void TearDown() override {
        sim.kill();
        sim.waitForFinished();
    }
    QString log() const { return dir.filePath(QStringLiteral("sim.log")); }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QStringList on(QStringList args) const { return args << QStringLiteral("--port") << pty; }

    QTemporaryDir dir;
    QProcess sim;
    QString pty;
};

TEST_F(CliOnPty, EveryMeterCommandAgainstTheSimulatedMeter) {
    serve({});
    CliRun r = cli(on({QStringLiteral("live"), QStringLiteral("--count"), QStringLiteral("5")}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QStringList l = lines(r.out);
    ASSERT_EQ(l.size(), 6) << r.out.toStdString();
    EXPECT_EQ(l[0], QStringLiteral("time,level,weighting,speed,max_min,flags"));
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3},\d+\.\d,A,FAST,,$)"))
                    .match(l[5])
                    .hasMatch())
        << l[5].toStdString();

    r = cli(on({QStringLiteral("recall"), QStringLiteral("--json")}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    l = lines(r.out);
    ASSERT_EQ(l.size(), 3) << r.out.toStdString();
    EXPECT_TRUE(l[0].startsWith(QLatin1String(R"({"no":1,"level":62.3,"time":")")))
        << l[0].toStdString();

    r = cli(on({QStringLiteral("download"), QStringLiteral("--out"), path("meter.rec")}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QLatin1String("2 data sets written"))) << r.err.toStdString();
    r = cli({QStringLiteral("sets"), path("meter.rec")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    l = lines(r.out);
    ASSERT_EQ(l.size(), 3);
    EXPECT_TRUE(l[1].startsWith(QLatin1String("1,"))) << l[1].toStdString();
    EXPECT_TRUE(l[2].contains(QLatin1String(",2,900,C,"))) << l[2].toStdString();

    r = cli(on({QStringLiteral("set-clock")}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = cli(on({QStringLiteral("info")}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(lines(r.out).value(1).startsWith(QLatin1String("1.23,"))) << r.out.toStdString();
    r = cli(on({QStringLiteral("set-interval"), QStringLiteral("00:05")}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(lines(r.out).value(1), QStringLiteral("5"));

    r = cli({QStringLiteral("ports"), QStringLiteral("--probe"), QStringLiteral("--port"), pty});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(pty + QStringLiteral(",,yes\n"))) << r.out.toStdString();

    r = cli(on({QStringLiteral("erase"), QStringLiteral("--yes")}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = cli(on({QStringLiteral("info"), QStringLiteral("--json")}));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String(R"("data_sets":0,)"))) << r.out.toStdString();

    // The meter heard the clock frame ("rtc", then the six BCD bytes) and the interval ("int").
    const QByteArray heard = readAll(log());
    EXPECT_TRUE(heard.contains(" 02 72 74 63 ")) << heard.right(2000).toStdString();
    EXPECT_TRUE(heard.contains(" 02 69 6e 74 00 05 00 03")) << heard.right(2000).toStdString();
}

// Ctrl-C (or a service manager's SIGTERM) ends live cleanly: whole lines, exit status 0, and the
// meter still streaming for the next program.
TEST_F(CliOnPty, LiveEndsCleanlyOnASignal) {
    serve({});
    QProcess live;
    live.start(QStringLiteral(SONODESK_CLI_PATH), on({QStringLiteral("live")}));
    QByteArray out;
    while (out.count('\n') < 3 && live.waitForReadyRead(10000))
        out += live.readAllStandardOutput();
    ASSERT_GE(out.count('\n'), 3) << out.toStdString();
    live.terminate();
    ASSERT_TRUE(live.waitForFinished(10000));
    EXPECT_EQ(live.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(live.exitCode(), 0) << live.readAllStandardError().toStdString();
    out += live.readAllStandardOutput();
    EXPECT_TRUE(out.endsWith('\n'));
    const CliRun again =
        cli(on({QStringLiteral("live"), QStringLiteral("--count"), QStringLiteral("2")}));
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_EQ(lines(again.out).size(), 3);
}

TEST_F(CliOnPty, ADamagedSetIsNamedAndTheFileStillWritten) {
    serve({QStringLiteral("--cut-off-last-set")});
    CliRun r = cli(on({QStringLiteral("download"), QStringLiteral("--out"), path("cut.rec")}));
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(r.err.contains(QLatin1String("damaged data set 2 at address")))
        << r.err.toStdString();
    EXPECT_EQ(lines(r.err).filter(QStringLiteral("sonodesk-cli")).size(), 1);
    r = cli({QStringLiteral("sets"), path("cut.rec")});
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(r.err.contains(QLatin1String("damaged data set 2 at address")))
        << r.err.toStdString();
}

TEST(CliProcess, ExitStatusesForAMissingPortAndAWrongCommandLine) {
    CliRun r = cli(
        {QStringLiteral("live"), QStringLiteral("--port"), QStringLiteral("/dev/sonodesk-none")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QLatin1String("cannot open /dev/sonodesk-none")))
        << r.err.toStdString();
    r = cli({QStringLiteral("live"), QStringLiteral("--frobnicate")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QLatin1String("'live' has no option --frobnicate")));
    EXPECT_TRUE(r.out.isEmpty());
}

}  // namespace
