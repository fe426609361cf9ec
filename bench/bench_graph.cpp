// Benchmarks of the graph: a full replot of a large graph, and one recorded sample with its
// redraw at different recording lengths.
#include <benchmark/benchmark.h>

#include <random>

#include "BenchHost.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "graph/PESGraph.h"
#include "graph/Recording.h"
#include "graph/Ugraph.h"

namespace {

using tdt::kSecond;
constexpr double kT0 = 46366.25;

void fillLevels(GraphDocument& d, int n) {
    std::mt19937 rng(1);
    std::normal_distribution<float> noise(0, 1.5f);
    float level = 60;
    for (int i = 0; i < n; ++i) {
        level = std::clamp(level + noise(rng) * 0.3f, 35.0f, 120.0f);
        d.setX(0, i, kT0 + i * 0.2 * kSecond);
        d.setY(0, i, std::round(level * 10) / 10);
    }
}

// Replot of a 100,000-point graph in a graph window of 1275 x 709.
void BM_Replot100k(benchmark::State& s) {
    BenchHost host;
    TfrmGraph g(host);
    g.resize(1275, 709);
    g.show();
    PESGraph& c = *g.chart();
    const int n = 100'000;
    PrepareGraph(c, 1, 130, 30, kT0 + n * 0.2 * kSecond, kT0, n);
    fillLevels(c.doc(), n);
    g.redraw();
    for (auto _ : s)
        c.replotNow();
}
BENCHMARK(BM_Replot100k)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// One sample of a running recording and the redraw it asks for, with n samples already taken.
void BM_RecordAndRedraw(benchmark::State& s) {
    BenchHost host;
    TfrmGraph g(host);
    g.resize(1275, 709);
    g.show();
    PESGraph& c = *g.chart();
    const int already = static_cast<int>(s.range(0));
    const int capacity = already + 2'000'000;
    AppState st;
    st.RealTimeRate = 0.2f;
    startRecording(st, c.doc(), capacity, kT0);
    std::vector<double> x(static_cast<std::size_t>(already));
    std::vector<float> y(static_cast<std::size_t>(already), 60.0f);
    for (int i = 0; i < already; ++i)
        x[static_cast<std::size_t>(i)] = kT0 + i * 0.2 * kSecond;
    c.doc().setXData(x.data(), already);
    c.doc().setYData(y.data(), already);
    st.SampleCount = already;
    c.doc().manualMaxX = kT0 + (already + 4000) * 0.2 * kSecond;
    g.redraw();
    c.replotNow();
    double t = kT0 + already * 0.2 * kSecond;
    float level = 60;
    qint64 ms = 0;
    for (auto _ : s) {
        t += 0.2 * kSecond;
        ms += 201;  // past the rate: every iteration takes a sample
        level = level > 90 ? 50 : level + 0.3f;
        recordSample(st, c.doc(), ms, t, level, false);
        g.redraw();
        c.replotNow();
    }
}
BENCHMARK(BM_RecordAndRedraw)
    ->Arg(1000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
