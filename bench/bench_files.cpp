// Benchmarks of the text files: a week and a half of one-second readings (1,000,000 lines) read
// into a list window's grid, turned into a graph, and a graph of as many points written as CSV.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

#include "BenchHost.h"
#include "core/Clock.h"
#include "files/DateTimeText.h"
#include "files/ListGridModel.h"
#include "files/TableToGraph.h"
#include "files/TextFiles.h"
#include "graph/GraphStatistics.h"
#include "graph/PESGraph.h"
#include "graph/Ugraph.h"

namespace {

constexpr int kLines = 1'000'000;
using tdt::kSecond;
constexpr double kT0 = 46366.0;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// date, time and level lines, as an export of a long recording writes them.
QString millionLineFile() {
    static QString path;
    if (!path.isEmpty())
        return path;
    path = folder().filePath(QStringLiteral("million.txt"));
    GraphDocument d;
    d.setPoints(kLines);
    for (int i = 0; i < kLines; ++i) {
        d.setX(0, i, kT0 + i * kSecond);
        d.setY(0, i, 40.0f + static_cast<float>((i % 600) * 7919 % 600) / 10.0f);
    }
    exportGraphText(d, path, '\t', {1, kLines}, nullptr);
    return path;
}

void BM_ImportMillionLines(benchmark::State& s) {
    const QString path = millionLineFile();
    const double fileBytes = static_cast<double>(QFile(path).size());
    // Later rounds reuse memory freed by earlier ones: the first round's growth is the figure.
    double firstBeyond = -1;
    for (auto _ : s) {
        const long before = residentKiB();
        ListGridModel grid;
        const ImportResult r = importText(path, '\t', grid, [](int) { return true; });
        benchmark::DoNotOptimize(r);
        s.PauseTiming();
        if (firstBeyond < 0)
            firstBeyond = (residentKiB() - before) * 1024.0 - fileBytes;
        s.counters["rows"] = r.rows;
        s.counters["model_bytes_per_row"] = static_cast<double>(grid.overheadBytes()) / r.rows;
        s.counters["rss_beyond_file_per_row"] = firstBeyond / r.rows;
        s.ResumeTiming();
    }
}
BENCHMARK(BM_ImportMillionLines)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TableToGraphMillionRows(benchmark::State& s) {
    ListGridModel grid;
    importText(millionLineFile(), '\t', grid, nullptr);
    for (auto _ : s) {
        BenchHost host;
        TfrmGraph g(host);
        g.resize(1275, 709);
        g.show();
        DateTimeReader reader;
        const auto span = tableSpan(grid, reader, nullptr);
        InitGraph(*g.chart(), 1, 130, 30, span->end, span->start, span->rows);
        tableToGraph(grid, g.chart()->doc(), reader, [](int) { return true; });
        g.chart()->PEactions(PESGraph::sgReinitAndReset);
        g.chart()->replotNow();
        g.UpdateGraphStatistics();
        g.chart()->replotNow();
        s.counters["levels"] = graphStatistics(g.chart()->doc()).levels;
    }
}
BENCHMARK(BM_TableToGraphMillionRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportMillionPointsCsv(benchmark::State& s) {
    GraphDocument d;
    d.setPoints(kLines);
    for (int i = 0; i < kLines; ++i) {
        d.setX(0, i, kT0 + i * kSecond);
        d.setY(0, i, 40.0f + static_cast<float>(i % 600) / 10.0f);
    }
    const QString path = folder().filePath(QStringLiteral("export.csv"));
    for (auto _ : s)
        benchmark::DoNotOptimize(
            exportGraphText(d, path, ',', {1, kLines}, [](int) { return true; }));
    s.counters["bytes"] = static_cast<double>(QFile(path).size());
}
BENCHMARK(BM_ExportMillionPointsCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
