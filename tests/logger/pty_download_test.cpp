#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "ImageBuilder.h"
#include "core/Clock.h"
#include "core/CommandFrame.h"
#include "link/SerialDevice.h"
#include "link/TComPort.h"
#include "logger/LoggerTransfer.h"
#include "logger/MemoryImageParser.h"

// A download through the real serial stack: sonodesk-meter-sim serves a small memory on a
// pseudo-terminal at the line's pace, with a bad block on the way. Bounded by the transfer's own
// time limits.
TEST(PseudoTerminal, DownloadsTheLoggerMemory) {
    ImageBuilder b;
    b.add(120);
    ImageBuilder::Set s;
    s.tenths = {655, 702, 1180};
    s.minutes = 0x01;
    s.seconds = 0x00;
    b.add(s);
    const QByteArray image = b.finish();
    QTemporaryDir dir;
    const QString memory = dir.filePath(QStringLiteral("memory.rec"));
    {
        QFile f(memory);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(image);
    }
    QProcess sim;
    sim.start(QStringLiteral(SONODESK_SIM_PATH),
              {QStringLiteral("--seconds"), QStringLiteral("60"), QStringLiteral("--memory"),
               memory, QStringLiteral("--bad-block"), QStringLiteral("7")});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString pty = QString::fromLocal8Bit(sim.readLine()).trimmed();
    ASSERT_TRUE(pty.startsWith(QStringLiteral("/dev/")));

    RealClock clock;
    TComPort port([](const QString& name) { return openSerialDevice(name); });
    port.OnError = abortOnComError;
    port.setDeviceName(pty);
    port.Open();
    CommandFrame frame;
    logger::LoggerSession session(port, clock, frame);
    logger::TransferView view;
    const logger::Download d = session.DownloadMemoryImage(view);
    ASSERT_EQ(d.code, logger::kOk);
    EXPECT_EQ(d.lastAddress, image.size() - 1);
    EXPECT_EQ(d.image.left(image.size()), image);
    const logger::ParseResult r = logger::parseMemoryImage(d.image, d.lastAddress, clock.now());
    ASSERT_EQ(r.code, logger::kOk);
    ASSERT_EQ(r.sets.size(), 2);
    EXPECT_EQ(r.sets.counts[0], 120);
    EXPECT_EQ(r.sets.intervals[1], 60);
    EXPECT_EQ(r.sets.readings.back(), 118.0f);
    port.Close();
    sim.kill();
    sim.waitForFinished();
}
