#include <gtest/gtest.h>

#include "core/AppState.h"
#include "link/LiveDecoder.h"

namespace {
LiveFrameBytes make(std::initializer_list<std::pair<int, int>> bytes) {
    LiveFrameBytes f{};
    f[0] = 0x02;
    f[18] = 0x03;
    for (auto [at, v] : bytes)
        f[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(v);
    f[17] = frameChecksum(f.data());
    return f;
}
}  // namespace

TEST(Decoder, ExamplesFromTheMeter) {
    struct Case {
        const char* name;
        LiveFrameBytes frame;
        int display;
        float level;
    } cases[] = {
        {"A, FAST, clock, battery 3", make({{1, 0x18}, {2, 0x23}, {5, 0x03}, {6, 0x39}}), 825,
         82.5f},
        {"READ mode reads decimal digits",
         make({{1, 0x18}, {2, 0x63}, {3, 7}, {5, 0x08}, {6, 0x25}}), 825, 82.5f},
        {"MAX shown in MAX/MIN mode",
         make({{1, 0x04}, {2, 0x04}, {5, 0x02}, {6, 0x58}, {7, 0x03}, {8, 0xE8}}), 1000, 60.0f},
        {"MIN shown in MAX/MIN mode",
         make({{1, 0x04}, {2, 0x08}, {5, 0x02}, {6, 0x58}, {9, 0x01}, {10, 0xF4}}), 500, 60.0f},
        {"both blinking shows the current value",
         make({{1, 0x04}, {2, 0x0C}, {5, 0x02}, {6, 0x58}, {7, 0x03}, {8, 0xE8}}), 600, 60.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedFrame d = decodeLiveFrame(c.frame);
        EXPECT_EQ(d.displayValue, c.display);
        EXPECT_FLOAT_EQ(d.level, c.level);
    }
}

TEST(Decoder, FlagsAndTexts) {
    const DecodedFrame d = decodeLiveFrame(make({{1, 0x18},
                                                 {2, 0x23},
                                                 {11, 0x09},
                                                 {12, 0x05},
                                                 {13, 0x07},
                                                 {14, 0x08},
                                                 {15, 0x12},
                                                 {16, 0x31}}));
    EXPECT_TRUE(d.weightingA);
    EXPECT_TRUE(d.fast);
    EXPECT_TRUE(d.clockShown);
    EXPECT_EQ(d.battery, 3);
    EXPECT_FALSE(d.readMode);
    EXPECT_FALSE(d.meterRecording);
    EXPECT_EQ(d.clockText, QStringLiteral("09:05:07"));
    EXPECT_EQ(d.dateText, QStringLiteral("08-12-31"));

    const DecodedFrame all = decodeLiveFrame(make({{1, 0xC1}, {2, 0x50}, {3, 0x85}}));
    EXPECT_TRUE(all.meterRecording);
    EXPECT_TRUE(all.under);
    EXPECT_TRUE(all.over);
    EXPECT_TRUE(all.memoryFull);
    EXPECT_TRUE(all.readMode);
    EXPECT_EQ(all.storedNumber, -123);
    EXPECT_FALSE(all.weightingA);
    EXPECT_FALSE(all.fast);
    // Bytes that are not BCD come through as their hexadecimal digits.
    EXPECT_EQ(decodeLiveFrame(make({{11, 0xAB}})).clockText, QStringLiteral("AB:00:00"));

    resetAppState();
    applyFrameFlags(appState(), all);
    EXPECT_TRUE(appState().MeterRecording);
    EXPECT_TRUE(appState().ReadMode);
    EXPECT_FALSE(appState().ClockShown);
    EXPECT_EQ(appState().BatteryLevel, 0);
    resetAppState();
}
