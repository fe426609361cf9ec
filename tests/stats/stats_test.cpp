#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "stats/AcousticStatistics.h"

TEST(AcousticStatisticsTest, SmallCasesWorkedByHand) {
    struct Case {
        const char* name;
        std::vector<float> levels;
        double leq, l10, l50, l90, average;
        int count;
    } cases[] = {
        // 10 log10((10^6 + 10^8) / 2) = 77.03
        {"60 and 80 dB", {60, 80}, 77.0329, 78, 70, 62, 70, 2},
        {"a constant level", {70, 70, 70}, 70, 70, 70, 70, 70, 3},
        {"one reading", {55.5f}, 55.5, 55.5, 55.5, 55.5, 55.5, 1},
        // Ordered 50 60 60 60 70: p90 at 3.6 -> 66, p50 at 2 -> 60, p10 at 0.4 -> 54.
        {"percentiles at ties", {60, 50, 70, 60, 60}, 64.1830, 66, 60, 54, 60, 5},
        {"nulls are no readings", {60, 9999, 80, 9999}, 77.0329, 78, 70, 62, 70, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AcousticStatistics s = acousticStatistics(c.levels.data(), c.levels.size());
        EXPECT_EQ(s.count, c.count);
        EXPECT_NEAR(s.leq, c.leq, 1e-4);
        EXPECT_NEAR(s.l10, c.l10, 1e-4);
        EXPECT_NEAR(s.l50, c.l50, 1e-4);
        EXPECT_NEAR(s.l90, c.l90, 1e-4);
        EXPECT_NEAR(s.average, c.average, 1e-9);
    }
    const std::vector<float> nothing{9999, 9999};
    const AcousticStatistics none = acousticStatistics(nothing.data(), nothing.size());
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.leq, 0);
    EXPECT_EQ(none.maxIndex, -1);
    // The first highest and lowest, as the graph's statistics keep them.
    const std::vector<float> ties{65, 70, 70, 65};
    const AcousticStatistics t = acousticStatistics(ties.data(), ties.size());
    EXPECT_EQ(t.maxIndex, 1);
    EXPECT_EQ(t.minIndex, 0);
}

TEST(AcousticStatisticsTest, LeqIsTheEnergyMeanOfALongRamp) {
    // 40.0 to 100.0 dB in 0.1 dB steps: Leq, and the percentiles of a uniform ramp.
    std::vector<float> ramp;
    double energy = 0;
    for (int t = 400; t <= 1000; ++t) {
        ramp.push_back(static_cast<float>(t / 10.0));
        energy += std::pow(10.0, ramp.back() / 10.0);
    }
    const AcousticStatistics s = acousticStatistics(ramp.data(), ramp.size());
    // Readings are taken as their exact tenths (a float 60.1 is 60.0999...).
    EXPECT_NEAR(s.leq, 10 * std::log10(energy / 601), 1e-6);
    EXPECT_NEAR(s.l50, 70.0, 1e-4);
    EXPECT_NEAR(s.l10, 94.0, 1e-4);
    EXPECT_NEAR(s.l90, 46.0, 1e-4);
}

TEST(AcousticStatisticsTest, TenthsAndOtherValuesGiveTheSameFigures) {
    // The histogram path (tenths of a dB) and the ordering path (anything else) agree.
    std::vector<float> tenths, other;
    for (int i = 0; i < 997; ++i) {
        const float v = static_cast<float>((400 + (i * 37) % 600) / 10.0);
        tenths.push_back(v);
        other.push_back(v + (i == 0 ? 0.03f : 0.0f));  // one value off the grid
    }
    const AcousticStatistics a = acousticStatistics(tenths.data(), tenths.size());
    const AcousticStatistics b = acousticStatistics(other.data(), other.size());
    EXPECT_NEAR(a.leq, b.leq, 1e-3);
    EXPECT_NEAR(a.l10, b.l10, 0.03);
    EXPECT_NEAR(a.l50, b.l50, 0.03);
    EXPECT_NEAR(a.l90, b.l90, 0.03);
    EXPECT_EQ(levelBin(60.1f), 601);
    EXPECT_EQ(levelBin(60.13f), -1);
    EXPECT_EQ(levelBin(-3.0f), -1);
    EXPECT_EQ(levelBin(9999.0f), -1);
}
