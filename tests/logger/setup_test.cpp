#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include "ImageBuilder.h"
#include "core/Clock.h"
#include "files/CaptureFile.h"
#include "link/SimDevice.h"
#include "link/TComPort.h"
#include "logger/SetupCommands.h"
#include "logger/StoredReadings.h"
#include "sim/MeterEmulator.h"

using namespace logger;

TEST(SetupInput, TheIntervalBoxes) {
    struct Case {
        const char *minutes, *seconds;
        bool ok;
        std::uint8_t m, s;
    } cases[] = {
        {"00", "00", false, 0, 0}, {"00", "01", true, 0x00, 0x01}, {"01", "60", true, 0x01, 0x60},
        {"02", "00", false, 0, 0}, {"00", "61", false, 0, 0},      {"1", "5", true, 0x01, 0x05},
        {"ab", "01", false, 0, 0}, {"", "01", false, 0, 0},        {"0", "-1", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.minutes << ":" << c.seconds);
        const auto r = intervalInput(QLatin1String(c.minutes), QLatin1String(c.seconds));
        ASSERT_EQ(r.has_value(), c.ok);
        if (r) {
            EXPECT_EQ(r->first, c.m);
            EXPECT_EQ(r->second, c.s);
        }
    }
}

TEST(SetupTexts, ClockFrameMeterTimeAndMemory) {
    const CommandFrame f = clockFrame(QDateTime(QDate(2024, 3, 15), QTime(14, 30, 5)));
    EXPECT_EQ(f.toBytes(), QByteArray::fromHex("0224031514300503"));
    EXPECT_EQ(clockSuccessText(f),
              QStringLiteral("Meter time updated successfully \nToday is Day 15 of Month 03 of "
                             "Year 2024\nThe time is Second05 of Minute 30 of Hour 14"));
    const QByteArray ti = QByteArray::fromHex("2405031514300500");
    const std::pair<int, const char*> orders[] = {{1, "15-03-24  14:30:05"},
                                                  {2, "03-15-24  14:30:05"},
                                                  {3, "24-03-15  14:30:05"},
                                                  {4, "24-15-03  14:30:05"},
                                                  {7, "03-15-24  14:30:05"}};
    for (const auto& [order, text] : orders)
        EXPECT_EQ(meterTimeText(ti, order, QStringLiteral("-")), QLatin1String(text)) << order;
    QByteArray block(65, '\0');
    block[12] = 0x10;
    EXPECT_EQ(memoryAvailable(block), 30079);
    block[12] = static_cast<char>(0xFB);
    EXPECT_EQ(memoryAvailable(block), 0);
    block[11] = 0x01;  // used beyond 64 KiB: none left, never negative
    EXPECT_EQ(memoryAvailable(block), 0);
    block[14] = 0x00;
    block[15] = 0x02;
    EXPECT_EQ(storedIntervalText(block), QStringLiteral("00:02(mm:ss)"));
    EXPECT_EQ(versionText(123), QStringLiteral("1.23"));
    EXPECT_EQ(calibrationFrame(3, 11).toBytes(), QByteArray::fromHex("024A030B00000003"));
    EXPECT_EQ(calibrationFrame(3, 300).toBytes(), QByteArray::fromHex("024A032C00000003"));
}

TEST(StoredReadingsTest, TheTableOfStoredReadings) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QByteArray header(1024, '\0');
    const struct {
        std::uint8_t mode, hi, lo;
        const char *value, *weighting, *speed;
    } rows[] = {
        {0x18, 0x07, 0x25, "72.5", "dBA", "FAST"},
        {0x00, 0x15, 0x01, "----", "dBC", "SLOW"},
        {0x10, 0x15, 0x00, "150.0", "dBC", "FAST"},
    };
    for (int k = 0; k < 3; ++k) {
        const int a = 26 + 10 * k;
        const QByteArray stamp = QByteArray::fromHex(
            "26121009300"
            "0");
        header[a] = static_cast<char>(rows[k].mode);
        header.replace(a + 1, 6, stamp);
        header[a + 7] = static_cast<char>(rows[k].hi);
        header[a + 8] = static_cast<char>(rows[k].lo);
    }
    header[20] = 3;
    const auto readings = storedReadings(header);
    ASSERT_EQ(readings.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        const QStringList cells = storedReadingRow(readings[static_cast<std::size_t>(k)]);
        EXPECT_EQ(cells[0], QLatin1String(rows[k].value));
        EXPECT_EQ(cells[1], QStringLiteral("12/10/26"));
        EXPECT_TRUE(cells[2].startsWith(QLatin1String("9:30:00"))) << cells[2].toStdString();
        EXPECT_EQ(cells[3], QLatin1String(rows[k].weighting));
        EXPECT_EQ(cells[4], QLatin1String(rows[k].speed));
    }
    header[20] = 100;
    EXPECT_TRUE(storedReadings(header).empty());
    header[20] = 99;
    EXPECT_EQ(storedReadings(header).size(), 99u);
    EXPECT_TRUE(storedReadings(header.left(1000)).empty());
    // A reading without a valid date shows none.
    const QStringList undated = storedReadingRow(storedReadings(header)[50]);
    EXPECT_TRUE(undated[1].isEmpty());
    EXPECT_EQ(undated[0], QStringLiteral("0.0"));
}

TEST(CaptureFiles, NinetyNineLinesAndBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("twelve.CAP"));
    std::vector<QStringList> rows;
    for (int k = 0; k < 12; ++k)
        rows.push_back({QStringLiteral("6%1.5").arg(k % 10), QStringLiteral("12/10/26"),
                        QStringLiteral("9:30:00 AM"), QStringLiteral("dBA"),
                        QStringLiteral("FAST")});
    ASSERT_TRUE(writeCaptureFile(path, rows));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 100);  // 99 lines and the empty tail
    EXPECT_EQ(lines[0], QByteArray("60.5\t12/10/26\t9:30:00 AM\tdBA\tFAST\t\r"));
    EXPECT_EQ(lines[12], QByteArray("\t\t\t\t\t\r"));
    const auto back = readCaptureFile(path);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 99u);
    EXPECT_EQ((*back)[11], rows[11]);
    EXPECT_EQ((*back)[98], QStringList(5, QString()));

    // A sixth field is dropped; a line without a tab ends the reading; more than 99 rows read.
    QFile g(dir.filePath(QStringLiteral("odd.CAP")));
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    for (int k = 0; k < 120; ++k)
        g.write("70.1\td\tt\tdBC\tSLOW\tsixth\r\n");
    g.write("no tab here\r\n80.0\td\tt\tdBA\tFAST\t\r\n");
    g.close();
    const auto odd = readCaptureFile(g.fileName());
    ASSERT_TRUE(odd);
    ASSERT_EQ(odd->size(), 120u);
    EXPECT_EQ((*odd)[0].size(), 5);
    EXPECT_EQ((*odd)[0][4], QStringLiteral("SLOW"));
    EXPECT_FALSE(readCaptureFile(dir.filePath(QStringLiteral("none.CAP"))));
}

namespace {
class Setup : public ::testing::Test {
protected:
    Setup()
        : meter(QDateTime(QDate(2026, 12, 10), QTime(10, 0, 0)), 5),
          port([this](const QString&) { return openSimDevice(meter, clock); }),
          session(port, clock) {
        port.OnError = abortOnComError;
        port.Open();
    }
    VirtualClock clock;
    MeterEmulator meter;
    TComPort port;
    SetupSession session;
};
}  // namespace

TEST_F(Setup, ClockIntervalAndInformationOnTheMeter) {
    session.preamble();
    const QDateTime when(QDate(2024, 3, 15), QTime(14, 30, 5));
    ASSERT_TRUE(session.setClock(when));
    EXPECT_LE(std::abs(meter.clockNow().secsTo(when)), 1);
    ASSERT_TRUE(session.setInterval(0x00, 0x05));
    clock.advance(50);
    EXPECT_EQ(meter.memory().intervalSeconds(), 5);
    EXPECT_EQ(meter.boots, 1);
    EXPECT_EQ(session.readVersion(), std::optional<std::uint8_t>(123));
    const auto ti = session.readMeterTime();
    ASSERT_TRUE(ti);
    EXPECT_EQ(ti->left(4), QByteArray::fromHex("24000315"));
    const auto block = session.readFirstBlock();
    ASSERT_TRUE(block);
    EXPECT_EQ(block->left(64), meter.memory().bytes().left(64));
    meter.faults.noVersionReply = true;
    meter.faults.noTimeReply = true;
    EXPECT_FALSE(session.readVersion());
    EXPECT_FALSE(session.readMeterTime());
}

namespace {
// A reader that comes late: each wait lasts until more than was asked for has arrived (or the
// time is up), as a loaded computer polling a real port does.
class LateReader final : public ComDevice {
public:
    explicit LateReader(std::unique_ptr<ComDevice> inner) : inner_(std::move(inner)) {
        inner_->bytesArrived = [this] {
            if (bytesArrived)
                bytesArrived();
        };
    }
    qint64 bytesWaiting() override { return inner_->bytesWaiting(); }
    QByteArray read(qint64 count) override { return inner_->read(count); }
    bool waitForBytes(qint64 count, int ms) override {
        inner_->waitForBytes(count + 20, ms);
        return inner_->bytesWaiting() >= count;
    }
    void write(const QByteArray& bytes, bool wait) override { inner_->write(bytes, wait); }
    void purgeReceive() override { inner_->purgeReceive(); }
    void purgeTransmit() override { inner_->purgeTransmit(); }
    void close() override { inner_->close(); }

private:
    std::unique_ptr<ComDevice> inner_;
};
}  // namespace

TEST(SetupLateReader, TheFirstBlockIsTakenWhenItStandsBehindItsEcho) {
    VirtualClock clock;
    MeterEmulator meter(QDateTime(QDate(2026, 12, 10), QTime(10, 0, 0)), 5);
    TComPort port(
        [&](const QString&) { return std::make_unique<LateReader>(openSimDevice(meter, clock)); });
    port.OnError = abortOnComError;
    port.Open();
    SetupSession session(port, clock);
    session.preamble();
    EXPECT_EQ(session.readVersion(), std::optional<std::uint8_t>(123));
    const auto block = session.readFirstBlock();
    ASSERT_TRUE(block);
    EXPECT_EQ(block->left(64), meter.memory().bytes().left(64));
}

TEST_F(Setup, TheMemoryTestKeepsRecordedReadings) {
    // Data sets fill the memory past every test address.
    ImageBuilder b;
    while (b.image.size() < 0xFF10)
        b.add(2000);
    meter.memory().load(b.finish());
    const QByteArray before = meter.memory().bytes();
    std::vector<QByteArray> log;
    EXPECT_TRUE(
        session.runMemoryTest([&](const QByteArray& reply, qint64) { log.push_back(reply); }));
    ASSERT_EQ(log.size(), 8u);
    EXPECT_EQ(log[0], QByteArray::fromHex("02774500"
                                          "8F00"
                                          "9603") +
                          QByteArray(1, '\x96'));
    EXPECT_EQ(meter.memory().bytes(), before);
    // A cell that does not keep what is written fails the test.
    meter.faults.badCell = 0xAF00;
    EXPECT_FALSE(session.runMemoryTest(nullptr));
}
