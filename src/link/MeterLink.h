#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "core/CommandFrame.h"
#include "core/TDateTime.h"
#include "link/LiveDecoder.h"

class Clock;
class ClockTimer;
class TComPort;
struct AppState;

// What the link shows on the windows. The main window implements it; tests record it.
class LinkView {
public:
    enum class Command { BtnRun, Run1, BtnStop, Stop1, BtnDataLogger, DataLoggerMenu, ClearButton };

    virtual ~LinkView() = default;
    virtual void setCommandEnabled(Command, bool) {}
    // The "&Data Logger" menu and btnDataLogger made visible.
    virtual void showDataLogger() {}
    virtual void setStatus(int /*panel*/, const QString&) {}
    // lblNoConnection of the panel, when the panel is open.
    virtual void setNoConnectionShown(bool) {}
    // Hides the panel's other-model pictures, clears lblREC, shows the clock (panel open only).
    virtual void resetPanelForConnection() {}
    virtual void setSplashStatus(const QString&) {}
    // The port list or its selection changed.
    virtual void portListChanged() {}
    virtual void setCounters(const QString&) {}
    // DecodeLiveFrame: one good frame while connected, with its time stamp.
    virtual void liveFrame(const LiveFrameBytes&, TDateTime) {}
    virtual void processEvents() {}
};

// The live link of the main window: sending command frames, finding the meter, the watchdog and
// the reception of live frames.
class MeterLink {
public:
    MeterLink(AppState& state, Clock& clock, TComPort& comm1, LinkView& view);
    ~MeterLink();

    // The port list (ComboBoxDeviceName): names, and the selected index (-1 when empty).
    QStringList ports;
    int selectedPort = -1;
    QString selectedPortName() const;
    // The device name of a listed port.
    static QString deviceNameFor(const QString& portName);
    // A port name with the Windows device prefix "\\.\", added only when missing.
    static QString windowsDeviceName(const QString& portName);

    ClockTimer& mainTimer() { return *mainTimer_; }
    TComPort& port() { return comm1_; }

    void Delay(quint32 ms);
    void sendAsText(const CommandFrame& frame);
    void sendAsBytes(const CommandFrame& frame);
    // Sends the frame with echo check, then resumes the live stream with 'a'.
    bool SendCommand(CommandFrame& frame);
    // Sets the letter of commandFrame and sends it with SendCommand.
    bool sendKey(char letter);
    // Sets the letter of commandFrame and writes it directly: no echo check, no 'a'.
    void writeKey(char letter);

    // Searches the listed ports for the meter; true when found (Comm1 left open on it).
    bool FindMeter();
    // What start-up shows for the search's outcome.
    void applySearchOutcome(bool found);
    // Reopens Comm1 on the selected port and asks for the live stream; failures are ignored.
    void startLiveLink();
    static bool OpenPortQuietly(TComPort& port);
    // The user picked item index of the port list.
    void ComboBoxDeviceNameChange(int index);

    void MainTimerTimer();
    void Comm1RxChar();

    static QString deviceGoneText() { return QStringLiteral("Device Gone"); }

private:
    friend class QuietLink;
    friend class SetupPort;
    void waitWhile(const bool& flag);
    void reopenLostDevice();
    void handshake();

    AppState& state_;
    Clock& clock_;
    TComPort& comm1_;
    LinkView& view_;
    std::unique_ptr<ClockTimer> mainTimer_;
};

// Takes the port from the live link for an exchange of its own (a logger transfer, a recall):
// waits for a running tick, stops the watchdog and detaches the live frame handler. On every
// way out it drops what the exchange left on the line, gives the handler back, restarts the
// stream with 'a' and, 100 ms later, the watchdog.
class QuietLink {
public:
    explicit QuietLink(MeterLink& link);
    ~QuietLink();
    QuietLink(const QuietLink&) = delete;
    QuietLink& operator=(const QuietLink&) = delete;

private:
    MeterLink& link_;
    std::function<void(TComPort*)> handler_;
};

// Moves the device from the live link's port to a port of its own (the setup window's Comm2):
// open() stops the watchdog, closes Comm1, gives the meter 5 s and opens the other port on the
// same device (three tries). On every way out the other port is closed, Comm1 reopened, the
// stream asked for with 'a' and the watchdog restarted.
class SetupPort {
public:
    SetupPort(MeterLink& link, TComPort& comm2);
    ~SetupPort();
    SetupPort(const SetupPort&) = delete;
    SetupPort& operator=(const SetupPort&) = delete;
    bool open();

private:
    MeterLink& link_;
    TComPort& comm2_;
};
