#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <QToolButton>
#include <cmath>

#include "Modal.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "graph/GraphStatistics.h"
#include "graph/PESGraph.h"
#include "graph/Tslider2.h"
#include "graph/Ugraph.h"

namespace {

using tdt::kSecond;
constexpr double kT0 = 46366.4375;  // 2026-12-10 10:30:00

class Host : public GraphHost {
public:
    Clock& clock() override { return clock_; }
    bool saveGraph(TfrmGraph*) override {
        ++saves;
        return true;
    }
    void realTimeGraphClosed() override { ++closedCalls; }
    void setRealTimeGraphTicked(bool t) override { ticked = t; }
    VirtualClock clock_{kT0};
    int saves = 0;
    int closedCalls = 0;
    bool ticked = false;
};

class GraphWindow : public ::testing::Test {
protected:
    void SetUp() override {
        resetAppState();
        auto d = std::make_unique<ScriptedDialogs>();
        dialogs = d.get();
        Dialogs::install(std::move(d));
        graph = std::make_unique<TfrmGraph>(host);
        graph->show();
    }
    void TearDown() override {
        graph.reset();
        resetAppState();
    }
    // n points one second apart from kT0 with the given levels.
    void fill(std::vector<float> levels) {
        PESGraph& c = *graph->chart();
        PrepareGraph(c, 1, 130, 30, kT0 + static_cast<double>(levels.size()) * kSecond, kT0,
                     static_cast<int>(levels.size()));
        for (int i = 0; i < static_cast<int>(levels.size()); ++i) {
            c.doc().setX(0, i, kT0 + i * kSecond);
            c.doc().setY(0, i, levels[static_cast<std::size_t>(i)]);
        }
        graph->redraw();
        c.replotNow();
        graph->UpdateGraphStatistics();
    }
    QString text(const char* name) const { return graph->field(QLatin1String(name))->text(); }
    // A click on the chart at the pixel of a value, as the tool's pointer shows it.
    void clickAt(double x, double y, QPoint hotSpotOffset) {
        const QPoint p = graph->chart()->valueToPixel(x, y) - hotSpotOffset;
        QTest::mouseClick(graph->chart()->canvas(), Qt::LeftButton, {}, p);
    }

    Host host;
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<TfrmGraph> graph;
};

}  // namespace

TEST(Slider, ClampsMovesWithItsBoundsAndReportsChanges) {
    Tslider2 s;
    int changes1 = 0, changes2 = 0;
    s.OnValueChange1 = [&] { ++changes1; };
    s.OnValueChange2 = [&] { ++changes2; };
    EXPECT_EQ(s.Value1(), 0);
    EXPECT_EQ(s.Value2(), 100);
    s.setValue1(-5);
    EXPECT_EQ(s.Value1(), 0);
    EXPECT_EQ(changes1, 0);  // unchanged: no event
    s.setValue1(150);
    EXPECT_EQ(s.Value1(), 100);
    EXPECT_EQ(changes1, 1);
    s.setMaximum(9);
    EXPECT_EQ(s.Value1(), 9);
    EXPECT_EQ(s.Value2(), 9);
    EXPECT_EQ(changes1, 2);
    EXPECT_EQ(changes2, 1);
    s.setMinimum(3);
    s.setValue1(4);
    s.setMinimum(5);
    EXPECT_EQ(s.Value1(), 5);
    // Thumb position: (Width - ThumbHeight) * (v - Minimum) / (Maximum - Minimum).
    s.resize(210, 23);
    s.ThumbHeight = 10;
    s.setMinimum(0);
    s.setMaximum(7);
    s.setValue1(3);
    EXPECT_EQ(s.thumbPosition(0), 200 * 3 / 7);
    // Millions of points: the product of room and value is past int.
    for (int points : {2'800'000, 10'000'000, 2'147'483'647}) {
        SCOPED_TRACE(points);
        s.setMaximum(points - 1);
        s.setValue1(points - 1);
        EXPECT_EQ(s.thumbPosition(0), 200);
        s.setValue1((points - 1) / 2);
        EXPECT_NEAR(s.thumbPosition(0), 100, 1);
    }
}

TEST(Slider, DragMovesOneThumbPastTheOther) {
    Tslider2 s;
    s.resize(210, 23);
    s.ThumbHeight = 10;
    s.setMinimum(0);
    s.setMaximum(1000);
    s.setValue1(100);
    s.setValue2(300);
    s.show();
    const int x1 = s.thumbPosition(0) + 5;  // 20 + 5
    QTest::mousePress(&s, Qt::LeftButton, {}, QPoint(x1, 10));
    QTest::mouseMove(&s, QPoint(x1 + 47, 10));
    // 100 + 47 * 1000 / 200 = 335: thumb 1 is now right of thumb 2.
    EXPECT_EQ(s.Value1(), 335);
    QTest::mouseMove(&s, QPoint(x1 - 1, 10));
    EXPECT_EQ(s.Value1(), 95);  // -1 * 1000 / 200 = -5, truncated towards zero
    QTest::mouseMove(&s, QPoint(x1 - 3, 10));
    EXPECT_EQ(s.Value1(), 85);
    QTest::mouseMove(&s, QPoint(-500, 10));
    EXPECT_EQ(s.Value1(), 0);
    QTest::mouseRelease(&s, Qt::LeftButton, {}, QPoint(-500, 10));
    QTest::mouseMove(&s, QPoint(150, 10));
    EXPECT_EQ(s.Value1(), 0);  // released: nothing follows the mouse
    EXPECT_EQ(s.Value2(), 300);
}

TEST_F(GraphWindow, LayoutAndInitialLook) {
    EXPECT_EQ(graph->caption(), QStringLiteral("Graph"));
    EXPECT_EQ(text("txtDataNo"), QStringLiteral("0"));
    EXPECT_EQ(text("txtAvgAll"), QStringLiteral("***.* dB "));
    EXPECT_FALSE(graph->findChild<QWidget*>(QStringLiteral("pnlDataSets"))->isVisible());
    EXPECT_FALSE(graph->toolButton(QStringLiteral("tbntClr"))->isVisible());
    EXPECT_FALSE(graph->toolButton(QStringLiteral("UndoZoom"))->isEnabled());
    EXPECT_TRUE(graph->toolButton(QStringLiteral("Button1"))->isEnabled());
    EXPECT_EQ(graph->toolButton(QStringLiteral("Button1"))->text(), QStringLiteral("Graph Option"));
    EXPECT_EQ(graph->toolButton(QStringLiteral("ToolButton5"))->toolTip(),
              QStringLiteral("Draw A Cross On Graph"));
    EXPECT_EQ(appState().GraphTool, -99);
    auto* grid = graph->dataSetGrid();
    EXPECT_EQ(grid->columnCount(), 6);
    EXPECT_EQ(grid->horizontalHeaderItem(5)->text(), QStringLiteral("Weighting"));
    graph->setCaption(TfrmGraph::dataLoggerCaption());
    EXPECT_TRUE(graph->findChild<QWidget*>(QStringLiteral("pnlDataSets"))->isVisible());
}

TEST_F(GraphWindow, StatisticsOfThreePoints) {
    fill({60, 70, 80});
    EXPECT_EQ(text("txtDataNo"), QStringLiteral("3"));
    EXPECT_EQ(text("txtAvgAll"), QStringLiteral("70.0"));
    EXPECT_EQ(text("txtMax"), QStringLiteral("80.0"));
    EXPECT_TRUE(text("txtMaxTime").endsWith(QLatin1String("10:30:02 AM")));
    EXPECT_TRUE(text("txtStartTime").endsWith(QLatin1String("10:30:00 AM")));
    EXPECT_EQ(graph->rateList()->currentText(), QStringLiteral("1.0"));
    EXPECT_EQ(graph->slider()->Value1(), 1);
    EXPECT_EQ(graph->slider()->Value2(), 2);
    EXPECT_EQ(text("txtCursorA"), QStringLiteral("70.0"));
    EXPECT_EQ(text("txtCursorB"), QStringLiteral("80.0"));
    EXPECT_EQ(text("txtAvgAB"), QStringLiteral("75.0"));
    const GraphDocument& d = graph->chart()->doc();
    EXPECT_DOUBLE_EQ(d.vertLines[0].x, kT0 + kSecond);
    EXPECT_TRUE(d.vertLines[1].text.startsWith(QLatin1String("|t10:30:02")));
    // The slider lies under the plotting rectangle.
    const QRect r = graph->chart()->plottingRect();
    EXPECT_EQ(graph->slider()->width(), r.width());
    EXPECT_EQ(graph->slider()->mapTo(graph.get(), QPoint(0, 0)).x(),
              graph->chart()->mapTo(graph.get(), r.topLeft()).x());
}

TEST_F(GraphWindow, OnePointGraphLeavesTheCursorsAlone) {
    fill({64.2f});
    EXPECT_EQ(text("txtDataNo"), QStringLiteral("1"));
    EXPECT_EQ(text("txtAvgAll"), QStringLiteral("64.2"));
    EXPECT_EQ(graph->rateList()->currentText(), QStringLiteral("0.0"));
    EXPECT_EQ(graph->slider()->Maximum(), 0);
    EXPECT_EQ(text("txtCursorA"), QString());
    graph->slider()->setValue1(5);
    EXPECT_EQ(text("txtCursorA"), QString());
}

TEST_F(GraphWindow, ExportStatisticCopiesElevenLinesThenTheAcousticOnes) {
    fill({60, 70, 80});
    graph->Button2Click();
    const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 20);  // 11 + 8 lines, each ended by a line feed
    EXPECT_EQ(lines[2], QStringLiteral("DataNo:3"));
    EXPECT_EQ(lines[3], QStringLiteral("Avg.:70.0"));
    EXPECT_TRUE(lines[4].startsWith(QLatin1String("Maximum:80.0@")));
    EXPECT_EQ(lines[10], QStringLiteral("Avg. Between A and B:75.0"));
    // 10 log10((10^6 + 10^7 + 10^8) / 3) = 75.7; between the cursors 70 and 80: 77.4.
    EXPECT_EQ(lines[11], QStringLiteral("Leq:75.7"));
    EXPECT_EQ(lines[13], QStringLiteral("L50:70.0"));
    EXPECT_EQ(lines[15], QStringLiteral("Leq Between A and B:77.4"));
    EXPECT_EQ(text("txtL10"), QStringLiteral("78.0"));
    EXPECT_EQ(dialogs->shown.back(), QStringLiteral("The statistic has been copy to clipboard"));
}

TEST_F(GraphWindow, TogglesHideThePanelsAndTheCursorLines) {
    fill({60, 70, 80});
    auto* upper = graph->findChild<QWidget*>(QStringLiteral("pnlGraphStatistic"));
    auto* lower = graph->findChild<QWidget*>(QStringLiteral("pnlStatistic"));
    const int chartTop = graph->chart()->mapTo(graph.get(), QPoint(0, 0)).y();
    graph->toolButton(QStringLiteral("ToolButton1"))->click();
    QApplication::processEvents();
    EXPECT_FALSE(upper->isVisible());
    EXPECT_LT(graph->chart()->mapTo(graph.get(), QPoint(0, 0)).y(), chartTop);
    graph->toolButton(QStringLiteral("ToolButton2"))->click();
    EXPECT_FALSE(lower->isVisible());
    EXPECT_FALSE(graph->chart()->doc().look.showVertLineAnnotations);
    graph->toolButton(QStringLiteral("ToolButton2"))->click();
    EXPECT_TRUE(lower->isVisible());
}

TEST_F(GraphWindow, ZoomAndUndo) {
    fill({60, 70, 80, 75, 65});
    const QPointF full = graph->chart()->viewX();
    const QRect r = graph->chart()->plottingRect();
    QTest::mousePress(graph->chart()->canvas(), Qt::LeftButton, {}, r.center() - QPoint(40, 30));
    QTest::mouseMove(graph->chart()->canvas(), r.center() + QPoint(40, 30));
    QTest::mouseRelease(graph->chart()->canvas(), Qt::LeftButton, {}, r.center() + QPoint(40, 30));
    EXPECT_TRUE(graph->toolButton(QStringLiteral("UndoZoom"))->isEnabled());
    EXPECT_GT(graph->chart()->viewX().x(), full.x());
    EXPECT_LT(graph->chart()->viewY().y(), 130);
    graph->toolButton(QStringLiteral("UndoZoom"))->click();
    EXPECT_FALSE(graph->toolButton(QStringLiteral("UndoZoom"))->isEnabled());
    EXPECT_EQ(graph->chart()->viewX(), full);
    EXPECT_EQ(graph->chart()->viewY(), QPointF(30, 130));
}

TEST_F(GraphWindow, MouseReadoutInsideThePlottingArea) {
    fill({60, 70, 80});
    const QPoint p = graph->chart()->valueToPixel(kT0 + kSecond, 65.3);
    QMouseEvent move(QEvent::MouseMove, p, graph->chart()->canvas()->mapToGlobal(p), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(graph->chart()->canvas(), &move);
    const QString expected = ::mouseReadout(kT0 + kSecond, graph->chart()->pixelToValue(p).y());
    EXPECT_TRUE(expected.endsWith(QLatin1String("dB@10:30:01 AM")));
    EXPECT_EQ(graph->mouseReadout()->text(), expected);
    QMouseEvent outside(QEvent::MouseMove, QPoint(1, 1), QPoint(1, 1), Qt::NoButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(graph->chart()->canvas(), &outside);
    EXPECT_EQ(graph->mouseReadout()->text(), expected);
}

TEST_F(GraphWindow, CrossesAndTextsAreListedAndErased) {
    fill({60, 70, 80, 75, 65});
    const QPoint crossOffset(15, 15), textOffset(1, 7);
    graph->toolButton(QStringLiteral("ToolButton5"))->click();
    EXPECT_EQ(appState().GraphTool, 2);
    graph->chart()->PEactions(PESGraph::sgReinitAndReset);  // a new look keeps the tool's pointer
    EXPECT_EQ(graph->chart()->canvas()->cursor().shape(), Qt::BitmapCursor);
    clickAt(kT0 + kSecond, 90, crossOffset);
    clickAt(kT0 + 2 * kSecond, 95, crossOffset);
    graph->toolButton(QStringLiteral("ToolButton9"))->click();
    EXPECT_EQ(appState().GraphTool, 0);
    whenModal([](QWidget* w) {
        child<QLineEdit>(w, "Edit1")->setText(QStringLiteral("compressor"));
        child<QPushButton>(w, "btnOK")->click();
    });
    clickAt(kT0 + 3 * kSecond, 100, textOffset);
    // An empty text uses an index but is not listed; Cancel uses none.
    whenModal([](QWidget* w) { child<QPushButton>(w, "btnOK")->click(); });
    clickAt(kT0 + 3 * kSecond, 50, textOffset);
    whenModal([](QWidget* w) { child<QPushButton>(w, "btnCancel")->click(); });
    clickAt(kT0 + 3 * kSecond, 50, textOffset);
    EXPECT_EQ(appState().LastAnnotationIndex, 8);
    const GraphDocument& d = graph->chart()->doc();
    EXPECT_NEAR(d.annotation(5).y, 90, 0.5);
    EXPECT_NEAR(d.annotation(5).x, kT0 + kSecond, 0.05 * kSecond);

    QStringList listed;
    whenModal([&](QWidget* w) {
        auto* grid = child<QTableWidget>(w, "StringGrid1");
        for (int r = 0; r < grid->rowCount(); ++r)
            listed << grid->item(r, 0)->text() + QLatin1Char(' ') + grid->item(r, 2)->text();
        grid->selectRow(1);
        child<QPushButton>(w, "btnDelete")->click();
    });
    graph->ToolButton13Click();
    EXPECT_EQ(listed, QStringList({"1 X", "2 X", "3 compressor"}));
    EXPECT_EQ(d.annotation(6).type, AnnotationType::Text);
    EXPECT_TRUE(d.annotation(6).text.isEmpty());

    listed.clear();
    whenModal([&](QWidget* w) {
        auto* grid = child<QTableWidget>(w, "StringGrid1");
        for (int r = 0; r < grid->rowCount(); ++r)
            listed << grid->item(r, 0)->text() + QLatin1Char(' ') + grid->item(r, 2)->text();
        child<QPushButton>(w, "btnCancel")->click();
    });
    graph->ToolButton13Click();
    EXPECT_EQ(listed, QStringList({"1 X", "2 compressor"}));
}

TEST_F(GraphWindow, ClicksOutsideOrWithTheNormalToolPlaceNothing) {
    fill({60, 70, 80});
    clickAt(kT0 + kSecond, 90, QPoint(15, 15));
    graph->toolButton(QStringLiteral("ToolButton5"))->click();
    QTest::mouseClick(graph->chart()->canvas(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(appState().LastAnnotationIndex, 4);
    EXPECT_TRUE(graph->chart()->doc().annotations.empty());
}

TEST_F(GraphWindow, EmptyEraseDialog) {
    int rows = -1;
    bool deleteEnabled = true;
    whenModal([&](QWidget* w) {
        rows = child<QTableWidget>(w, "StringGrid1")->rowCount();
        deleteEnabled = child<QPushButton>(w, "btnDelete")->isEnabled();
        child<QPushButton>(w, "btnCancel")->click();
    });
    graph->ToolButton13Click();
    EXPECT_EQ(rows, 1);
    EXPECT_FALSE(deleteEnabled);
}

TEST_F(GraphWindow, DataPointMarkerFromAHotSpot) {
    fill({60, 70, 80});
    graph->chart()->doc().look.dataHotSpots = true;
    const QPoint p = graph->chart()->valueToPixel(kT0 + kSecond, 70);
    QTest::mouseClick(graph->chart()->canvas(), Qt::LeftButton, {}, p + QPoint(2, 1));
    const GraphAnnotation m = graph->chart()->doc().annotation(2);
    EXPECT_EQ(m.type, AnnotationType::Cross);
    EXPECT_DOUBLE_EQ(m.x, kT0 + kSecond);
    EXPECT_EQ(m.text, QStringLiteral("10:30:01 AM\r70.0 dB"));
}

TEST_F(GraphWindow, CloseQuestions) {
    AppState& st = appState();
    graph->setCaption(TfrmGraph::realTimeCaption());
    st.RealTimeGraphWindow = graph.get();
    st.RealTimeUnsaved = true;
    dialogs->answers = {Dialogs::Answer::Cancel};
    EXPECT_FALSE(graph->close());
    EXPECT_TRUE(st.RealTimeUnsaved);
    EXPECT_EQ(dialogs->shown.back(), QStringLiteral("Save Real-Time Graph ?"));
    dialogs->answers = {Dialogs::Answer::Yes};
    st.RealTimeRunning = true;
    EXPECT_TRUE(graph->close());
    EXPECT_EQ(host.saves, 1);
    EXPECT_FALSE(st.RealTimeUnsaved);
    EXPECT_FALSE(st.RealTimeRunning);
    EXPECT_EQ(st.RealTimeGraphWindow, nullptr);
    EXPECT_EQ(host.closedCalls, 1);

    auto logger = std::make_unique<TfrmGraph>(host);
    logger->setCaption(TfrmGraph::dataLoggerCaption());
    st.DataLoggerWindow = logger.get();
    st.LoggerDataUnsaved = true;
    dialogs->answers = {Dialogs::Answer::Cancel};
    EXPECT_FALSE(logger->close());
    EXPECT_EQ(dialogs->shown.back(), QStringLiteral("Save DataLogger Data ?"));
    dialogs->answers = {Dialogs::Answer::No};
    EXPECT_TRUE(logger->close());
    EXPECT_FALSE(st.LoggerDataUnsaved);
    EXPECT_EQ(st.DataLoggerWindow, nullptr);
    EXPECT_EQ(host.saves, 1);
}

TEST_F(GraphWindow, LongSeriesKeepTheirPeaksAndGrowByAppending) {
    PESGraph& c = *graph->chart();
    const int n = 60'000;
    PrepareGraph(c, 1, 130, 30, kT0 + n * kSecond, kT0, n);
    auto level = [](int i) { return i == 31'337 ? 120.0f : i == 40'001 ? 31.0f : 60.0f + i % 7; };
    // Half the series at once, the rest sample by sample as a recording writes it.
    for (int i = 0; i < n / 2; ++i) {
        c.doc().setX(0, i, kT0 + i * kSecond);
        c.doc().setY(0, i, level(i));
    }
    c.doc().setY(0, 100, kNullLevel);
    graph->redraw();
    for (int i = n / 2; i < n; ++i) {
        c.doc().setX(0, i, kT0 + i * kSecond);
        c.doc().setY(0, i, level(i));
        if (i % 3 == 0)
            graph->redraw();
    }
    graph->redraw();
    // Drawn from fewer points than the series, each one a real point, peaks and the gap kept.
    auto check = [&](const std::vector<QPointF>& drawn) {
        EXPECT_LT(drawn.size(), static_cast<std::size_t>(n / 3));
        double hi = 0, lo = 1000;
        int gaps = 0;
        for (const QPointF& p : drawn) {
            if (std::isnan(p.y())) {
                ++gaps;
                continue;
            }
            const int i = static_cast<int>(std::lround((p.x() - kT0) / kSecond));
            ASSERT_EQ(p.y(), i == 100 ? kNullLevel : level(i)) << i;
            hi = std::max(hi, p.y());
            lo = std::min(lo, p.y());
        }
        EXPECT_EQ(hi, 120.0);
        EXPECT_EQ(lo, 31.0);
        EXPECT_EQ(gaps, 1);
    };
    check(c.drawnPoints());
    c.PEactions(PESGraph::sgReinitAndReset);
    check(c.drawnPoints());
    // Zoomed in, every point is drawn.
    c.replotNow();
    const QRect r = c.plottingRect();
    c.zoomTo(QRect(r.left() + r.width() / 2, r.top(), 30, r.height()));
    const QPointF view = c.viewX();
    std::size_t inView = 0;
    for (const QPointF& p : c.drawnPoints())
        inView += p.x() >= view.x() && p.x() <= view.y();
    EXPECT_NEAR(static_cast<double>(inView), (view.y() - view.x()) / kSecond, 2.0);
    // Only the view's stretch and its neighbours are taken, not the whole series.
    EXPECT_LT(c.drawnPoints().size(), static_cast<std::size_t>(4 * inView + 4));
    // Undo Zoom gives the whole-graph picture back as it was.
    graph->UndoZoomClick();
    check(c.drawnPoints());
    // A point changed meanwhile is drawn, not an old picture.
    c.doc().setY(0, 50'000, 125.0f);
    c.PEactions(PESGraph::sgReinitAndReset);
    double hi = 0;
    for (const QPointF& p : c.drawnPoints())
        hi = std::max(hi, p.y());
    EXPECT_EQ(hi, 125.0);
}

TEST_F(GraphWindow, AbsurdTimesFromADamagedFileStillDraw) {
    fill({60, 70, 80});
    GraphDocument& d = graph->chart()->doc();
    d.setX(0, 1, 1e300);
    d.setY(0, 1, 90);
    d.manualMinX = -1e300;
    d.manualMaxX = 1e300;
    graph->chart()->PEactions(PESGraph::sgReinitAndReset);
    graph->chart()->replotNow();
    graph->UpdateGraphStatistics();
    EXPECT_EQ(text("txtDataNo"), QStringLiteral("3"));
    EXPECT_EQ(text("txtMax"), QStringLiteral("90.0"));
    EXPECT_EQ(text("txtMaxTime").trimmed(), QString());  // no date for such a time
}
