#include <gtest/gtest.h>

#include "sim/MeterEmulator.h"

namespace {
QByteArray cmd(char letter) {
    QByteArray f(8, '\0');
    f[0] = 0x02;
    f[1] = letter;
    f[7] = 0x03;
    return f;
}

struct Line {
    MeterEmulator meter{QDateTime(QDate(2026, 12, 10), QTime(10, 0, 0)), 3};
    qint64 now = 0;
    void send(char letter) { meter.hostWrite(cmd(letter), now); }
    QByteArray take(qint64 ms) {
        now += ms;
        return meter.read(meter.available(now));
    }
    // Live frames in what arrives over ms.
    std::vector<QByteArray> frames(qint64 ms) {
        const QByteArray in = take(ms);
        std::vector<QByteArray> out;
        for (qsizetype i = in.indexOf('\x02'); i >= 0 && i + 19 <= in.size();
             i = in.indexOf('\x02', i + 19))
            out.push_back(in.mid(i, 19));
        return out;
    }
};

bool checksumOk(const QByteArray& f) {
    unsigned sum = 0;
    for (int i = 1; i <= 16; ++i)
        sum += static_cast<std::uint8_t>(f[i]);
    return static_cast<std::uint8_t>(f[17]) == (sum & 0xFF) && f[18] == '\x03';
}
}  // namespace

TEST(Emulator, AnswersKWithFourBytesHolding410) {
    Line line;
    line.send('K');
    EXPECT_EQ(line.take(5), QByteArray());  // still on the wire
    EXPECT_EQ(line.take(20), QByteArrayLiteral("410\r"));
}

TEST(Emulator, StreamsAboutFourGoodFramesASecondUntilACommand) {
    Line line;
    line.send('a');
    const auto frames = line.frames(2000);
    EXPECT_GE(frames.size(), 7u);
    EXPECT_LE(frames.size(), 8u);
    for (const QByteArray& f : frames)
        EXPECT_TRUE(checksumOk(f));
    line.send('F');
    line.take(30);  // echo and a frame in flight
    EXPECT_TRUE(line.frames(1000).empty());
    line.send('a');
    EXPECT_FALSE(line.frames(1000).empty());
}

TEST(Emulator, KeysAreEchoedAndChangeTheDisplay) {
    Line line;
    const std::uint8_t s1 = static_cast<std::uint8_t>(line.meter.liveFrame()[1]);
    line.send('C');
    EXPECT_EQ(line.take(30), cmd('C'));
    line.send('F');
    EXPECT_EQ(line.take(30), cmd('F'));
    const std::uint8_t after = static_cast<std::uint8_t>(line.meter.liveFrame()[1]);
    EXPECT_EQ(after ^ s1, 0x18);  // weighting and time weighting both flipped

    struct Step {
        char key;
        int selection;
    } steps[] = {{'M', 0x04}, {'M', 0x08}, {'M', 0x0C}, {'M', 0x04}, {'N', 0x00}};
    for (const Step& s : steps) {
        line.send(s.key);
        line.take(30);
        EXPECT_EQ(line.meter.liveFrame()[2] & 0x0C, s.selection) << s.key;
    }
    // Arrows and backlight come without echo.
    line.send('W');
    EXPECT_EQ(line.take(30), QByteArray());
    EXPECT_TRUE(line.meter.backlight);
}

TEST(Emulator, MemAndRecallShowStoredReadingsInReadMode) {
    Line line;
    line.meter.setLevelTenths(734);
    line.send('a');
    line.take(300);
    line.send('R');
    line.take(30);
    line.meter.setLevelTenths(612);
    line.send('a');
    line.take(300);
    line.send('R');
    line.take(30);
    EXPECT_EQ(line.meter.memory().storedCount(), 2);
    line.send('Q');
    line.take(30);
    QByteArray f = line.meter.liveFrame();
    EXPECT_TRUE(f[2] & 0x40);
    EXPECT_EQ(f[3], 1);
    EXPECT_EQ(static_cast<std::uint8_t>(f[5]), 0x07);  // 734 as BCD digits 07 34
    EXPECT_EQ(static_cast<std::uint8_t>(f[6]), 0x34);
    line.send('Q');
    line.take(30);
    EXPECT_EQ(line.meter.liveFrame()[3], 2);
    line.send('Q');
    line.take(30);
    EXPECT_FALSE(line.meter.liveFrame()[2] & 0x40);
}

TEST(Emulator, RecordingWritesADataSetTheLoggerCanRead) {
    Line line;
    line.meter.setLevelTenths(655);
    line.send('E');
    line.take(30);
    EXPECT_TRUE(line.meter.liveFrame()[1] & 0x01);
    line.take(10000);
    line.send('E');
    line.take(30);
    EXPECT_FALSE(line.meter.liveFrame()[1] & 0x01);
    LoggerMemory& m = line.meter.memory();
    const QByteArray& b = m.bytes();
    EXPECT_EQ(m.setCount(), 1);
    EXPECT_EQ(static_cast<std::uint8_t>(b[1024]), 0xA5);
    EXPECT_EQ(static_cast<std::uint8_t>(b[1025]), 0x5A);
    const int n = (static_cast<std::uint8_t>(b[1035]) << 16) |
                  (static_cast<std::uint8_t>(b[1036]) << 8) | static_cast<std::uint8_t>(b[1037]);
    EXPECT_GE(n, 10);
    EXPECT_LE(n, 11);
    EXPECT_EQ(
        ((static_cast<std::uint8_t>(b[1038]) & 0x0F) << 8) | static_cast<std::uint8_t>(b[1039]),
        655);
    const int end = 1024 + 15 + 2 * n;
    EXPECT_EQ(m.lastAddress(), end);
    EXPECT_EQ(static_cast<std::uint8_t>(b[end - 1]), 0x5A);
    EXPECT_EQ(static_cast<std::uint8_t>(b[end]), 0xA5);
    line.send('e');
    line.take(30);
    EXPECT_EQ(m.setCount(), 0);
}

TEST(Emulator, FaultsOnRequest) {
    Line line;
    line.meter.faults.badChecksumEvery = 2;
    line.send('a');
    int bad = 0;
    const auto frames = line.frames(2000);
    for (const QByteArray& f : frames)
        bad += !checksumOk(f);
    EXPECT_EQ(bad, static_cast<int>(frames.size()) / 2);

    line.meter.faults.noEcho = true;
    line.send('C');
    EXPECT_TRUE(line.frames(30).size() <= 1);  // no echo, at most a frame already in flight
    line.meter.setSilent(true);
    line.send('a');
    EXPECT_EQ(line.take(2000), QByteArray());
}
