#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "LinkFixture.h"
#include "core/Guard.h"
#include "link/SerialDevice.h"

// The real serial stack end to end: sonodesk-meter-sim on a pseudo-terminal, found and read
// through QSerialPort. Waits for the line's events, bounded.
TEST(PseudoTerminal, FindsTheMeterReceivesFramesAndAnswersX) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("frames.log"));
    QProcess sim;
    sim.start(QStringLiteral(SONODESK_SIM_PATH),
              {QStringLiteral("--seconds"), QStringLiteral("30"), QStringLiteral("--log"), log});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString pty = QString::fromLocal8Bit(sim.readLine()).trimmed();
    ASSERT_TRUE(pty.startsWith(QStringLiteral("/dev/")));

    resetAppState();
    RealClock clock;
    RecordingView view;
    TComPort port([](const QString& name) { return openSerialDevice(name); });
    port.OnError = abortOnComError;
    MeterLink link(appState(), clock, port, view);
    port.setOnRxChar([&link](TComPort*) { link.Comm1RxChar(); });
    link.ports = {pty};
    ASSERT_TRUE(link.FindMeter());
    link.applySearchOutcome(true);
    link.startLiveLink();
    link.mainTimer().start();

    QElapsedTimer t;
    t.start();
    while (appState().FramesDecoded < 4 && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_GE(appState().FramesDecoded, 4);
    EXPECT_EQ(appState().ChecksumErrors, 0);
    EXPECT_TRUE(appState().Connected);
    EXPECT_FALSE(view.frames.empty());

    // The meter logged our 'X' answers.
    t.restart();
    bool answered = false;
    while (!answered && t.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QFile f(log);
        answered = f.open(QIODevice::ReadOnly) && f.readAll().contains("02 58 00 00 00 00 00 03");
    }
    EXPECT_TRUE(answered);

    // A second open of the held device fails: it is the "held by another program" case.
    TComPort other([](const QString& name) { return openSerialDevice(name); });
    other.OnError = abortOnComError;
    other.setDeviceName(pty);
    port.setOnRxChar(nullptr);
    port.Close();
    port.setDeviceName(pty);
    port.Open();
    EXPECT_THROW(other.Open(), EAbort);

    port.Close();
    sim.kill();
    sim.waitForFinished();
    resetAppState();
}
