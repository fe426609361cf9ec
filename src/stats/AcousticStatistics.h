#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// How sound is judged beside the arithmetic mean of its dB values: by its energy (Leq) and by the
// levels exceeded for a share of the time (L10, L50, L90).
struct AcousticStatistics {
    int count = 0;       // readings with a level
    double leq = 0;      // 10 log10(mean(10^(L/10)))
    double average = 0;  // arithmetic mean of the dB values
    float max = 0;
    int maxIndex = -1;  // first highest
    float min = 0;
    int minIndex = -1;  // first lowest
    double l10 = 0;     // exceeded 10 % of the time: the 90th percentile
    double l50 = 0;     // the median
    double l90 = 0;     // exceeded 90 % of the time: the 10th percentile
};

// The statistics of levels[0..n), the null level left out. Percentiles interpolate linearly
// between the ordered readings (as numpy's percentile does by default). No readings: count 0 and
// every figure 0.
AcousticStatistics acousticStatistics(const float* levels, std::size_t n,
                                      float nullLevel = 9999.0f);

// Readings kept as a histogram of tenths of a dB (bin t holds the readings of t / 10 dB,
// kLevelBins bins from 0 to 200 dB): count, Leq and the percentile levels, exactly; the maximum,
// minimum and average are not filled in.
inline constexpr int kLevelBins = 2001;
AcousticStatistics acousticFromHistogram(const std::vector<std::int64_t>& hist);
// The bin of a level when it is a whole number of tenths within 0..200 dB, else -1.
int levelBin(float level);
