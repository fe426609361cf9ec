#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include "../app/MainFixture.h"
#include "link/LiveDecoder.h"
#include "panel/PanelUpdate.h"
#include "panel/Upanel.h"

TEST(DisplayRules, Digits) {
    struct Case {
        int value;
        std::array<std::uint8_t, 4> places;
    } cases[] = {
        {1999, {1, 9, 9, 9}}, {10000, {10, 0, 0, 0}}, {825, {10, 8, 2, 5}},
        {1052, {1, 0, 5, 2}}, {50, {10, 0, 5, 0}},    {2500, {10, 5, 0, 0}},
    };
    for (const Case& c : cases) {
        std::array<std::uint8_t, 4> got{};
        EXPECT_TRUE(digitImages(c.value, got)) << c.value;
        EXPECT_EQ(got, c.places) << c.value;
    }
    std::array<std::uint8_t, 4> untouched{7, 7, 7, 7};
    EXPECT_FALSE(digitImages(11000, untouched));
    EXPECT_EQ(untouched, (std::array<std::uint8_t, 4>{7, 7, 7, 7}));
}

TEST(DisplayRules, Bar) {
    const std::pair<float, int> cases[] = {{30.0f, 1},  {31.9f, 1},    {32.0f, 3},
                                           {80.0f, 51}, {130.0f, 101}, {200.0f, 101},
                                           {29.0f, 1},  {27.9f, 0},    {0.0f, 0}};
    for (auto [level, width] : cases)
        EXPECT_EQ(barWidth(level), width) << level;
}

namespace {
LiveFrameBytes frameOf(std::uint8_t s1, std::uint8_t s2, int value, std::uint8_t seconds = 0x07) {
    LiveFrameBytes f{};
    f[0] = 0x02;
    f[1] = s1;
    f[2] = s2;
    f[5] = static_cast<std::uint8_t>(value >> 8);
    f[6] = static_cast<std::uint8_t>(value);
    f[11] = 0x09;
    f[12] = 0x05;
    f[13] = seconds;
    f[14] = 0x26;
    f[15] = 0x12;
    f[16] = 0x10;
    f[17] = frameChecksum(f.data());
    f[18] = 0x03;
    return f;
}
}  // namespace

class PanelFrames : public MainFixture {
protected:
    void SetUp() override { start(false); }
    TfrmPanel& panel() { return *appState().PanelWindow; }
    bool shown(const char* name) { return !panel().element(QLatin1String(name))->isHidden(); }
    void apply(const LiveFrameBytes& f) { main->DecodeLiveFrame(f, clock.now()); }
};

TEST_F(PanelFrames, ForceRedrawDrawsEverythingAndAnIdenticalFrameOnlyResetsREC) {
    apply(frameOf(0x19, 0x23, 825));
    EXPECT_EQ(panel().digitImage(0), 10);
    EXPECT_EQ(panel().digitImage(1), 8);
    EXPECT_EQ(panel().digitImage(3), 5);
    EXPECT_EQ(panel().element(QStringLiteral("lblREC"))->text(), QStringLiteral("REC"));
    EXPECT_EQ(panel().element(QStringLiteral("lblFAST"))->text(), QStringLiteral("FAST"));
    EXPECT_EQ(panel().element(QStringLiteral("lbldBA"))->text(), QStringLiteral("dBA"));
    EXPECT_EQ(panel().element(QStringLiteral("lblTime"))->text(), QStringLiteral("09:05:07"));
    EXPECT_EQ(panel().element(QStringLiteral("lblDate"))->text(), QStringLiteral("26-12-10"));
    EXPECT_TRUE(shown("imgBatBar3"));
    EXPECT_EQ(panel().findChild<QWidget*>(QStringLiteral("imgColorBar"))->width(), 53);
    EXPECT_FALSE(appState().ForceRedraw);

    const int before = panel().changes();
    apply(frameOf(0x19, 0x23, 825));
    EXPECT_EQ(panel().changes(), before);  // lblREC is set again with the same text

    apply(frameOf(0x18, 0x23, 826));
    EXPECT_EQ(panel().changes(), before + 2);  // one digit, and REC gone
    EXPECT_EQ(panel().digitImage(3), 6);
}

TEST_F(PanelFrames, IndicatorsFollowTheStatusBytes) {
    apply(frameOf(0xC0, 0x51, 825));  // C, SLOW, UNDER, OVER, FULL, READ, battery 1
    EXPECT_EQ(panel().element(QStringLiteral("lbldBA"))->text(), QStringLiteral("dBC"));
    EXPECT_EQ(panel().element(QStringLiteral("lblFAST"))->text(), QStringLiteral("SLOW"));
    EXPECT_EQ(panel().element(QStringLiteral("lblREC"))->text(), QStringLiteral("FULL"));
    EXPECT_TRUE(shown("imgUNDER"));
    EXPECT_TRUE(shown("imgOVER"));
    EXPECT_TRUE(shown("imgREAD"));
    EXPECT_TRUE(shown("lblReadNo"));
    EXPECT_TRUE(shown("imgBatBar1"));
    EXPECT_FALSE(shown("imgBatBar3"));
    EXPECT_FALSE(shown("lblTime"));
}

TEST_F(PanelFrames, MaxMinBlinkStopsOnMaxAndSurvivesTheClosedPanel) {
    apply(frameOf(0x1C, 0x2F, 600));
    EXPECT_TRUE(main->MaxMinTimer().isActive());
    clock.advance(500);
    EXPECT_TRUE(shown("lblMAX"));
    EXPECT_TRUE(shown("lblMIN"));
    clock.advance(500);
    EXPECT_FALSE(shown("lblMAX"));

    // Closing the panel while blinking leaves the timer running.
    main->mdiArea()->subWindowList().value(0)->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(appState().PanelWindow, nullptr);
    EXPECT_TRUE(main->MaxMinTimer().isActive());
    clock.advance(1000);
    main->ControlPanel1Click();
    apply(frameOf(0x1C, 0x2F, 600));
    clock.advance(500);
    EXPECT_EQ(shown("lblMAX"), appState().BlinkPhase);

    apply(frameOf(0x1C, 0x27, 600));  // selection 0x0C to 0x04
    EXPECT_FALSE(main->MaxMinTimer().isActive());
    EXPECT_TRUE(shown("lblMAX"));
    EXPECT_FALSE(shown("lblMIN"));
}

class PanelKeys : public MainFixture {
protected:
    void SetUp() override {
        start(true);
        clock.advance(1000);
        ASSERT_TRUE(appState().Connected);
    }
    QWidget* key(const char* name) { return appState().PanelWindow->element(QLatin1String(name)); }
    // The frames the meter received since the last call, as letters.
    QString letters() {
        QString s;
        for (const QByteArray& f : meter.receivedFrames)
            if (f[1] != 'X')
                s += QLatin1Char(f[1]);
        meter.receivedFrames.clear();
        return s;
    }
};

TEST_F(PanelKeys, KeysWorkTheMeter) {
    letters();
    const bool fast = meter.fast;
    QTest::mouseClick(key("btnFast"), Qt::LeftButton);
    clock.advance(50);
    EXPECT_EQ(letters(), QStringLiteral("Fa"));
    EXPECT_NE(meter.fast, fast);
    QTest::mouseClick(key("btnLevel"), Qt::LeftButton);
    clock.advance(50);
    EXPECT_EQ(letters(), QStringLiteral("l"));
    QTest::mouseClick(key("btnAC"), Qt::LeftButton);
    clock.advance(600);
    EXPECT_EQ(letters(), QStringLiteral("Ca"));
    EXPECT_EQ(appState().PanelWindow->element(QStringLiteral("lbldBA"))->text(),
              meter.weightingA ? QStringLiteral("dBA") : QStringLiteral("dBC"));
}

TEST_F(PanelKeys, MinMaxClickAndLongPress) {
    letters();
    QTest::mousePress(key("btnMaxMin"), Qt::LeftButton);
    clock.advance(1000);
    QTest::mouseRelease(key("btnMaxMin"), Qt::LeftButton);
    clock.advance(50);
    EXPECT_EQ(letters(), QStringLiteral("Ma"));
    EXPECT_EQ(meter.maxMinMode, 1);

    QTest::mousePress(key("btnMaxMin"), Qt::LeftButton);
    clock.advance(2900);
    EXPECT_EQ(letters(), QString());
    clock.advance(300);
    EXPECT_EQ(letters(), QStringLiteral("Na"));
    clock.advance(800);
    QTest::mouseRelease(key("btnMaxMin"), Qt::LeftButton);
    clock.advance(50);
    EXPECT_EQ(letters(), QString());
    EXPECT_EQ(meter.maxMinMode, 0);
}

TEST_F(PanelKeys, MinMaxWithoutConnectionSaysSoAndSendsNothing) {
    meter.setSilent(true);
    clock.advance(4000);
    ASSERT_FALSE(appState().Connected);
    // The silent meter hears nothing: judge by what went onto the line.
    meter.hostWrites.clear();
    QTest::mousePress(key("btnMaxMin"), Qt::LeftButton);
    QTest::mouseRelease(key("btnMaxMin"), Qt::LeftButton);
    EXPECT_EQ(dialogs->shown.value(0), QStringLiteral("No Connection"));
    clock.advance(3500);
    EXPECT_FALSE(TfrmPanel::maxMinHeld());
    QString written;
    for (const QByteArray& w : meter.hostWrites)
        if (w.size() == 8)
            written += QLatin1Char(w[1]);
    EXPECT_FALSE(written.isEmpty());  // the watchdog still asks with 'A'
    EXPECT_FALSE(written.contains(QLatin1Char('M')) || written.contains(QLatin1Char('N')))
        << written.toStdString();
}

TEST_F(PanelKeys, PowerKeyClosesThePanel) {
    QTest::mouseClick(key("btnPower"), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(appState().PanelWindow, nullptr);
    EXPECT_FALSE(main->action(QStringLiteral("ControlPanel1"))->isChecked());
}
