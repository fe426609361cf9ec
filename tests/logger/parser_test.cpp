#include <gtest/gtest.h>

#include <QLocale>

#include "ImageBuilder.h"
#include "core/TDateTime.h"
#include "logger/MemoryImageParser.h"

using namespace logger;

namespace {
constexpr TDateTime kNow = 46366.75;                 // the moment of parsing: 2026-12-10 18:00
constexpr TDateTime kSetStart = 46366.0 + 9.5 / 24;  // 2026-12-10 09:30:00

ParseResult parse(const QByteArray& image) {
    return parseMemoryImage(image, imageLastAddress(image), kNow);
}
}  // namespace

TEST(Parser, TheExampleSet) {
    ImageBuilder b;
    ImageBuilder::Set s;
    s.tenths = {0x01F4, 0x0320, 0xF258};  // 50.0, 80.0 and 60.0 (high bits ignored)
    b.add(s);
    const ParseResult r = parse(b.finish());
    ASSERT_EQ(r.code, kOk);
    const DataSetCollection& c = r.sets;
    ASSERT_EQ(c.size(), 1);
    EXPECT_EQ(c.counts[0], 3);
    EXPECT_EQ(c.maxIndexes[0], 1);
    EXPECT_EQ(c.minIndexes[0], 0);
    EXPECT_NEAR(c.averages[0], 190.0 / 3, 1e-5);
    EXPECT_EQ(c.imageStarts[0], 1024);
    EXPECT_EQ(c.imageEnds[0], 1024 + 21);
    EXPECT_EQ(c.readings, (std::vector<float>{50.0f, 80.0f, 60.0f}));
    EXPECT_DOUBLE_EQ(c.startTimes[0], kSetStart);
    EXPECT_DOUBLE_EQ(c.readingTimes[2], kSetStart + 2 * tdt::kSecond);
    EXPECT_TRUE(c.weightingA(0));
}

TEST(Parser, IntervalsLevelsAndStartTimes) {
    struct Case {
        const char* name;
        std::uint8_t minutes, seconds;
        int interval;
    } cases[] = {
        {"90 s is replaced by 2", 0x01, 0x30, 2},
        {"59 s", 0x00, 0x59, 59},
        {"60 s", 0x01, 0x00, 60},
        {"a digit above 9", 0x00, 0xA0, 2},
        {"high bits of the minutes ignored", 0xF0, 0x05, 5},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ImageBuilder b;
        ImageBuilder::Set s;
        s.tenths = {600, 610};
        s.minutes = k.minutes;
        s.seconds = k.seconds;
        b.add(s);
        const ParseResult r = parse(b.finish());
        ASSERT_EQ(r.code, kOk);
        EXPECT_EQ(r.sets.intervals[0], k.interval);
        EXPECT_NEAR((r.sets.readingTimes[1] - r.sets.readingTimes[0]) * 86400, k.interval, 1e-6);
    }
    // Levels outside 20.0..140.0 are held as 50.0 and count as 50.0.
    ImageBuilder b;
    ImageBuilder::Set s;
    s.tenths = {143, 1520, 200, 1400, 900};
    s.mode = 0x10;  // C weighting
    std::uint8_t feb30[6] = {0x07, 0x02, 0x30, 0x10, 0x00, 0x00};
    std::copy(std::begin(feb30), std::end(feb30), s.date);
    s.minutes = 0;
    s.seconds = 0;
    b.add(s);
    const ParseResult r = parse(b.finish());
    ASSERT_EQ(r.code, kOk);
    EXPECT_EQ(r.sets.readings, (std::vector<float>{50.0f, 50.0f, 20.0f, 140.0f, 90.0f}));
    EXPECT_EQ(r.sets.maxIndexes[0], 3);
    EXPECT_EQ(r.sets.minIndexes[0], 2);
    EXPECT_NEAR(r.sets.averages[0], 350.0 / 5, 1e-5);
    EXPECT_FALSE(r.sets.weightingA(0));
    // 30 February is no date: the moment of parsing, and an interval of 0 gives every reading it.
    EXPECT_DOUBLE_EQ(r.sets.startTimes[0], kNow);
    EXPECT_DOUBLE_EQ(r.sets.readingTimes[4], kNow);
}

TEST(Parser, TheCountFieldAtAPageBoundaryIsNotTrusted) {
    // A reading whose bytes are 5A A5 looks like an end marker: only the scan is fooled by it.
    for (int fill : {114, 115}) {  // the second set at 1268 (count at 1279) or at 1270
        SCOPED_TRACE(fill);
        ImageBuilder b;
        b.add(fill);
        ImageBuilder::Set s;
        s.tenths = {600, 0x5AA5, 700};
        const int q = b.add(s);
        const ParseResult r = parse(b.finish());
        ASSERT_EQ(r.code, kOk);
        EXPECT_EQ(q, fill == 114 ? 1268 : 1270);
        EXPECT_EQ(r.sets.counts[1], fill == 114 ? 1 : 3);
    }
    // At 1268 a wrong count does not matter: the end marker is found.
    ImageBuilder b;
    b.add(114);
    ImageBuilder::Set s;
    s.tenths = {600, 700};
    s.countField = 0x123456;
    b.add(s);
    const ParseResult r = parse(b.finish());
    ASSERT_EQ(r.code, kOk);
    EXPECT_EQ(r.sets.counts[1], 2);
}

TEST(Parser, MarkersAtPageBoundaries) {
    struct Case {
        const char* name;
        int fill;  // readings of the first set; -1: the tested set is the first
        bool goodStart, goodEnd;
        int readings;
        int code;
    } cases[] = {
        {"FF FF start at 1024", -1, false, true, 3, kOk},
        {"FF FF start at 1280", 120, false, true, 3, kOk},
        {"FF FF start at 1300", 130, false, true, 3, kBadSet},
        {"wrong end, end - 1 = 2048", -1, true, false, 505, kOk},
        {"wrong end, end - 1 = 2050", -1, true, false, 506, kBadSet},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ImageBuilder b;
        if (k.fill >= 0)
            b.add(k.fill);
        ImageBuilder::Set s;
        s.tenths.assign(static_cast<std::size_t>(k.readings), 600);
        s.goodStart = k.goodStart;
        s.goodEnd = k.goodEnd;
        const int q = b.add(s);
        b.image.append(QByteArray(64, '\0'));  // memory beyond the set
        const ParseResult r = parse(b.finish(-1, static_cast<int>(b.image.size()) - 1));
        EXPECT_EQ(r.code, k.code);
        if (k.code == kBadSet) {
            EXPECT_EQ(r.badSetIndex, k.fill >= 0 ? 1 : 0);
            EXPECT_EQ(r.badSetEnd, q - 1);
            EXPECT_TRUE(r.sets.empty());
        }
    }
}

TEST(Parser, SetCountsAndTheFirstBadSet) {
    // No sets, 4000 empty sets, 4001 announced.
    EXPECT_EQ(parse(ImageBuilder().finish()).code, kNoSets);
    ImageBuilder many;
    for (int i = 0; i < 4000; ++i)
        many.add(0);
    const ParseResult r = parse(many.finish());
    ASSERT_EQ(r.code, kOk);
    EXPECT_EQ(r.sets.size(), 4000);
    EXPECT_EQ(r.sets.counts[3999], 0);
    EXPECT_EQ(r.sets.averages[3999], 0.0);
    EXPECT_EQ(r.sets.offset(3999), 0);
    EXPECT_EQ(parse(many.finish(4001)).code, kTooManySets);
    EXPECT_EQ(parse(many.finish(0xFFFF)).code, kTooManySets);

    // Set 2 starts at 5000 with a broken start marker.
    ImageBuilder b;
    b.add(1000);  // 1024 .. 3039
    b.add(972);   // 3040 .. 4999
    ImageBuilder::Set bad;
    bad.tenths = {600};
    bad.goodStart = false;
    EXPECT_EQ(b.add(bad), 5000);
    const ParseResult damaged = parse(b.finish());
    EXPECT_EQ(damaged.code, kBadSet);
    EXPECT_EQ(damaged.badSetIndex, 2);
    EXPECT_EQ(damaged.badSetEnd, 4999);
    // A header that announces more sets than there are: the first missing one is bad.
    ImageBuilder two;
    two.add(10);
    two.add(10);
    two.image.append(QByteArray(100, '\0'));
    const ParseResult beyond = parse(two.finish(3, 1024 + 2 * 36 - 1));
    EXPECT_EQ(beyond.code, kBadSet);
    EXPECT_EQ(beyond.badSetIndex, 2);
}

TEST(Parser, NothingIsReadPastTheImage) {
    ImageBuilder b;
    b.add(50);
    b.add(50);
    const QByteArray whole = b.finish();
    // Cut anywhere, and with the last address or the count forged past the image.
    for (qsizetype cut = 0; cut < whole.size(); cut += 7) {
        const QByteArray part = whole.left(cut);
        for (int last : {imageLastAddress(whole), 0xFFFFFF, 5}) {
            const ParseResult r = parseMemoryImage(part, last, kNow);
            EXPECT_NE(r.code, kOk) << cut << " " << last;
        }
    }
    ImageBuilder forged;
    ImageBuilder::Set s;
    s.tenths = {600, 610};
    s.countField = 0xFFFFFF;
    forged.add(s);
    const ParseResult r = parse(forged.finish());
    ASSERT_EQ(r.code, kOk);  // the end marker is found where the count is wrong
    EXPECT_EQ(r.sets.counts[0], 2);
}

TEST(Parser, TheLastAddressHasTwentyFourBits) {
    // A memory used to the end: sets beyond 64 KiB are read, not cut.
    ImageBuilder b;
    while (b.image.size() + 16 + 2 * 2000 <= 98304)
        b.add(2000);
    const QByteArray image = b.finish();
    ASSERT_GT(image.size(), 65536);
    EXPECT_EQ(imageLastAddress(image), image.size() - 1);
    const ParseResult r = parse(image);
    ASSERT_EQ(r.code, kOk);
    EXPECT_EQ(r.sets.size(), b.sets);
    EXPECT_GT(r.sets.imageEnds.back(), 65536);
    EXPECT_EQ(imageLastAddress(QByteArray(13, '\0')), -1);
}

TEST(Parser, GridRows) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ImageBuilder b;
    ImageBuilder::Set s;
    s.tenths = {600, 610, 620};
    s.seconds = 0x02;
    b.add(s);
    s.minutes = 0x01;
    s.seconds = 0x00;
    s.mode = 0x10;
    b.add(s);
    const ParseResult r = parse(b.finish());
    ASSERT_EQ(r.code, kOk);
    EXPECT_EQ(dataSetRow(r.sets, 0), QStringList({"1", "12/10/26", "09:30:00", "00:02", "3", "A"}));
    EXPECT_EQ(dataSetRow(r.sets, 1), QStringList({"2", "12/10/26", "09:30:00", "01:00", "3", "C"}));
}
