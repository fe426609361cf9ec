#pragma once

#include <gtest/gtest.h>

#include <QMap>

#include <functional>
#include <memory>

#include "PluggableDevice.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "link/MeterLink.h"
#include "link/SimDevice.h"
#include "link/TComPort.h"
#include "sim/MeterEmulator.h"

// A device on the test's clock: records every write with its time and answers from a script.
class FakeDevice : public ComDevice {
public:
    struct Write {
        qint64 at;
        QByteArray bytes;
    };
    FakeDevice(Clock& clock, std::vector<Write>& log) : clock_(clock), log_(log) {}
    qint64 bytesWaiting() override { return input.size(); }
    QByteArray read(qint64 count) override {
        QByteArray d = input.left(count);
        input.remove(0, d.size());
        return d;
    }
    bool waitForBytes(qint64 count, int) override { return input.size() >= count; }
    void write(const QByteArray& bytes, bool) override {
        log_.push_back({clock_.msecs(), bytes});
        if (answer)
            input += answer(bytes);
    }
    void purgeReceive() override { input.clear(); }
    void purgeTransmit() override {}
    void close() override {}

    QByteArray input;
    std::function<QByteArray(const QByteArray&)> answer;

private:
    Clock& clock_;
    std::vector<Write>& log_;
};

class RecordingView : public LinkView {
public:
    void setCommandEnabled(Command c, bool on) override { enabled[c] = on; }
    void showDataLogger() override { loggerShown = true; }
    void setStatus(int panel, const QString& text) override { status[panel] = text; }
    void setNoConnectionShown(bool shown) override { noConnection = shown; }
    void setSplashStatus(const QString& text) override { splash << text; }
    void setCounters(const QString& text) override { counters = text; }
    void liveFrame(const LiveFrameBytes& f, TDateTime) override { frames.push_back(f); }

    QMap<Command, bool> enabled;
    bool loggerShown = false;
    QString status[2];
    bool noConnection = false;
    QStringList splash;
    QString counters;
    std::vector<LiveFrameBytes> frames;
};

// The link on virtual time, with named devices: "meter" is the simulated meter, "held" cannot be
// opened, any other name opens a fake device that records what it is sent.
class LinkFixture : public ::testing::Test {
protected:
    LinkFixture()
        : meter(QDateTime(QDate(2026, 12, 10), QTime(10, 0, 0)), 7),
          port([this](const QString& name) -> std::unique_ptr<ComDevice> {
              if (name == QLatin1String("held"))
                  throw EComError(16, QStringLiteral("Device or resource busy"));
              if (name == QLatin1String("meter")) {
                  if (unplugged)
                      throw EComError(2, QStringLiteral("No such file or directory"));
                  return std::make_unique<PluggableDevice>(openSimDevice(meter, clock), unplugged);
              }
              auto d = std::make_unique<FakeDevice>(clock, writes[name]);
              fakes[name] = d.get();
              if (fakeAnswer)
                  d->answer = fakeAnswer;
              return d;
          }),
          link(appState(), clock, port, view) {
        resetAppState();
        port.OnError = abortOnComError;
        port.setOnRxChar([this](TComPort*) { link.Comm1RxChar(); });
    }
    ~LinkFixture() override {
        port.setOnRxChar(nullptr);
        port.Close();
        resetAppState();
    }

    // Start-up on these ports: the search, its outcome, the live stream and the watchdog.
    bool startOn(const QStringList& names) {
        link.ports = names;
        const bool found = link.FindMeter();
        link.applySearchOutcome(found);
        link.startLiveLink();
        link.mainTimer().start();
        return found;
    }

    void openOn(const QString& name) {
        port.Close();
        port.setDeviceName(name);
        port.Open();
    }

    // A valid live frame with the given status bytes and display value.
    static QByteArray frame(std::uint8_t s1 = 0x18, std::uint8_t s2 = 0x23, int value = 825) {
        QByteArray f(19, '\0');
        f[0] = 0x02;
        f[1] = static_cast<char>(s1);
        f[2] = static_cast<char>(s2);
        f[5] = static_cast<char>(value >> 8);
        f[6] = static_cast<char>(value & 0xFF);
        f[11] = 0x10;
        f[13] = 0x30;
        f[14] = 0x26;
        unsigned sum = 0;
        for (int i = 1; i <= 16; ++i)
            sum += static_cast<std::uint8_t>(f[i]);
        f[17] = static_cast<char>(sum & 0xFF);
        f[18] = 0x03;
        return f;
    }

    VirtualClock clock;
    bool unplugged = false;  // the simulated meter's adapter pulled out
    MeterEmulator meter;
    std::map<QString, std::vector<FakeDevice::Write>> writes;
    std::map<QString, FakeDevice*> fakes;
    std::function<QByteArray(const QByteArray&)> fakeAnswer;
    RecordingView view;
    TComPort port;
    MeterLink link;
};
