// Benchmarks of the live link: reception and decoding throughput, and the GUI-thread time one
// frame takes through reception, decoding and the panel update.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLocale>
#include <QMdiArea>
#include <QStandardPaths>

#include <random>

#include "core/AppState.h"
#include "core/Clock.h"
#include "link/LiveDecoder.h"
#include "link/MeterLink.h"
#include "link/TComPort.h"
#include "panel/PanelUpdate.h"
#include "panel/Upanel.h"

namespace {

// Hands out a prepared byte stream, as a driver queue would.
class StreamDevice final : public ComDevice {
public:
    QByteArray data;
    qsizetype pos = 0;
    qint64 bytesWaiting() override { return data.size() - pos; }
    QByteArray read(qint64 count) override {
        QByteArray d = data.mid(pos, count);
        pos += d.size();
        return d;
    }
    bool waitForBytes(qint64 count, int) override { return bytesWaiting() >= count; }
    void write(const QByteArray&, bool) override {}
    void purgeReceive() override {}
    void purgeTransmit() override {}
    void close() override {}
};

QByteArray liveFrame(int value, std::uint8_t s1 = 0x18) {
    LiveFrameBytes f{};
    f[0] = 0x02;
    f[1] = s1;
    f[2] = 0x23;
    f[5] = static_cast<std::uint8_t>(value >> 8);
    f[6] = static_cast<std::uint8_t>(value);
    f[13] = static_cast<std::uint8_t>(value & 0x3F);
    f[17] = frameChecksum(f.data());
    f[18] = 0x03;
    return QByteArray(reinterpret_cast<const char*>(f.data()), 19);
}

class DecodingView final : public LinkView {
public:
    void liveFrame(const LiveFrameBytes& f, TDateTime) override {
        const DecodedFrame d = decodeLiveFrame(f);
        applyFrameFlags(appState(), d);
        benchmark::DoNotOptimize(d.level);
    }
};

struct Rig {
    VirtualClock clock;
    StreamDevice* device = nullptr;
    TComPort port{[this](const QString&) {
        auto d = std::make_unique<StreamDevice>();
        device = d.get();
        return d;
    }};
    Rig() {
        port.setDeviceName(QStringLiteral("bench"));
        port.Open();
    }
};

// Reception and decoding over a long stream of valid frames mixed with line noise.
void BM_ReceiveAndDecode(benchmark::State& state) {
    std::mt19937 rng(5);
    QByteArray stream;
    for (int i = 0; i < 20000; ++i) {
        if (i % 3 == 0)
            for (int k = 0; k < 7; ++k)
                stream.append(rng() % 4 == 0 ? '\x02' : static_cast<char>(rng() & 0xFF));
        stream.append(liveFrame(400 + static_cast<int>(rng() % 600)));
    }
    Rig rig;
    DecodingView view;
    resetAppState();
    MeterLink link(appState(), rig.clock, rig.port, view);
    std::int64_t bytes = 0;
    for (auto _ : state) {
        rig.device->data = stream;
        rig.device->pos = 0;
        appState().Connected = true;
        appState().ReceiveBuffer.clear();
        while (rig.device->bytesWaiting() > 0)
            link.Comm1RxChar();
        bytes += stream.size();
    }
    state.SetBytesProcessed(bytes);
    state.counters["frames"] = appState().FramesDecoded;
}
BENCHMARK(BM_ReceiveAndDecode)->Unit(benchmark::kMillisecond);

class PanelView final : public LinkView {
public:
    TfrmPanel* panel = nullptr;
    ClockTimer* blink = nullptr;
    void liveFrame(const LiveFrameBytes& f, TDateTime) override {
        const DecodedFrame d = decodeLiveFrame(f);
        applyFrameFlags(appState(), d);
        showFrameOnPanel(appState(), d, *panel, *blink);
    }
};

// One frame through reception, decoding and the panel, repaint included.
void panelFrame(benchmark::State& state, bool changing) {
    Rig rig;
    PanelView view;
    resetAppState();
    MeterLink link(appState(), rig.clock, rig.port, view);
    auto blink = rig.clock.createTimer();
    TfrmPanel panel(link, rig.clock);
    panel.show();
    view.panel = &panel;
    view.blink = blink.get();
    appState().Connected = true;
    QCoreApplication::processEvents();
    int value = 600;
    for (auto _ : state) {
        if (changing)
            value = value == 600 ? 732 : 600;
        rig.device->data = liveFrame(value);
        rig.device->pos = 0;
        link.Comm1RxChar();
        QCoreApplication::processEvents();
    }
}
void BM_PanelIdenticalFrame(benchmark::State& s) {
    panelFrame(s, false);
}
void BM_PanelChangedFrame(benchmark::State& s) {
    panelFrame(s, true);
}
BENCHMARK(BM_PanelIdenticalFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PanelChangedFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Templates and journals of the benchmarks stay out of the user's data folder.
    QStandardPaths::setTestModeEnabled(true);
    // Files are written and read as a US desktop would.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
