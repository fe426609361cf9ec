// Soak: the simulated meter on a pseudo-terminal with noise and bad checksums for 30 minutes of
// its time, compressed 20 times, while the link receives, answers and records in real time.
// About 90 s, so only when asked for with SONODESK_BENCH_SOAK=1.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include "BenchHost.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "graph/GraphDocument.h"
#include "graph/Recording.h"
#include "link/LiveDecoder.h"
#include "link/MeterLink.h"
#include "link/SerialDevice.h"
#include "link/TComPort.h"

namespace {

class RecordingView final : public LinkView {
public:
    RecordingView(Clock& clock, GraphDocument& doc) : clock_(clock), doc_(doc) {}
    void liveFrame(const LiveFrameBytes& frame, TDateTime t) override {
        AppState& st = appState();
        const DecodedFrame d = decodeLiveFrame(frame);
        applyFrameFlags(st, d);
        if (st.RealTimeRunning)
            recordSample(st, doc_, clock_.msecs(), t, d.level, false);
    }
    void processEvents() override { QCoreApplication::processEvents(); }

private:
    Clock& clock_;
    GraphDocument& doc_;
};

void BM_SoakPtyThirtyMinutes(benchmark::State& state) {
    if (qEnvironmentVariableIntValue("SONODESK_BENCH_SOAK") != 1) {
        state.SkipWithError("set SONODESK_BENCH_SOAK=1 to run (about 90 s)");
        for (auto _ : state) {
        }
        return;
    }
    constexpr int kSpeed = 20;
    for (auto _ : state) {
        QProcess sim;
        sim.start(QStringLiteral(SONODESK_SIM_PATH),
                  {QStringLiteral("--seconds"), QStringLiteral("1800"), QStringLiteral("--speed"),
                   QString::number(kSpeed), QStringLiteral("--noise"),
                   QStringLiteral("--bad-checksum"), QStringLiteral("7")});
        sim.waitForReadyRead(5000);
        const QString pty = QString::fromLocal8Bit(sim.readLine()).trimmed();
        resetAppState();
        AppState& st = appState();
        RealClock clock;
        GraphDocument doc;
        RecordingView view(clock, doc);
        TComPort port([](const QString& name) { return openSerialDevice(name); });
        port.OnError = abortOnComError;
        MeterLink link(st, clock, port, view);
        port.setOnRxChar([&link](TComPort*) { link.Comm1RxChar(); });
        link.ports = {pty};
        link.applySearchOutcome(link.FindMeter());
        link.startLiveLink();
        link.mainTimer().start();
        st.RealTimeRate = 0.1f;
        startRecording(st, doc, 100000, clock.now());
        const long rssStart = residentKiB();
        QElapsedTimer t;
        t.start();
        while (sim.state() == QProcess::Running && t.elapsed() < 1800 * 1000 / kSpeed + 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const long rssEnd = residentKiB();
        sim.waitForFinished(5000);
        const QString summary = QString::fromLocal8Bit(sim.readAllStandardError());
        // "sonodesk-meter-sim: N frames sent, M frames received"
        const QStringList words = summary.split(QLatin1Char(' '));
        const double sent = words.value(1).toDouble();
        state.counters["frames_sent"] = sent;
        state.counters["frames_decoded"] = st.FramesDecoded;
        state.counters["frames_answered_X"] = words.value(4).toDouble() - 2;  // less 'K' and 'a'
        state.counters["checksum_errors"] = st.ChecksumErrors;
        state.counters["dropped"] = sent - st.FramesDecoded - st.ChecksumErrors;
        state.counters["samples"] = st.SampleCount;
        state.counters["rss_start_kb"] = static_cast<double>(rssStart);
        state.counters["rss_end_kb"] = static_cast<double>(rssEnd);
        state.counters["connected_at_end"] = st.Connected ? 1 : 0;
        port.setOnRxChar(nullptr);
        port.Close();
        resetAppState();
    }
}
BENCHMARK(BM_SoakPtyThirtyMinutes)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
