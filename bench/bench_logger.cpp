// Benchmarks of the data logger: the download of a full memory on the simulated 9600-baud line
// (virtual time, and optionally once over a pseudo-terminal in real time), and the parse of a
// full image of 4000 data sets.
#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "../tests/logger/ImageBuilder.h"
#include "core/Clock.h"
#include "core/CommandFrame.h"
#include "link/SerialDevice.h"
#include "link/SimDevice.h"
#include "link/TComPort.h"
#include "logger/LoggerTransfer.h"
#include "logger/MemoryImageParser.h"
#include "sim/MeterEmulator.h"

namespace {

// What the line itself needs for a full memory: 1536 blocks of 65 bytes and the 8-byte 'y'.
constexpr double kLineSeconds = 1536.0 * (65 + 8) * MeterEmulator::kByteUs / 1e6;

// Notes when the blocks start and when the last one came.
struct TimedView : logger::TransferView {
    Clock& c;
    qint64 start = 0, end = 0;
    explicit TimedView(Clock& clock) : c(clock) {}
    void startProgress(int) override { start = c.msecs(); }
    bool progress(int) override {
        end = c.msecs();
        return true;
    }
};

QByteArray fullImage() {
    ImageBuilder b;
    while (b.image.size() + 16 + 2 * 3000 <= LoggerMemory::kSize)
        b.add(3000);
    return b.finish(-1, LoggerMemory::kSize - 1).leftJustified(LoggerMemory::kSize, '\0');
}

void BM_DownloadFullMemoryVirtualLine(benchmark::State& state) {
    const QByteArray image = fullImage();
    double transferSeconds = 0;
    for (auto _ : state) {
        VirtualClock clock;
        MeterEmulator meter(QDateTime(QDate(2026, 12, 10), QTime(10, 0)), 1);
        meter.memory().load(image);
        TComPort port([&](const QString&) { return openSimDevice(meter, clock); });
        port.OnError = abortOnComError;
        port.Open();
        CommandFrame frame;
        logger::LoggerSession session(port, clock, frame);
        // The blocks only: from the first block asked for to the last one received.
        TimedView timed(clock);
        const qint64 t0 = clock.msecs();
        const logger::Download d = session.DownloadMemoryImage(timed);
        if (d.code != logger::kOk || d.image.size() != LoggerMemory::kSize)
            state.SkipWithError("download failed");
        state.counters["virtual_s_total"] = static_cast<double>(clock.msecs() - t0) / 1000.0;
        transferSeconds = static_cast<double>(timed.end - timed.start) / 1000.0;
    }
    state.counters["virtual_s_blocks"] = transferSeconds;
    state.counters["line_s"] = kLineSeconds;
    state.counters["x_line"] = transferSeconds / kLineSeconds;
}
BENCHMARK(BM_DownloadFullMemoryVirtualLine)->Unit(benchmark::kMillisecond)->Iterations(3);

// Real time over a pty with the paced simulator: about two minutes, so only when asked for with
// SONODESK_BENCH_PTY=1.
void BM_DownloadFullMemoryPty(benchmark::State& state) {
    if (qEnvironmentVariableIntValue("SONODESK_BENCH_PTY") != 1) {
        state.SkipWithError("set SONODESK_BENCH_PTY=1 to run (about two minutes)");
        for (auto _ : state) {
        }
        return;
    }
    QTemporaryDir dir;
    const QString memory = dir.filePath(QStringLiteral("memory.rec"));
    QFile f(memory);
    f.open(QIODevice::WriteOnly);
    f.write(fullImage());
    f.close();
    for (auto _ : state) {
        QProcess sim;
        sim.start(QStringLiteral(SONODESK_SIM_PATH),
                  {QStringLiteral("--seconds"), QStringLiteral("400"), QStringLiteral("--memory"),
                   memory});
        sim.waitForReadyRead(5000);
        const QString pty = QString::fromLocal8Bit(sim.readLine()).trimmed();
        RealClock clock;
        TComPort port([](const QString& name) { return openSerialDevice(name); });
        port.OnError = abortOnComError;
        port.setDeviceName(pty);
        port.Open();
        CommandFrame frame;
        logger::LoggerSession session(port, clock, frame);
        TimedView timed(clock);
        const qint64 t0 = clock.msecs();
        const logger::Download d = session.DownloadMemoryImage(timed);
        if (d.code != logger::kOk)
            state.SkipWithError("download failed");
        state.counters["real_s_total"] = static_cast<double>(clock.msecs() - t0) / 1000.0;
        state.counters["real_s_blocks"] = static_cast<double>(timed.end - timed.start) / 1000.0;
        state.counters["x_line"] =
            static_cast<double>(timed.end - timed.start) / 1000.0 / kLineSeconds;
        port.Close();
        sim.kill();
        sim.waitForFinished();
    }
}
BENCHMARK(BM_DownloadFullMemoryPty)->Unit(benchmark::kSecond)->Iterations(1);

void BM_ParseFullImage4000Sets(benchmark::State& state) {
    ImageBuilder b;
    for (int i = 0; i < 4000; ++i)
        b.add(4);
    const QByteArray image = b.finish();
    const TDateTime now = 46366.5;
    for (auto _ : state) {
        const logger::ParseResult r =
            logger::parseMemoryImage(image, logger::imageLastAddress(image), now);
        if (r.code != logger::kOk || r.sets.size() != 4000)
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(r.sets.readings.data());
    }
    state.counters["image_bytes"] = static_cast<double>(image.size());
}
BENCHMARK(BM_ParseFullImage4000Sets)->Unit(benchmark::kMicrosecond);

}  // namespace
