#include <gtest/gtest.h>

#include <QDateTime>

#include "ImageBuilder.h"
#include "core/Clock.h"
#include "core/CommandFrame.h"
#include "link/SimDevice.h"
#include "link/TComPort.h"
#include "logger/LoggerTransfer.h"
#include "logger/MemoryImageParser.h"
#include "sim/MeterEmulator.h"

using namespace logger;

namespace {

class CountingView : public TransferView {
public:
    void showInfo() override { ++infos; }
    void startProgress(int total) override { this->total = total; }
    bool progress(int received) override {
        last = received;
        return ++calls != cancelAt;
    }
    int infos = 0, total = -1, last = -1, calls = 0;
    int cancelAt = -1;
};

// The in-process meter on a port, on virtual time.
class Transfer : public ::testing::Test {
protected:
    Transfer()
        : meter(QDateTime(QDate(2026, 12, 10), QTime(10, 0, 0)), 3),
          port([this](const QString&) { return openSimDevice(meter, clock); }) {
        port.OnError = abortOnComError;
        port.Open();
    }
    // The meter's memory: this image, its header's last address set to last.
    void memory(QByteArray image, int last) {
        image[11] = static_cast<char>(last >> 16);
        image[12] = static_cast<char>(last >> 8);
        image[13] = static_cast<char>(last);
        meter.memory().load(image);
    }
    Download download() {
        LoggerSession session(port, clock, frame);
        Download d = session.DownloadMemoryImage(view);
        clock.advance(50);  // the last frame reaches the meter
        return d;
    }
    int frames(char letter) const {
        int n = 0;
        for (const QByteArray& f : meter.receivedFrames)
            n += f[1] == letter;
        return n;
    }

    VirtualClock clock;
    MeterEmulator meter;
    TComPort port;
    CommandFrame frame;
    CountingView view;
};

}  // namespace

TEST_F(Transfer, UsedSizesAndBlocks) {
    struct Case {
        int used;
        int code;
        int blocks;
    } cases[] = {{255, kBadSize, 0},       {256, kOk, 4},      {1000, kOk, 16},
                 {1024, kOk, 16},          {98304, kOk, 1536}, {98305, kBadSize, 0},
                 {0x10000 + 64, kOk, 1025}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.used);
        meter.receivedFrames.clear();
        const int sentBefore = meter.blocksSent();
        memory(QByteArray(LoggerMemory::kSize, '\x11'), c.used - 1);
        const Download d = download();
        EXPECT_EQ(d.code, c.code);
        EXPECT_EQ(d.lastAddress, c.used - 1);
        EXPECT_EQ(d.image.size(), c.blocks * 64);
        // Nothing is asked for beyond the used size: the transfer ends with 'Q' at once.
        EXPECT_EQ(meter.blocksSent() - sentBefore, c.blocks);
        EXPECT_EQ(frames('Q'), c.code == kOk ? 1 : 0);
        EXPECT_FALSE(meter.transferring());
        if (c.code == kOk) {
            EXPECT_EQ(d.image, meter.memory().bytes().left(d.image.size()));
            EXPECT_EQ(view.total, c.blocks * 64);
            EXPECT_EQ(view.last, c.blocks * 64 - 64);  // shown before the last is asked for
        }
    }
}

TEST_F(Transfer, AFullMemoryWithSetsBeyond64KiBDownloadsAndParsesWhole) {
    ImageBuilder b;
    while (b.image.size() + 16 + 2 * 3000 <= 98304)
        b.add(3000);
    const QByteArray image = b.finish();
    memory(image.leftJustified(LoggerMemory::kSize, '\0'), static_cast<int>(image.size()) - 1);
    meter.receivedFrames.clear();
    clock.advance(1);
    const qint64 start = clock.msecs();
    const Download d = download();
    ASSERT_EQ(d.code, kOk);
    EXPECT_EQ(d.lastAddress, image.size() - 1);
    const ParseResult r = parseMemoryImage(d.image, d.lastAddress, clock.now());
    ASSERT_EQ(r.code, kOk);
    EXPECT_EQ(r.sets.size(), b.sets);
    EXPECT_GT(r.sets.imageEnds.back(), 0xFFFF);
    // The size read used all three header bytes.
    int reads = 0;
    for (const QByteArray& f : meter.receivedFrames)
        reads += f[1] == 'r';
    EXPECT_EQ(reads, 3);
    RecordProperty("virtual_ms", static_cast<int>(clock.msecs() - start));
}

TEST_F(Transfer, LineFaultsAreRecovered) {
    struct Case {
        const char* name;
        MeterEmulator::Faults faults;
        bool streaming;
    } cases[] = {
        {"every fifth block with a bad sum", {.badBlockEvery = 5}, false},
        {"a block cut short", {.cutBlock = 3}, false},
        {"one block more than asked", {.extraBlockAfter = 2}, false},
        {"live frames on the line when it starts", {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeterEmulator::Faults f = c.faults;
        meter.faults = f;
        if (c.streaming)
            port.WriteText(CommandFrame::withLetter('a').toBytes());
        clock.advance(2000);
        memory(QByteArray(LoggerMemory::kSize, '\x22'), 999);
        const Download d = download();
        EXPECT_EQ(d.code, kOk);
        EXPECT_EQ(d.image, meter.memory().bytes().left(1024));
    }
}

TEST_F(Transfer, FailuresEndTheTransfer) {
    struct Case {
        const char* name;
        MeterEmulator::Faults faults;
        int code;
        bool quit;  // 'Q' sent
    } cases[] = {
        {"more than twenty bad blocks", {.badBlockEvery = 1}, kShortTransfer, true},
        {"a meter that stops", {.stopAfterBlocks = 5}, kShortTransfer, false},
        {"no byte after the echo of r", {.readAnswerBytes = 0}, kBadSize, false},
        {"two bytes after the echo of r", {.readAnswerBytes = 2}, kBadSize, false},
        {"no echo", {.noEcho = true}, kBadSize, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        meter.faults = c.faults;
        meter.receivedFrames.clear();
        memory(QByteArray(LoggerMemory::kSize, '\x33'), 999);
        const qint64 start = clock.msecs();
        const Download d = download();
        EXPECT_EQ(d.code, c.code);
        EXPECT_EQ(frames('Q'), c.quit ? 1 : 0);
        if (QLatin1String(c.name) == QLatin1String("a meter that stops")) {
            EXPECT_EQ(d.image.size(), 5 * 64);
        }
        EXPECT_LT(clock.msecs() - start, 30'000);  // nothing hangs
    }
}

TEST_F(Transfer, CancelAsksTheMeterToStop) {
    memory(QByteArray(LoggerMemory::kSize, '\x44'), 98303);
    view.cancelAt = 3;
    meter.receivedFrames.clear();
    const Download d = download();
    EXPECT_EQ(d.code, kCancelled);
    EXPECT_EQ(frames('Q'), 1);
    EXPECT_FALSE(meter.transferring());
    EXPECT_EQ(meter.blocksSent(), 4);
}

TEST_F(Transfer, TheRepairWritesFiveHeaderBytes) {
    const auto writes = repairWrites(300, 40000);
    LoggerSession session(port, clock, frame);
    meter.receivedFrames.clear();
    for (const auto& [address, value] : writes)
        EXPECT_TRUE(session.writeHeaderByte(address, value)) << address;
    const QByteArray expected[] = {
        QByteArray::fromHex("0277450000090103"), QByteArray::fromHex("02774500000a2c03"),
        QByteArray::fromHex("02774500000b0003"), QByteArray::fromHex("02774500000c9c03"),
        QByteArray::fromHex("02774500000d4003"),
    };
    ASSERT_EQ(meter.receivedFrames.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(meter.receivedFrames[static_cast<std::size_t>(i)], expected[i]) << i;
    EXPECT_EQ(meter.memory().setCount(), 300);
    EXPECT_EQ(meter.memory().lastAddress(), 40000);
    // A meter that does not echo: each write fails on its own.
    meter.faults.noEcho = true;
    EXPECT_FALSE(session.writeHeaderByte(9, 0));
}
