#include "link/MeterLink.h"

#include <algorithm>
#include <cmath>

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Guard.h"
#include "link/TComPort.h"

namespace {
using Command = LinkView::Command;
constexpr int kMaxReadPerEvent = 256;
constexpr int kFrameSize = 19;
constexpr int kMaxEchoRead = 256;

// Gives the port its receive handler back and restarts the watchdog on every way out.
class DetachedReceive {
public:
    DetachedReceive(TComPort& port, ClockTimer& timer)
        : port_(port), timer_(timer), handler_(port.OnRxChar()) {
        port_.setOnRxChar(nullptr);
    }
    ~DetachedReceive() {
        restoreHandler();
        timer_.start();
    }
    void restoreHandler() {
        if (handler_)
            port_.setOnRxChar(std::exchange(handler_, nullptr));
    }

private:
    TComPort& port_;
    ClockTimer& timer_;
    TComPort::RxHandler handler_;
};
}  // namespace

MeterLink::MeterLink(AppState& state, Clock& clock, TComPort& comm1, LinkView& view)
    : state_(state), clock_(clock), comm1_(comm1), view_(view), mainTimer_(clock.createTimer()) {
    mainTimer_->setInterval(100);
    mainTimer_->onTimeout = [this] {
        try {
            MainTimerTimer();
        } catch (const EAbort&) {
        }
    };
}

MeterLink::~MeterLink() = default;

QString MeterLink::selectedPortName() const {
    return selectedPort >= 0 && selectedPort < ports.size() ? ports[selectedPort] : QString();
}

QString MeterLink::windowsDeviceName(const QString& portName) {
    const QString prefix = QStringLiteral("\\\\.\\");
    // The system's port list already gives "\\.\COM3"; a typed "COM3" needs the prefix.
    return portName.startsWith(prefix) ? portName : prefix + portName;
}

QString MeterLink::deviceNameFor(const QString& portName) {
#ifdef Q_OS_WIN
    return windowsDeviceName(portName);
#else
    return portName;
#endif
}

void MeterLink::Delay(quint32 ms) {
    clock_.delay(ms);
}

void MeterLink::waitWhile(const bool& flag) {
    while (flag)
        view_.processEvents();
}

void MeterLink::sendAsText(const CommandFrame& frame) {
    state_.CommandText = frame.toBytes();
    comm1_.WriteText(state_.CommandText);
}

void MeterLink::sendAsBytes(const CommandFrame& frame) {
    comm1_.WriteBytes(reinterpret_cast<const char*>(frame.bytes.data()), 8, false);
}

bool MeterLink::SendCommand(CommandFrame& frame) {
    waitWhile(state_.TimerBusy);
    mainTimer_->stop();
    waitWhile(state_.ReceiveBusy);
    bool ok = false;
    {
        DetachedReceive detached(comm1_, *mainTimer_);
        const QByteArray wanted = frame.toBytes();
        for (int attempt = 0; attempt < 3 && !ok; ++attempt) {
            sendAsText(frame);
            Delay(100);
            // An echo not whole after 100 ms counts as a failed try: nothing is read once the try
            // has been judged.
            const int waiting = comm1_.BytesWaiting();
            if (waiting < 8)
                continue;
            // The echo may follow the rest of a live frame that was on its way when the key was
            // pressed; looking only at the first 8 bytes would send the key again and make the
            // meter act on it two or three times.
            QByteArray echo(std::min(waiting, kMaxEchoRead), '\0');
            comm1_.ReadBytes(echo.data(), static_cast<int>(echo.size()), true);
            ok = echo.contains(wanted);
        }
        detached.restoreHandler();
        state_.commandFrame.setLetter('a');
        sendAsText(state_.commandFrame);
    }
    return ok;
}

bool MeterLink::sendKey(char letter) {
    state_.commandFrame.setLetter(letter);
    return SendCommand(state_.commandFrame);
}

void MeterLink::writeKey(char letter) {
    state_.commandFrame.setLetter(letter);
    sendAsBytes(state_.commandFrame);
}

bool MeterLink::OpenPortQuietly(TComPort& port) {
    try {
        port.Open();
    } catch (const EAbort&) {
    } catch (const EComError&) {
    }
    return true;
}

bool MeterLink::FindMeter() {
    const TComPort::RxHandler handler = comm1_.OnRxChar();
    comm1_.setOnRxChar(nullptr);
    ScopeExit rebind([&] { comm1_.setOnRxChar(handler); });
    const int attempts = static_cast<int>(ports.size());
    const QStringList listed = ports;
    int k = 0;
    for (int attempt = 0; attempt < attempts; ++attempt, ++k) {
        selectedPort = k;
        view_.portListChanged();
        comm1_.Close();
        comm1_.setDeviceName(deviceNameFor(ports[k]));
        view_.setSplashStatus(QStringLiteral("Searching Meter on ") + ports[k]);
        Delay(300);
        try {
            comm1_.Open();
        } catch (const EAbort&) {
            // Held by another program or gone: drop it and try what moved into its place.
            ports.removeAt(k);
            --k;
            if (ports.isEmpty())
                selectedPort = -1;
            view_.portListChanged();
            continue;
        }
        try {
            sendAsBytes(state_.commandFrame);
            Delay(500);
            if (comm1_.BytesWaiting() >= 4) {
                char answer[4];
                comm1_.ReadBytes(answer, 4, true);
                if (QByteArray(answer, 4).contains("410")) {
                    view_.setCommandEnabled(Command::BtnRun, true);
                    view_.setCommandEnabled(Command::Run1, true);
                    view_.setCommandEnabled(Command::BtnStop, false);
                    view_.setCommandEnabled(Command::Stop1, false);
                    state_.MeterModel = 410;
                    state_.Connected = true;
                    state_.PortIndex = k;
                    return true;
                }
            }
        } catch (const EAbort&) {
        }
        comm1_.Close();
    }
    // No meter anywhere: a port held by another program at start-up is still the user's port;
    // the list stays whole so that the link can take it once it is free.
    ports = listed;
    if (selectedPort >= static_cast<int>(ports.size()))
        selectedPort = ports.isEmpty() ? -1 : 0;
    view_.portListChanged();
    return false;
}

void MeterLink::applySearchOutcome(bool found) {
    if (found) {
        state_.SavedModel = state_.MeterModel;
        view_.setNoConnectionShown(false);
        view_.setStatus(0, comm1_.DeviceName());
        view_.setStatus(1, QStringLiteral("On Connection"));
        state_.PortIndex = selectedPort;
        return;
    }
    state_.MeterModel = 410;
    // The index the link uses (and later saves) is the port it selects: a saved index past the
    // list is clamped for both.
    if (!ports.isEmpty()) {
        selectedPort = std::clamp(state_.SavedPortIndex, 0, static_cast<int>(ports.size()) - 1);
        state_.PortIndex = selectedPort;
    } else {
        state_.PortIndex = state_.SavedPortIndex;
    }
    view_.portListChanged();
    if (!comm1_.Active()) {
        try {
            comm1_.setDeviceName(deviceNameFor(selectedPortName()));
        } catch (const EAbort&) {
        }
    }
    view_.setNoConnectionShown(true);
    view_.setStatus(0, selectedPortName());
    view_.setStatus(1, QStringLiteral("Off Connection"));
}

void MeterLink::startLiveLink() {
    try {
        comm1_.Close();
    } catch (const EAbort&) {
    }
    Delay(500);
    OpenPortQuietly(comm1_);
    Delay(100);
    try {
        comm1_.PurgeReceive();
        state_.commandFrame.setLetter('a');
        if (comm1_.Active())
            sendAsText(state_.commandFrame);
    } catch (const EAbort&) {
    }
}

void MeterLink::ComboBoxDeviceNameChange(int index) {
    waitWhile(state_.TimerBusy);
    selectedPort = index;
    comm1_.Close();
    comm1_.setDeviceName(deviceNameFor(selectedPortName()));
    OpenPortQuietly(comm1_);
    state_.PortIndex = state_.SavedPortIndex = index;
}

void MeterLink::MainTimerTimer() {
    FlagGuard busy(state_.TimerBusy);
    // Elapsed time from the monotonic clock: a wall clock set back or forward (daylight saving,
    // a time sync) must not hold the watchdog up or hurry it.
    const qint64 now = clock_.msecs();
    if (state_.FrameSeen) {
        state_.FrameSeen = false;
        state_.MissCount = 0;
    } else if (++state_.MissCount >= state_.MissLimit) {
        for (Command c : {Command::BtnRun, Command::Run1, Command::BtnStop, Command::Stop1,
                          Command::BtnDataLogger, Command::DataLoggerMenu})
            view_.setCommandEnabled(c, false);
        view_.setStatus(0, selectedPortName());
        view_.setStatus(1, QStringLiteral("Off Connection"));
        view_.setNoConnectionShown(true);
        if (state_.Connected)
            state_.ReceiveBuffer.clear();
        state_.Connected = false;
        state_.MissCount = 0;
        view_.setStatus(1, QStringLiteral("No Connection"));
    }
    // Keep the period near one second whatever the lateness of the ticks; done before the
    // frame below so that a failing port cannot skip it.
    if (state_.FirstTick) {
        state_.FirstTick = false;
    } else {
        const qint64 since = now - state_.LastTickMs;
        const qint64 next = mainTimer_->interval() + 1000 - since;
        mainTimer_->setInterval(static_cast<int>(std::clamp<qint64>(next, 500, 2000)));
    }
    state_.LastTickMs = now;
    reopenLostDevice();
    if (!state_.Connected && comm1_.Active()) {
        state_.commandFrame.setLetter('A');
        sendAsText(state_.commandFrame);
    }
}

void MeterLink::reopenLostDevice() {
    if (comm1_.Active() || comm1_.DeviceName().isEmpty())
        return;
    // A failed device was closed (a pulled USB adapter): try it again on every tick, so the
    // link comes back by itself when it is plugged in again.
    OpenPortQuietly(comm1_);
    if (!comm1_.Active()) {
        view_.setStatus(0, selectedPortName());
        view_.setStatus(1, deviceGoneText());
        view_.setNoConnectionShown(true);
        return;
    }
    comm1_.PurgeReceive();
    state_.ReceiveBuffer.clear();
    if (state_.Connected) {
        // Still taken as connected: ask for the stream again, the watchdog judges the rest.
        state_.commandFrame.setLetter('a');
        sendAsText(state_.commandFrame);
    }
}

void MeterLink::handshake() {
    waitWhile(state_.TimerBusy);
    mainTimer_->stop();
    DetachedReceive detached(comm1_, *mainTimer_);
    comm1_.PurgeReceive();
    state_.commandFrame.setLetter('K');
    Delay(100);
    sendAsText(state_.commandFrame);
    Delay(1000);
    if (comm1_.BytesWaiting() >= 4) {
        char answer[4];
        comm1_.ReadBytes(answer, 4, true);
    }
    state_.MeterModel = 410;
    state_.Connected = true;
    view_.resetPanelForConnection();
    view_.showDataLogger();
    view_.setCommandEnabled(Command::BtnDataLogger, true);
    view_.setCommandEnabled(Command::DataLoggerMenu, true);
    detached.restoreHandler();
    comm1_.PurgeReceive();
    state_.commandFrame.setLetter('a');
    sendAsText(state_.commandFrame);
    mainTimer_->start();
    view_.setStatus(0, QStringLiteral("COM") + QString::number(state_.PortIndex + 1));
    view_.setStatus(1, QStringLiteral("On Connection"));
    view_.setNoConnectionShown(false);
    const bool running = state_.RealTimeRunning;
    view_.setCommandEnabled(Command::BtnRun, !running);
    if (!running)
        view_.setCommandEnabled(Command::Run1, true);
    view_.setCommandEnabled(Command::BtnStop, running);
    view_.setCommandEnabled(Command::Stop1, running);
    view_.setCommandEnabled(Command::ClearButton, !running);
}

void MeterLink::Comm1RxChar() {
    ScopeExit counters([this] {
        view_.setCounters(
            QStringLiteral("%1/%2").arg(state_.ChecksumErrors).arg(state_.FramesWithTrailer));
    });
    FlagGuard busy(state_.ReceiveBusy);
    const int n = std::min(comm1_.BytesWaiting(), kMaxReadPerEvent);
    if (n > 0) {
        QByteArray chunk(n, '\0');
        comm1_.ReadBytes(chunk.data(), n, false);
        state_.ReceiveBuffer.append(chunk);
    }
    QByteArray& buf = state_.ReceiveBuffer;
    while (buf.size() >= kFrameSize) {
        const qsizetype start = buf.indexOf('\x02');
        if (start < 0) {
            buf.clear();
        } else if (start > 0) {
            buf.remove(0, start);
        } else if (static_cast<std::uint8_t>(buf[18]) != 0x03) {
            buf.remove(0, 1);
        } else {
            ++state_.FramesWithTrailer;
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(buf.constData());
            if (frameChecksum(bytes) != bytes[17]) {
                ++state_.ChecksumErrors;
                buf.remove(0, kFrameSize);
                continue;
            }
            state_.FrameSeen = true;
            if (!state_.Connected) {
                // The frame stays at the front and is decoded on the next pass.
                handshake();
                continue;
            }
            LiveFrameBytes frame;
            std::copy_n(bytes, kFrameSize, frame.begin());
            buf.remove(0, kFrameSize);
            ++state_.FramesDecoded;
            view_.liveFrame(frame, clock_.now());
            state_.commandFrame.setLetter('X');
            sendAsBytes(state_.commandFrame);
        }
    }
}

QuietLink::QuietLink(MeterLink& link) : link_(link), handler_(link.comm1_.OnRxChar()) {
    link_.waitWhile(link_.state_.TimerBusy);
    link_.mainTimer_->stop();
    link_.waitWhile(link_.state_.ReceiveBusy);
    link_.comm1_.setOnRxChar(nullptr);
}

QuietLink::~QuietLink() {
    try {
        link_.comm1_.PurgeReceive();
    } catch (const EAbort&) {
    } catch (const EComError&) {
    }
    link_.state_.ReceiveBuffer.clear();
    link_.comm1_.setOnRxChar(handler_);
    try {
        if (link_.comm1_.Active()) {
            link_.state_.commandFrame.setLetter('a');
            link_.sendAsText(link_.state_.commandFrame);
        }
    } catch (const EAbort&) {
    } catch (const EComError&) {
    }
    link_.Delay(100);
    link_.mainTimer_->start();
}

SetupPort::SetupPort(MeterLink& link, TComPort& comm2) : link_(link), comm2_(comm2) {}

bool SetupPort::open() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        link_.waitWhile(link_.state_.TimerBusy);
        link_.mainTimer_->stop();
        link_.waitWhile(link_.state_.ReceiveBusy);
        try {
            link_.comm1_.Close();
            link_.Delay(5000);
            comm2_.Close();
            comm2_.setDeviceName(link_.comm1_.DeviceName());
            comm2_.setOnRxChar(nullptr);
            comm2_.Open();
        } catch (const EAbort&) {
        } catch (const EComError&) {
        }
        if (comm2_.Active())
            return true;
    }
    return false;
}

SetupPort::~SetupPort() {
    bool closed = true;
    try {
        comm2_.Close();
    } catch (const EAbort&) {
        closed = false;
    } catch (const EComError&) {
        closed = false;
    }
    if (closed)
        MeterLink::OpenPortQuietly(link_.comm1_);
    try {
        link_.state_.ReceiveBuffer.clear();
        if (link_.comm1_.Active()) {
            link_.state_.commandFrame.setLetter('a');
            link_.sendAsText(link_.state_.commandFrame);
        }
    } catch (const EAbort&) {
    } catch (const EComError&) {
    }
    link_.mainTimer_->start();
}
