#include "stats/AcousticStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {
// The p-th percentile (0..100) of values, linear between neighbours; values is reordered.
double percentile(std::vector<float>& values, double p) {
    const double pos = (static_cast<double>(values.size()) - 1) * p / 100.0;
    const auto lo = static_cast<std::size_t>(std::floor(pos));
    const double frac = pos - static_cast<double>(lo);
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(lo),
                     values.end());
    const double a = values[lo];
    if (frac == 0 || lo + 1 >= values.size())
        return a;
    // The next order statistic is the smallest of what lies above.
    const double b =
        *std::min_element(values.begin() + static_cast<std::ptrdiff_t>(lo) + 1, values.end());
    return a + (b - a) * frac;
}
}  // namespace

namespace {
// Readings in tenths of a dB from 0 to 200 dB, as every meter and file of ours has them: a
// histogram gives the exact percentiles and the energy in one pass, without sorting.
constexpr int kBins = kLevelBins;

// The k-th smallest (from 0) reading of the histogram, in dB.
double orderStatistic(const std::vector<std::int64_t>& hist, std::int64_t k) {
    std::int64_t seen = 0;
    for (int t = 0; t < kBins; ++t) {
        seen += hist[static_cast<std::size_t>(t)];
        if (seen > k)
            return t / 10.0;
    }
    return (kBins - 1) / 10.0;
}

double histogramPercentile(const std::vector<std::int64_t>& hist, std::int64_t n, double p) {
    const double pos = static_cast<double>(n - 1) * p / 100.0;
    const auto lo = static_cast<std::int64_t>(std::floor(pos));
    const double frac = pos - static_cast<double>(lo);
    const double a = orderStatistic(hist, lo);
    if (frac == 0 || lo + 1 >= n)
        return a;
    return a + (orderStatistic(hist, lo + 1) - a) * frac;
}
}  // namespace

AcousticStatistics acousticStatistics(const float* levels, std::size_t n, float nullLevel) {
    AcousticStatistics s;
    std::vector<std::int64_t> hist(kBins, 0);
    bool tenths = true;
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const float v = levels[i];
        if (v == nullLevel || !std::isfinite(v))
            continue;
        ++count;
        sum += v;
        if (s.maxIndex < 0 || v > s.max) {
            s.max = v;
            s.maxIndex = static_cast<int>(i);
        }
        if (s.minIndex < 0 || v < s.min) {
            s.min = v;
            s.minIndex = static_cast<int>(i);
        }
        if (tenths) {
            const int t = levelBin(v);
            if (t < 0)
                tenths = false;
            else
                ++hist[static_cast<std::size_t>(t)];
        }
    }
    s.count = static_cast<int>(count);
    if (count == 0)
        return s;
    s.average = sum / static_cast<double>(count);
    if (tenths) {
        const AcousticStatistics h = acousticFromHistogram(hist);
        s.leq = h.leq;
        s.l10 = h.l10;
        s.l50 = h.l50;
        s.l90 = h.l90;
        return s;
    }
    // Any other values: the readings themselves, ordered as far as needed.
    std::vector<float> kept;
    kept.reserve(count);
    double energy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const float v = levels[i];
        if (v == nullLevel || !std::isfinite(v))
            continue;
        kept.push_back(v);
        energy += std::pow(10.0, v / 10.0);
    }
    s.leq = 10.0 * std::log10(energy / static_cast<double>(count));
    s.l10 = percentile(kept, 90);
    s.l50 = percentile(kept, 50);
    s.l90 = percentile(kept, 10);
    return s;
}

int levelBin(float level) {
    // Cheap on purpose: it runs for every point of a graph of millions.
    const float scaled = level * 10.0f;
    if (!(scaled > -0.5f && scaled < static_cast<float>(kBins) - 0.5f))
        return -1;
    const int t = static_cast<int>(scaled + 0.5f);
    return std::fabs(scaled - static_cast<float>(t)) > 1e-2f ? -1 : t;
}

AcousticStatistics acousticFromHistogram(const std::vector<std::int64_t>& hist) {
    AcousticStatistics s;
    std::int64_t total = 0;
    double energy = 0;
    for (int t = 0; t < kBins && t < static_cast<int>(hist.size()); ++t) {
        const std::int64_t k = hist[static_cast<std::size_t>(t)];
        if (k <= 0)
            continue;
        total += k;
        energy += static_cast<double>(k) * std::pow(10.0, t / 100.0);
    }
    s.count = static_cast<int>(std::min<std::int64_t>(total, INT32_MAX));
    if (total == 0)
        return s;
    s.leq = 10.0 * std::log10(energy / static_cast<double>(total));
    s.l10 = histogramPercentile(hist, total, 90);
    s.l50 = histogramPercentile(hist, total, 50);
    s.l90 = histogramPercentile(hist, total, 10);
    return s;
}
