#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSerialPortInfo>

#include <csignal>
#include <limits>
#include <memory>

#include "cli/CliCommands.h"
#include "cli/CliFailure.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Guard.h"
#include "files/CaptureFile.h"
#include "link/LiveDecoder.h"
#include "link/MeterLink.h"
#include "link/SerialDevice.h"
#include "link/SimDevice.h"
#include "link/TComPort.h"
#include "logger/CollectionFile.h"
#include "logger/LoggerTransfer.h"
#include "logger/MemoryImageParser.h"
#include "logger/SetupCommands.h"
#include "logger/StoredReadings.h"
#include "sim/MeterEmulator.h"

namespace cli {

namespace {
volatile std::sig_atomic_t g_stop = 0;
}  // namespace

bool stopRequested() {
    return g_stop != 0;
}

void requestStop() {
    g_stop = 1;
}

namespace {

const QString kDemoPort = QStringLiteral("demo");

class CliLinkView final : public LinkView {
public:
    std::function<void(const LiveFrameBytes&, TDateTime)> onFrame;
    void liveFrame(const LiveFrameBytes& f, TDateTime t) override {
        if (onFrame)
            onFrame(f, t);
    }
    void processEvents() override { QCoreApplication::processEvents(); }
};

// The meter as the application finds it: the search on the ports, the handshake, the live
// stream and its watchdog. The port is let go however the command ends, the meter streaming
// as it was found.
class MeterConnection {
public:
    MeterConnection(const Args& a, const Io& io)
        : io_(io),
          port_([this](const QString& name) { return open(name); }),
          link_(state_, clock_, port_, view_) {
        port_.OnError = abortOnComError;
        if (a.has("demo")) {
            sim_ = std::make_unique<MeterEmulator>();
            sim_->seedDemoData();
            link_.ports = {kDemoPort};
        } else if (a.has("port")) {
            link_.ports = {a.value("port")};
        } else {
            link_.ports = systemSerialPorts();
        }
    }
    ~MeterConnection() {
        link_.mainTimer().stop();
        port_.setOnRxChar(nullptr);
        try {
            port_.Close();
        } catch (...) {
        }
    }
    MeterConnection(const MeterConnection&) = delete;
    MeterConnection& operator=(const MeterConnection&) = delete;

    // Finds the meter and starts its live stream; a meter failure when there is none.
    void connect() {
        const QStringList listed = link_.ports;
        if (listed.isEmpty())
            throw Failure{kExitMeter, QStringLiteral("no serial ports found: attach the meter, or "
                                                     "give --port PATH or --demo")};
        bool found = false;
        try {
            found = link_.FindMeter();
        } catch (const EAbort&) {
        }
        if (!found) {
            if (listed.size() == 1 && !openError_.isEmpty())
                throw Failure{kExitMeter,
                              QStringLiteral("cannot open %1: %2").arg(listed.front(), openError_)};
            throw Failure{
                kExitMeter,
                QStringLiteral("no meter answered on %1").arg(listed.join(QStringLiteral(", ")))};
        }
        if (listed.size() > 1)
            io_.message(QStringLiteral("NX410 found on %1").arg(link_.selectedPortName()));
        port_.setOnRxChar([this](TComPort*) {
            try {
                link_.Comm1RxChar();
            } catch (const EAbort&) {
            }
        });
        link_.startLiveLink();
        link_.mainTimer().start();
    }

    // Runs the event loop until pred holds, ms have passed or a stop was asked for.
    bool pumpUntil(const std::function<bool()>& pred, qint64 ms) {
        QElapsedTimer t;
        t.start();
        while (!pred()) {
            if (t.elapsed() >= ms || stopRequested())
                return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        }
        return true;
    }

    // Waits for a live frame, which tells whether the meter is recording.
    void refuseWhileRecording(const QString& what) {
        const int before = state_.FramesDecoded;
        pumpUntil([&] { return state_.FramesDecoded > before; }, 3000);
        if (state_.MeterRecording)
            throw Failure{
                kExitMeter,
                QStringLiteral("the meter is recording data: stop recording before %1").arg(what)};
    }

    AppState& state() { return state_; }
    Clock& clock() { return clock_; }
    TComPort& port() { return port_; }
    MeterLink& link() { return link_; }
    CliLinkView& view() { return view_; }
    MeterEmulator* sim() { return sim_.get(); }

private:
    std::unique_ptr<ComDevice> open(const QString& name) {
        if (sim_ && name == kDemoPort)
            return openSimDevice(*sim_, clock_);
        try {
            return openSerialDevice(name);
        } catch (const EComError& e) {
            openError_ = QString::fromLocal8Bit(e.what());
            throw;
        }
    }

    const Io& io_;
    RealClock clock_;
    AppState state_;
    CliLinkView view_;
    std::unique_ptr<MeterEmulator> sim_;
    QString openError_;
    TComPort port_;
    MeterLink link_;
};

// Progress of a transfer on standard error, every tenth; Ctrl-C stops it.
class StderrProgress final : public logger::TransferView {
public:
    explicit StderrProgress(const Io& io) : io_(io) {}
    void startProgress(int total) override {
        total_ = total;
        shown_ = -1;
    }
    bool progress(int received) override {
        const int tenth = total_ > 0 ? static_cast<int>(qint64(received) * 10 / total_) : 0;
        if (tenth != shown_) {
            shown_ = tenth;
            io_.message(QStringLiteral("download: %1 of %2 bytes").arg(received).arg(total_));
        }
        return !stopRequested();
    }

private:
    const Io& io_;
    int total_ = 0;
    int shown_ = -1;
};

int bcd(char b) {
    const auto v = static_cast<std::uint8_t>(b);
    return (v >> 4) * 10 + (v & 0x0F);
}

QString downloadFailureText(int code) {
    switch (code) {
        case logger::kNoEcho:
            return QStringLiteral("the meter did not answer the download command");
        case logger::kBadSize:
            return QStringLiteral("the meter's used memory size could not be read");
        case logger::kCancelled:
            return QStringLiteral("the download was stopped; nothing was written");
        default:
            return QStringLiteral(
                "the download fell short: the line failed or the meter stopped "
                "sending");
    }
}

// An exchange of the setup window on the quieted live port.
template <typename F>
auto withSetupSession(MeterConnection& m, F&& f) {
    QuietLink quiet(m.link());
    m.clock().delay(300);
    logger::SetupSession session(m.port(), m.clock());
    session.preamble();
    return f(session);
}

}  // namespace

int cmdPorts(const Args& a, const Io& io) {
    RowWriter w(io.out, a.has("json"), {"path", "description", "meter"});
    const bool probe = a.has("probe");
    const auto answers = [&](const QString& path, bool demo) -> QString {
        if (!probe)
            return {};
        Args one;
        if (demo)
            one.flags << QStringLiteral("demo");
        else
            one.values.insert(QStringLiteral("port"), path);
        Io quiet{io.out, [](QByteArrayView) {}};
        MeterConnection m(one, quiet);
        try {
            bool found = false;
            try {
                found = m.link().FindMeter();
            } catch (const EAbort&) {
            }
            return found ? QStringLiteral("yes") : QStringLiteral("no");
        } catch (const Failure&) {
            return QStringLiteral("no");
        }
    };
    if (a.has("demo"))
        w.row({textCell(kDemoPort), textCell(QStringLiteral("Simulated NX410")),
               textCell(answers(kDemoPort, true))});
    QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    if (a.has("port")) {
        const QString p = a.value("port");
        bool listed = false;
        for (const QSerialPortInfo& i : infos)
            listed = listed || i.systemLocation() == p;
        if (!listed)
            w.row({textCell(p), textCell({}), textCell(answers(p, false))});
    }
    for (const QSerialPortInfo& info : infos) {
        w.row({textCell(info.systemLocation()), textCell(info.description()),
               textCell(answers(info.systemLocation(), false))});
        w.flush();
    }
    return kExitOk;
}

int cmdLive(const Args& a, const Io& io) {
    const int count = a.has("count") ? positiveOption(a.value("count"), "count") : 0;
    const int seconds = a.has("seconds") ? positiveOption(a.value("seconds"), "seconds") : 0;
    MeterConnection m(a, io);
    m.connect();
    RowWriter w(io.out, a.has("json"), {"time", "level", "weighting", "speed", "max_min", "flags"});
    w.flush();
    int printed = 0;
    QElapsedTimer sinceFrame;
    sinceFrame.start();
    m.view().onFrame = [&](const LiveFrameBytes& f, TDateTime t) {
        if (count > 0 && printed >= count)
            return;
        const DecodedFrame d = decodeLiveFrame(f);
        applyFrameFlags(m.state(), d);
        QStringList maxMin;
        if (d.maxMinMode) {
            if (d.selection & 0x04)
                maxMin << QStringLiteral("MAX");
            if (d.selection & 0x08)
                maxMin << QStringLiteral("MIN");
        }
        QStringList flags;
        if (d.meterRecording)
            flags << QStringLiteral("REC");
        if (d.under)
            flags << QStringLiteral("UNDER");
        if (d.over)
            flags << QStringLiteral("OVER");
        if (d.memoryFull)
            flags << QStringLiteral("FULL");
        if (d.readMode)
            flags << QStringLiteral("READ");
        w.row({timeCell(t, true), levelCell(d.level),
               textCell(d.weightingA ? QStringLiteral("A") : QStringLiteral("C")),
               textCell(d.fast ? QStringLiteral("FAST") : QStringLiteral("SLOW")),
               textCell(maxMin.join(QLatin1Char(' '))), textCell(flags.join(QLatin1Char(' ')))});
        w.flush();
        ++printed;
        sinceFrame.restart();
    };
    QElapsedTimer running;
    running.start();
    constexpr qint64 kSilenceMs = 5000;
    m.pumpUntil(
        [&] {
            return (count > 0 && printed >= count) ||
                   (seconds > 0 && running.elapsed() >= qint64(seconds) * 1000) ||
                   sinceFrame.elapsed() >= kSilenceMs;
        },
        std::numeric_limits<qint64>::max());
    m.view().onFrame = nullptr;
    if (sinceFrame.elapsed() >= kSilenceMs && !stopRequested() && !(count > 0 && printed >= count))
        throw Failure{
            kExitMeter,
            QStringLiteral("no live frames from the meter for %1 s").arg(kSilenceMs / 1000)};
    return kExitOk;
}

int cmdDownload(const Args& a, const Io& io) {
    if (!a.has("out"))
        throw Failure{kExitUsage, QStringLiteral("download needs --out FILE.rec")};
    const QString out = a.value("out");
    MeterConnection m(a, io);
    m.connect();
    m.refuseWhileRecording(QStringLiteral("downloading"));
    StderrProgress progress(io);
    logger::Download d;
    {
        QuietLink quiet(m.link());
        m.clock().delay(300);
        logger::LoggerSession session(m.port(), m.clock(), m.state().loggerFrame);
        try {
            d = session.DownloadMemoryImage(progress);
        } catch (const EAbort&) {
            d.code = logger::kShortTransfer;
        }
    }
    if (stopRequested() && d.code != logger::kOk)
        d.code = logger::kCancelled;
    if (d.code != logger::kOk)
        throw Failure{kExitMeter, downloadFailureText(d.code)};
    io.message(QStringLiteral("download: all %1 bytes received").arg(d.image.size()));
    QString error;
    if (!logger::writeImageFile(out, d.image, d.lastAddress, &error))
        throw Failure{kExitFile, error};
    const logger::ParseResult r = logger::parseMemoryImage(d.image, d.lastAddress, m.clock().now());
    switch (r.code) {
        case logger::kOk:
            io.message(QStringLiteral("%1 data sets written to %2").arg(r.sets.size()).arg(out));
            return kExitOk;
        case logger::kNoSets:
            io.message(QStringLiteral("the meter holds no data sets; %1 written").arg(out));
            return kExitOk;
        case logger::kBadSet:
            throw Failure{kExitFile,
                          QStringLiteral("damaged data set %1 at address %2 (%3 written; the sets "
                                         "before it read)")
                              .arg(r.badSetIndex + 1)
                              .arg(r.badSetEnd + 1)
                              .arg(out)};
        default:
            throw Failure{kExitFile, QStringLiteral("%1 written, but %2")
                                         .arg(out, logger::parseRefusalText(r.code, 0, 0))};
    }
}

int cmdRecall(const Args& a, const Io& io) {
    MeterConnection m(a, io);
    m.connect();
    m.refuseWhileRecording(QStringLiteral("recalling"));
    QByteArray header;
    {
        QuietLink quiet(m.link());
        m.clock().delay(100);
        logger::LoggerSession session(m.port(), m.clock(), m.state().loggerFrame);
        logger::TransferView silent;
        try {
            header = session.RecallHeader(silent);
        } catch (const EAbort&) {
        }
    }
    if (header.isEmpty())
        throw Failure{kExitMeter, QStringLiteral("the meter did not send its stored readings")};
    const std::vector<logger::StoredReading> readings = logger::storedReadings(header);
    if (a.has("out")) {
        std::vector<QStringList> rows;
        for (const logger::StoredReading& r : readings)
            rows.push_back(logger::storedReadingRow(r));
        QString error;
        if (!writeCaptureFile(a.value("out"), rows, &error))
            throw Failure{kExitFile, error};
        io.message(
            QStringLiteral("%1 readings written to %2").arg(rows.size()).arg(a.value("out")));
        return kExitOk;
    }
    RowWriter w(io.out, a.has("json"), {"no", "level", "time", "weighting", "speed"});
    int no = 0;
    for (const logger::StoredReading& r : readings)
        w.row({numberCell(++no), levelCell(r.level, r.level <= 150.0f),
               r.time != 0 ? timeCell(r.time) : textCell({}),
               textCell(r.weightingA ? QStringLiteral("A") : QStringLiteral("C")),
               textCell(r.fast ? QStringLiteral("FAST") : QStringLiteral("SLOW"))});
    return kExitOk;
}

int cmdInfo(const Args& a, const Io& io) {
    MeterConnection m(a, io);
    m.connect();
    const bool test = a.has("memory-test");
    std::vector<Cell> row = withSetupSession(m, [&](logger::SetupSession& s) {
        const auto version = s.readVersion();
        if (!version)
            throw Failure{kExitMeter,
                          QStringLiteral("the meter did not tell its firmware version")};
        const auto time = s.readMeterTime();
        if (!time)
            throw Failure{kExitMeter, QStringLiteral("the meter did not tell its time")};
        const auto block = s.readFirstBlock();
        if (!block)
            throw Failure{kExitMeter, QStringLiteral("the meter did not send its logger header")};
        const QString when =
            QStringLiteral("20") + logger::meterTimeText(*time, 3, QStringLiteral("-"))
                                       .replace(QStringLiteral("  "), QStringLiteral("T"));
        std::vector<Cell> r{textCell(logger::versionText(*version)), textCell(when),
                            numberCell(bcd(block->at(14)) * 60 + bcd(block->at(15))),
                            numberCell(logger::storedSetCount(*block)),
                            numberCell(logger::memoryAvailable(*block))};
        if (test) {
            m.clock().delay(1500);
            const bool ok = s.runMemoryTest([](const QByteArray&, qint64) {});
            r.push_back(textCell(ok ? QStringLiteral("OK") : QStringLiteral("FAILED")));
        } else {
            r.push_back(textCell({}));
        }
        return r;
    });
    RowWriter w(
        io.out, a.has("json"),
        {"firmware", "meter_time", "interval_s", "data_sets", "memory_available", "memory_test"});
    w.row(row);
    return kExitOk;
}

int cmdSetClock(const Args& a, const Io& io) {
    MeterConnection m(a, io);
    m.connect();
    const TDateTime now = m.clock().now();
    const auto sent = withSetupSession(
        m, [&](logger::SetupSession& s) { return s.setClock(tdt::toDateTime(now)); });
    if (!sent)
        throw Failure{kExitMeter, QStringLiteral("the meter did not take the clock (no echo)")};
    // The clock frame carries whole seconds.
    QDateTime set = tdt::toDateTime(now);
    set = set.addMSecs(-set.time().msec());
    RowWriter w(io.out, a.has("json"), {"meter_time"});
    w.row({timeCell(tdt::fromDateTime(set))});
    return kExitOk;
}

int cmdSetInterval(const Args& a, const Io& io) {
    const QString text = a.positional[0];
    const QStringList parts = text.split(QLatin1Char(':'));
    const auto interval = parts.size() == 2 && parts[0].size() <= 2 && parts[1].size() <= 2
                              ? logger::intervalInput(parts[0], parts[1])
                              : std::nullopt;
    if (!interval)
        throw Failure{kExitUsage, QStringLiteral("'%1' is no interval: give MM:SS from 00:01 to "
                                                 "01:00")
                                      .arg(text)};
    MeterConnection m(a, io);
    m.connect();
    const bool ok = withSetupSession(m, [&](logger::SetupSession& s) {
        return s.setInterval(interval->first, interval->second);
    });
    if (!ok)
        throw Failure{kExitMeter, QStringLiteral("the meter did not take the interval (no echo)")};
    RowWriter w(io.out, a.has("json"), {"interval_s"});
    w.row({numberCell(bcd(static_cast<char>(interval->first)) * 60 +
                      bcd(static_cast<char>(interval->second)))});
    return kExitOk;
}

int cmdErase(const Args& a, const Io& io) {
    if (!a.has("yes"))
        throw Failure{kExitUsage, QStringLiteral("erase loses every data set in the meter: give "
                                                 "--yes to erase")};
    MeterConnection m(a, io);
    m.connect();
    m.refuseWhileRecording(QStringLiteral("erasing"));
    bool ok = false;
    try {
        ok = m.link().sendKey('e');
    } catch (const EAbort&) {
    }
    if (!ok)
        throw Failure{kExitMeter, QStringLiteral("the meter did not echo the erase command")};
    io.message(QStringLiteral("the data logger memory is erased"));
    return kExitOk;
}

}  // namespace cli
