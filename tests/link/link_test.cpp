#include <gtest/gtest.h>

#include "LinkFixture.h"
#include "core/Guard.h"

namespace {
QByteArray cmd(char letter) {
    return CommandFrame::withLetter(letter).toBytes();
}
}  // namespace

// ---- Reception -------------------------------------------------------------------------------

class Reception : public LinkFixture {
protected:
    void SetUp() override {
        openOn(QStringLiteral("line"));
        appState().Connected = true;
    }
    FakeDevice& line() { return *fakes[QStringLiteral("line")]; }
    std::vector<FakeDevice::Write>& sent() { return writes[QStringLiteral("line")]; }
    void deliver(const QByteArray& bytes) {
        line().input += bytes;
        link.Comm1RxChar();
    }
    int xAnswers() {
        return static_cast<int>(std::count_if(sent().begin(), sent().end(),
                                              [](const auto& w) { return w.bytes == cmd('X'); }));
    }
};

TEST_F(Reception, OneFrameIsDecodedAndAnsweredWithX) {
    deliver(frame());
    ASSERT_EQ(view.frames.size(), 1u);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0].bytes, QByteArray::fromHex("0258000000000003"));
    EXPECT_TRUE(appState().ReceiveBuffer.isEmpty());
    EXPECT_TRUE(appState().FrameSeen);
    EXPECT_EQ(appState().FramesDecoded, 1);
    EXPECT_EQ(view.counters, QStringLiteral("0/1"));
}

TEST_F(Reception, StreamsAreCutIntoFrames) {
    const QByteArray f = frame();
    struct Case {
        const char* name;
        std::vector<QByteArray> events;
        int decoded;
        int buffered;
    } cases[] = {
        {"split over two events", {f.left(10), f.mid(10)}, 1, 0},
        {"two frames in one event", {f + f}, 2, 0},
        {"garbage before a frame", {QByteArray("\x11\x22\x33", 3) + f}, 1, 0},
        {"runs of 0x02 before a frame", {QByteArray(5, '\x02') + f}, 1, 0},
        {"eighteen bytes without 0x02 stay", {QByteArray(18, 'z')}, 0, 18},
        {"a nineteenth without 0x02 empties the buffer", {QByteArray(18, 'z'), "z"}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetAppState();
        appState().Connected = true;
        view.frames.clear();
        for (const QByteArray& e : c.events)
            deliver(e);
        EXPECT_EQ(static_cast<int>(view.frames.size()), c.decoded);
        EXPECT_EQ(appState().ReceiveBuffer.size(), c.buffered);
    }
}

TEST_F(Reception, FalseStartDropsOneByteAndCountsNothing) {
    QByteArray f = frame();
    f[18] = 0x05;
    deliver(f);
    EXPECT_EQ(appState().ReceiveBuffer.size(), 18);
    EXPECT_EQ(appState().FramesWithTrailer, 0);
    EXPECT_EQ(appState().ChecksumErrors, 0);
}

TEST_F(Reception, BadChecksumIsCountedAndNotAnswered) {
    QByteArray f = frame();
    f[17] = static_cast<char>(f[17] + 1);
    deliver(f);
    EXPECT_EQ(appState().FramesWithTrailer, 1);
    EXPECT_EQ(appState().ChecksumErrors, 1);
    EXPECT_EQ(xAnswers(), 0);
    EXPECT_FALSE(appState().FrameSeen);
    EXPECT_TRUE(view.frames.empty());
    EXPECT_EQ(view.counters, QStringLiteral("1/1"));
}

TEST_F(Reception, NoiseNeverGrowsTheBufferPastOneReadPlus18) {
    std::mt19937 rng(1);
    qsizetype delivered = 0;
    for (int i = 0; i < 400; ++i) {
        QByteArray noise;
        for (int k = 0; k < 300; ++k)
            noise.append(rng() % 3 == 0 ? '\x02' : static_cast<char>(rng() & 0xFF));
        if (i % 7 == 0)
            noise.insert(static_cast<qsizetype>(rng() % 200), frame());
        delivered += noise.size();
        deliver(noise);
        ASSERT_LE(appState().ReceiveBuffer.size(), 18);
        ASSERT_FALSE(appState().ReceiveBusy);
    }
    // At most 256 bytes are taken per event; the rest waits for the next.
    EXPECT_EQ(line().input.size(), delivered - 400 * 256);
}

TEST_F(Reception, FirstFrameWhileNotConnectedRunsTheHandshakeThenIsDecoded) {
    appState().Connected = false;
    appState().PortIndex = 1;
    fakes[QStringLiteral("line")]->answer = [](const QByteArray& w) {
        return w == cmd('K') ? QByteArrayLiteral("410\r") : QByteArray();
    };
    deliver(frame());
    EXPECT_TRUE(appState().Connected);
    EXPECT_EQ(view.frames.size(), 1u);
    EXPECT_EQ(view.status[0], QStringLiteral("COM2"));
    EXPECT_EQ(view.status[1], QStringLiteral("On Connection"));
    EXPECT_FALSE(view.noConnection);
    EXPECT_TRUE(view.enabled[LinkView::Command::BtnRun]);
    EXPECT_FALSE(view.enabled[LinkView::Command::BtnStop]);
    QList<QByteArray> letters;
    for (const auto& w : sent())
        letters << w.bytes;
    EXPECT_EQ(letters, (QList<QByteArray>{cmd('K'), cmd('a'), cmd('X')}));
    EXPECT_TRUE(link.mainTimer().isActive());
    EXPECT_TRUE(port.OnRxChar() != nullptr);
}

TEST_F(Reception, ADeviceThatVanishesEndsTheHandlerSilently) {
    fakes[QStringLiteral("line")]->answer = [](const QByteArray&) -> QByteArray {
        throw EComError(5, QStringLiteral("Input/output error"));
    };
    line().input += frame();
    EXPECT_THROW(link.Comm1RxChar(), EAbort);
    EXPECT_FALSE(appState().ReceiveBusy);
    EXPECT_FALSE(port.Active());
}

// ---- SendCommand -----------------------------------------------------------------------------

class Sending : public LinkFixture {
protected:
    void SetUp() override { openOn(QStringLiteral("line")); }
    std::vector<FakeDevice::Write>& sent() { return writes[QStringLiteral("line")]; }
};

TEST_F(Sending, EchoedCommandTakesOneTryThenResumesTheStream) {
    fakes[QStringLiteral("line")]->answer = [](const QByteArray& w) {
        return w == cmd('a') ? QByteArray() : w;
    };
    EXPECT_TRUE(link.sendKey('F'));
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(sent()[0].bytes, QByteArray::fromHex("0246000000000003"));
    EXPECT_EQ(sent()[1].bytes, QByteArray::fromHex("0261000000000003"));
    EXPECT_TRUE(link.mainTimer().isActive());
    EXPECT_TRUE(port.OnRxChar() != nullptr);
}

TEST_F(Sending, NoEchoGivesThreeTriesHundredMsApartThenA) {
    const qint64 t0 = clock.msecs();
    EXPECT_FALSE(link.sendKey('C'));
    ASSERT_EQ(sent().size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sent()[i].bytes, cmd('C'));
        EXPECT_EQ(sent()[i].at - t0, i * 101);
    }
    EXPECT_EQ(sent()[3].bytes, cmd('a'));
}

TEST_F(Sending, WrongEchoIsSentAgainUpToThreeTimes) {
    fakes[QStringLiteral("line")]->answer = [](const QByteArray& w) {
        QByteArray e = w;
        if (w != cmd('a'))
            e[4] = 1;
        return w == cmd('a') ? QByteArray() : e;
    };
    EXPECT_FALSE(link.sendKey('E'));
    EXPECT_EQ(sent().size(), 4u);
}

TEST_F(Sending, ShortEchoIsAFailedTryAndNothingIsReadAfterIt) {
    int tries = 0;
    fakes[QStringLiteral("line")]->answer = [&tries](const QByteArray& w) {
        return w != cmd('a') && ++tries == 1 ? w.left(5) : QByteArray();
    };
    EXPECT_FALSE(link.sendKey('S'));
    EXPECT_EQ(sent().size(), 4u);
    EXPECT_EQ(fakes[QStringLiteral("line")]->input.size(), 5);
}

TEST_F(Sending, EchoBehindTheRestOfALiveFrameCountsOnTheFirstTry) {
    fakes[QStringLiteral("line")]->answer = [](const QByteArray& w) {
        return w == cmd('a') ? QByteArray() : frame().mid(7) + w;
    };
    EXPECT_TRUE(link.sendKey('M'));
    EXPECT_EQ(sent().size(), 2u);
}

TEST_F(Sending, APortFailureGivesTheHandlerAndTimerBack) {
    port.Close();
    link.mainTimer().stop();
    EXPECT_THROW(link.sendKey('F'), EAbort);
    EXPECT_TRUE(port.OnRxChar() != nullptr);
    EXPECT_TRUE(link.mainTimer().isActive());
}

TEST(DelayTest, DoesNotReturnBefore101Ticks) {
    for (quint32 base : {0u, 0xFFFFFFC0u}) {  // also across a wrap of the tick counter
        VirtualClock clock(46000.0, base);
        const quint32 start = clock.tickCount();
        clock.delay(100);
        EXPECT_EQ(static_cast<quint32>(clock.tickCount() - start), 101u);
    }
}

// ---- Discovery and watchdog ------------------------------------------------------------------

TEST_F(LinkFixture, SearchFindsTheMeterOnTheSecondOfThreePorts) {
    link.ports = {QStringLiteral("ttyS0"), QStringLiteral("meter"), QStringLiteral("ttyS2")};
    EXPECT_TRUE(link.FindMeter());
    EXPECT_EQ(link.ports.size(), 3);
    EXPECT_EQ(appState().PortIndex, 1);
    EXPECT_TRUE(appState().Connected);
    EXPECT_TRUE(port.Active());
    EXPECT_EQ(port.DeviceName(), QStringLiteral("meter"));
    EXPECT_EQ(writes[QStringLiteral("ttyS0")].size(), 1u);  // tried, then closed again
    EXPECT_EQ(view.splash, (QStringList{QStringLiteral("Searching Meter on ttyS0"),
                                        QStringLiteral("Searching Meter on meter")}));
    link.applySearchOutcome(true);
    EXPECT_EQ(view.status[0], QStringLiteral("meter"));
    EXPECT_EQ(view.status[1], QStringLiteral("On Connection"));
    EXPECT_TRUE(view.enabled[LinkView::Command::BtnRun]);
}

TEST_F(LinkFixture, SearchDropsAPortHeldByAnotherProgram) {
    link.ports = {QStringLiteral("held"), QStringLiteral("meter")};
    EXPECT_TRUE(link.FindMeter());
    EXPECT_EQ(link.ports, QStringList{QStringLiteral("meter")});
    EXPECT_EQ(appState().PortIndex, 0);
}

TEST_F(LinkFixture, NoAnswerAnywhereSelectsTheSavedPortAndAsksEveryTick) {
    link.ports = {QStringLiteral("ttyS0"), QStringLiteral("ttyS1"), QStringLiteral("ttyS2")};
    appState().SavedPortIndex = 2;
    EXPECT_FALSE(link.FindMeter());
    link.applySearchOutcome(false);
    EXPECT_EQ(link.selectedPort, 2);
    EXPECT_EQ(view.status[0], QStringLiteral("ttyS2"));
    EXPECT_EQ(view.status[1], QStringLiteral("Off Connection"));
    EXPECT_TRUE(view.noConnection);
    link.startLiveLink();
    link.mainTimer().start();
    clock.advance(300);  // the first two ticks, 100 ms apart, set the period
    writes[QStringLiteral("ttyS2")].clear();
    clock.advance(3000);
    int asks = 0;
    for (const auto& w : writes[QStringLiteral("ttyS2")])
        asks += w.bytes == cmd('A');
    EXPECT_EQ(asks, 3);
}

TEST_F(LinkFixture, StartsOnTheSimulatedMeterAndStaysConnected) {
    ASSERT_TRUE(startOn({QStringLiteral("meter")}));
    clock.advance(5000);
    EXPECT_TRUE(appState().Connected);
    EXPECT_GE(appState().FramesDecoded, 15);
    EXPECT_EQ(appState().ChecksumErrors, 0);
    EXPECT_EQ(view.status[1], QStringLiteral("On Connection"));
    int answers = 0;
    for (const QByteArray& f : meter.receivedFrames)
        answers += f == cmd('X');
    EXPECT_EQ(answers, appState().FramesDecoded);
}

TEST_F(LinkFixture, UnplugDropsTheConnectionAndReplugRestoresIt) {
    ASSERT_TRUE(startOn({QStringLiteral("ttyS0"), QStringLiteral("meter")}));
    clock.advance(3000);
    ASSERT_TRUE(appState().Connected);

    meter.setSilent(true);
    clock.advance(4500);
    EXPECT_FALSE(appState().Connected);
    EXPECT_EQ(view.status[1], QStringLiteral("No Connection"));
    EXPECT_TRUE(appState().ReceiveBuffer.isEmpty());
    EXPECT_TRUE(view.noConnection);
    for (auto c : {LinkView::Command::BtnRun, LinkView::Command::Run1, LinkView::Command::BtnStop,
                   LinkView::Command::Stop1, LinkView::Command::BtnDataLogger,
                   LinkView::Command::DataLoggerMenu})
        EXPECT_FALSE(view.enabled[c]);

    meter.setSilent(false);
    clock.advance(4000);
    EXPECT_TRUE(appState().Connected);
    EXPECT_EQ(view.status[0], QStringLiteral("COM2"));
    EXPECT_EQ(view.status[1], QStringLiteral("On Connection"));
    EXPECT_TRUE(view.enabled[LinkView::Command::BtnDataLogger]);
}

TEST_F(LinkFixture, ARepluggedAdapterComesBackWithoutTheUser) {
    ASSERT_TRUE(startOn({QStringLiteral("meter")}));
    clock.advance(3000);
    ASSERT_TRUE(appState().Connected);

    unplugged = true;
    clock.advance(5000);
    EXPECT_FALSE(port.Active());
    EXPECT_FALSE(appState().Connected);
    EXPECT_EQ(view.status[0], QStringLiteral("meter"));
    EXPECT_EQ(view.status[1], MeterLink::deviceGoneText());
    EXPECT_TRUE(view.noConnection);

    unplugged = false;
    const qint64 back = clock.msecs();
    int ticks = 0;
    link.mainTimer().onTimeout = [this, &ticks] {
        ++ticks;
        try {
            link.MainTimerTimer();
        } catch (const EAbort&) {
        }
    };
    ASSERT_TRUE(clock.advanceUntil([] { return appState().Connected; }, 5000));
    EXPECT_LE(ticks, 2) << clock.msecs() - back << " ms";
    EXPECT_TRUE(port.Active());
    EXPECT_EQ(view.status[1], QStringLiteral("On Connection"));
    EXPECT_FALSE(view.noConnection);
}

TEST_F(LinkFixture, TheWatchdogIgnoresTheWallClockJumping) {
    ASSERT_TRUE(startOn({QStringLiteral("meter")}));
    for (qint64 jump : {-3'600'000LL, 86'400'000LL, -400LL * 86'400'000LL}) {
        SCOPED_TRACE(jump);
        meter.setSilent(false);
        ASSERT_TRUE(clock.advanceUntil([] { return appState().Connected; }, 5000));
        clock.advance(2000);
        clock.shiftWallClock(jump);
        // A lost meter is reported within four ticks, whichever way the clock went.
        meter.setSilent(true);
        clock.advance(4500);
        EXPECT_FALSE(appState().Connected);
        EXPECT_EQ(view.status[1], QStringLiteral("No Connection"));
        EXPECT_GE(link.mainTimer().interval(), 500);
        EXPECT_LE(link.mainTimer().interval(), 1100);
        // A disconnected meter is asked again on every tick.
        meter.hostWrites.clear();
        clock.advance(3000);
        int asks = 0;
        for (const QByteArray& w : meter.hostWrites)
            asks += w == cmd('A');
        EXPECT_EQ(asks, 3);
    }
}

TEST_F(LinkFixture, ASavedPortPastTheListSelectsAndSavesTheSamePort) {
    link.ports = {QStringLiteral("ttyS0"), QStringLiteral("ttyS1")};
    appState().SavedPortIndex = 7;
    EXPECT_FALSE(link.FindMeter());
    link.applySearchOutcome(false);
    EXPECT_EQ(link.selectedPort, 1);
    EXPECT_EQ(appState().PortIndex, 1);
    EXPECT_EQ(view.status[0], QStringLiteral("ttyS1"));
}

TEST_F(LinkFixture, PickingAnotherPortDropsTheConnectionWithinThreeSeconds) {
    ASSERT_TRUE(startOn({QStringLiteral("meter"), QStringLiteral("ttyS1")}));
    clock.advance(2500);
    ASSERT_TRUE(appState().Connected);
    link.ComboBoxDeviceNameChange(1);
    EXPECT_EQ(appState().SavedPortIndex, 1);
    // A frame seen just before the change still counts for the next tick: three empty ticks
    // follow it.
    clock.advance(3000);
    EXPECT_TRUE(appState().Connected);
    clock.advance(1100);
    EXPECT_FALSE(appState().Connected);
}

TEST_F(LinkFixture, TickIntervalKeepsNearOneSecond) {
    link.mainTimer().setInterval(100);
    link.MainTimerTimer();  // first tick only notes the time
    EXPECT_EQ(link.mainTimer().interval(), 100);
    struct Step {
        int waitedMs;
        int expected;
    } steps[] = {{100, 1000}, {1000, 1000}, {1300, 700}, {1400, 500}, {500, 1000}};
    for (const Step& s : steps) {
        clock.delay(static_cast<quint32>(s.waitedMs - 1));
        link.MainTimerTimer();
        EXPECT_EQ(link.mainTimer().interval(), s.expected) << "after " << s.waitedMs << " ms";
    }
    EXPECT_FALSE(appState().TimerBusy);
}

TEST_F(LinkFixture, TickThatFailsToSendStillClearsTimerBusy) {
    fakeAnswer = [](const QByteArray&) -> QByteArray {
        throw EComError(5, QStringLiteral("Input/output error"));
    };
    openOn(QStringLiteral("ttyS0"));
    EXPECT_THROW(link.MainTimerTimer(), EAbort);
    EXPECT_FALSE(appState().TimerBusy);
}

TEST(PortNames, TheWindowsDevicePrefixIsAddedOnce) {
    EXPECT_EQ(MeterLink::windowsDeviceName(QStringLiteral("COM3")), QStringLiteral("\\\\.\\COM3"));
    EXPECT_EQ(MeterLink::windowsDeviceName(QStringLiteral("\\\\.\\COM12")),
              QStringLiteral("\\\\.\\COM12"));
}
