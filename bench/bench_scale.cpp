// A month of readings in one graph: every path a user takes, at 1,000,000 and 10,000,000 points
// (or lines), so that the cost of size shows beside each figure.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <memory>

#include "BenchHost.h"
#include "files/DateTimeText.h"
#include "files/GraphFile.h"
#include "files/ListGridModel.h"
#include "files/TableToGraph.h"
#include "files/TextFiles.h"
#include "graph/GraphStatistics.h"
#include "graph/PESGraph.h"
#include "graph/Tslider2.h"
#include "graph/Ugraph.h"

namespace {

using tdt::kSecond;
constexpr double kT0 = 46366.0;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// One-second readings that wander like a real level, with a few nulls.
void fill(GraphDocument& d, int n) {
    std::vector<double> x(static_cast<std::size_t>(n));
    std::vector<float> y(static_cast<std::size_t>(n));
    float level = 60;
    unsigned r = 1;
    for (int i = 0; i < n; ++i) {
        r = r * 1103515245u + 12345u;
        level = std::clamp(level + static_cast<float>(static_cast<int>(r >> 16) % 21 - 10) / 20.0f,
                           35.0f, 120.0f);
        x[static_cast<std::size_t>(i)] = kT0 + i * kSecond;
        y[static_cast<std::size_t>(i)] =
            i % 100'000 == 99 ? kNullLevel : std::round(level * 10) / 10;
    }
    d.setPoints(n);
    d.setXData(x.data(), n);
    d.setYData(y.data(), n);
}

// A graph window of 1275 x 709 showing n points.
struct Window {
    explicit Window(int n) : g(host) {
        g.resize(1275, 709);
        g.show();
        PrepareGraph(*g.chart(), 1, 130, 30, kT0 + n * kSecond, kT0, n);
        fill(g.chart()->doc(), n);
        g.chart()->PEactions(PESGraph::sgReinitAndReset);
        g.chart()->replotNow();
        g.UpdateGraphStatistics();
        g.chart()->replotNow();
    }
    BenchHost host;
    TfrmGraph g;
};

// The text export of n points, made once per size.
QString textFile(int n) {
    static std::map<int, QString> files;
    QString& path = files[n];
    if (path.isEmpty()) {
        path = folder().filePath(QStringLiteral("lines-%1.txt").arg(n));
        GraphDocument d;
        fill(d, n);
        exportGraphText(d, path, '\t', {1, n}, nullptr);
    }
    return path;
}

void BM_ReplotWhole(benchmark::State& s) {
    Window w(static_cast<int>(s.range(0)));
    for (auto _ : s) {
        w.g.chart()->PEactions(PESGraph::sgReinitAndReset);
        w.g.chart()->replotNow();
    }
}

void BM_ZoomToOnePercentAndBack(benchmark::State& s) {
    Window w(static_cast<int>(s.range(0)));
    PESGraph& c = *w.g.chart();
    const QRect r = c.plottingRect();
    for (auto _ : s) {
        c.zoomTo(
            QRect(r.left() + r.width() / 2, r.top(), std::max(2, r.width() / 100), r.height()));
        c.replotNow();
        w.g.UndoZoomClick();
        c.replotNow();
    }
}

void BM_SliderMove(benchmark::State& s) {
    const int n = static_cast<int>(s.range(0));
    Window w(n);
    int step = 0;
    for (auto _ : s) {
        // Cursor statistics between the thumbs and the redraw they ask for.
        w.g.slider()->setValue1((step++ * 7919) % (n / 2));
        w.g.chart()->replotNow();
    }
}

void BM_WholeStatisticsAfterLoad(benchmark::State& s) {
    GraphDocument d;
    fill(d, static_cast<int>(s.range(0)));
    for (auto _ : s) {
        // What a window shows after a load: the arithmetic figures, then Leq and L10/L50/L90.
        s.PauseTiming();
        GraphDocument fresh = d;  // summaries not yet made, as after a load
        s.ResumeTiming();
        benchmark::DoNotOptimize(graphStatistics(fresh));
        benchmark::DoNotOptimize(acousticOf(fresh, 0, fresh.points() - 1));
    }
}

void BM_GraphFileSave(benchmark::State& s) {
    GraphDocument d;
    fill(d, static_cast<int>(s.range(0)));
    const QString path = folder().filePath(QStringLiteral("save.ghf"));
    for (auto _ : s)
        benchmark::DoNotOptimize(writeGraphFile(d, path, nullptr));
    s.counters["bytes"] = static_cast<double>(QFile(path).size());
}

void BM_GraphFileOpenToDrawnWindow(benchmark::State& s) {
    GraphDocument d;
    fill(d, static_cast<int>(s.range(0)));
    const QString path = folder().filePath(QStringLiteral("open.ghf"));
    writeGraphFile(d, path, nullptr);
    for (auto _ : s) {
        BenchHost host;
        TfrmGraph g(host);
        g.resize(1275, 709);
        g.show();
        const auto block = readGraphBlock(path, nullptr);
        g.chart()->doc().loadState(*block);
        g.chart()->PEactions(PESGraph::sgReinitAndReset);
        g.chart()->replotNow();
        g.UpdateGraphStatistics();
        g.chart()->replotNow();
    }
}

void BM_TextImport(benchmark::State& s) {
    const QString path = textFile(static_cast<int>(s.range(0)));
    const double fileBytes = static_cast<double>(QFile(path).size());
    double firstBeyond = -1;
    for (auto _ : s) {
        const long before = residentKiB();
        ListGridModel grid;
        const ImportResult r = importText(path, '\t', grid, [](int) { return true; });
        s.PauseTiming();
        if (firstBeyond < 0)
            firstBeyond = (residentKiB() - before) * 1024.0 - fileBytes;
        s.counters["rows"] = r.rows;
        s.counters["rss_beyond_file_per_row"] = firstBeyond / r.rows;
        s.ResumeTiming();
    }
    s.counters["file_MB"] = fileBytes / 1e6;
}

void BM_TableToGraph(benchmark::State& s) {
    ListGridModel grid;
    importText(textFile(static_cast<int>(s.range(0))), '\t', grid, nullptr);
    for (auto _ : s) {
        BenchHost host;
        TfrmGraph g(host);
        g.resize(1275, 709);
        g.show();
        DateTimeReader reader;
        const auto span = tableSpan(grid, reader, nullptr);
        InitGraph(*g.chart(), 1, 130, 30, span->end, span->start, span->rows);
        tableToGraph(grid, g.chart()->doc(), reader, [](int) { return true; });
        fitTimeRange(g.chart()->doc());
        g.chart()->PEactions(PESGraph::sgReinitAndReset);
        g.chart()->replotNow();
        g.UpdateGraphStatistics();
        g.chart()->replotNow();
    }
}

void BM_CsvExport(benchmark::State& s) {
    const int n = static_cast<int>(s.range(0));
    GraphDocument d;
    fill(d, n);
    const QString path = folder().filePath(QStringLiteral("export.csv"));
    for (auto _ : s)
        benchmark::DoNotOptimize(exportGraphText(d, path, ',', {1, n}, [](int) { return true; }));
}

#define SIZES ->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_ReplotWhole) SIZES;
BENCHMARK(BM_ZoomToOnePercentAndBack) SIZES;
BENCHMARK(BM_SliderMove) SIZES;
BENCHMARK(BM_WholeStatisticsAfterLoad) SIZES;
BENCHMARK(BM_GraphFileSave) SIZES->Iterations(3);
BENCHMARK(BM_GraphFileOpenToDrawnWindow) SIZES->Iterations(3);
BENCHMARK(BM_TextImport) SIZES->Iterations(3);
BENCHMARK(BM_TableToGraph) SIZES->Iterations(2);
BENCHMARK(BM_CsvExport) SIZES->Iterations(2);

}  // namespace
