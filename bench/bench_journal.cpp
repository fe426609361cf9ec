#include <benchmark/benchmark.h>

#include "core/AppState.h"
#include "graph/GraphDocument.h"
#include "graph/Recording.h"
#include "graph/RecordingJournal.h"

namespace {

constexpr double kT0 = 46366.0;
constexpr double kSecond = 1.0 / 86400.0;

// One sample taken by a running recording, without (0) and with (1) its journal: the cost the
// journal adds to each sample.
void BM_RecordSampleJournal(benchmark::State& s) {
    const bool journalled = s.range(0) != 0;
    AppState st;
    st.RealTimeRate = 0.1f;
    GraphDocument doc;
    constexpr int kCapacity = 20'000'000;
    startRecording(st, doc, kCapacity, kT0);
    std::unique_ptr<RecordingJournal> journal;
    if (journalled) {
        journal = RecordingJournal::create({kT0, st.RealTimeRate, kCapacity});
        if (!journal) {
            s.SkipWithError("no journal");
            return;
        }
    }
    double t = kT0;
    float level = 60;
    qint64 ms = 0;
    for (auto _ : s) {
        if (st.SampleCount >= kCapacity - 1) {
            s.PauseTiming();
            startRecording(st, doc, kCapacity, kT0);
            s.ResumeTiming();
        }
        t += 0.1 * kSecond;
        ms += 101;
        level = level > 90 ? 50 : level + 0.3f;
        const SampleResult r = recordSample(st, doc, ms, t, level, false);
        if (journal && r.taken)
            journal->append(st.SampleCount - 1, t, level);
    }
}
BENCHMARK(BM_RecordSampleJournal)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
