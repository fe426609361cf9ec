#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "MainFixture.h"
#include "Modal.h"
#include "TestFiles.h"
#include "core/LocaleText.h"
#include "graph/PESGraph.h"
#include "graph/RecordingJournal.h"
#include "graph/Tslider2.h"
#include "graph/Ugraph.h"

namespace {

using tdt::kSecond;

class Recording : public MainFixture {
protected:
    void SetUp() override {
        start(true);
        clock.advance(1500);
        ASSERT_TRUE(appState().Connected);
        ASSERT_NE(graph(), nullptr);
    }
    TfrmGraph* graph() const { return appState().RealTimeGraphWindow; }
    QString text(const char* name) const { return graph()->field(QLatin1String(name))->text(); }
    const GraphDocument& doc() const { return graph()->chart()->doc(); }
    bool enabled(const char* name) const { return main->button(QLatin1String(name))->isEnabled(); }

    // Run with the setup dialog filled in; what the dialog showed is kept.
    void run(const QString& samples, const QString& rate) {
        whenModal([this, samples, rate](QWidget* w) {
            openingPeriod = child<QLineEdit>(w, "edtPeriod")->text();
            openingRate = child<QComboBox>(w, "txtRate")->currentText();
            auto* n = child<QLineEdit>(w, "edtRealTimeNo");
            n->setText(samples);
            emit n->textEdited(samples);
            child<QComboBox>(w, "txtRate")->setCurrentText(rate);
            editedPeriod = child<QLineEdit>(w, "edtPeriod")->text();
            child<QPushButton>(w, "btnStart")->click();
        });
        main->btnRunClick();
    }
    bool recordUntil(int samples, qint64 limitMs) {
        return clock.advanceUntil([&] { return appState().SampleCount >= samples; }, limitMs, 50);
    }

    QString openingPeriod, openingRate, editedPeriod;
};

}  // namespace

TEST_F(Recording, TwoThousandSamplesStopByThemselves) {
    run(QStringLiteral(" 2000"), QStringLiteral("0.2"));
    EXPECT_EQ(openingPeriod, QStringLiteral("0:6:40"));
    EXPECT_EQ(editedPeriod, QStringLiteral("0:06:40"));
    EXPECT_TRUE(appState().RealTimeRunning);
    EXPECT_FALSE(enabled("btnRun"));
    EXPECT_TRUE(enabled("btnStop"));
    EXPECT_FALSE(graph()->toolButton(QStringLiteral("tbntClr"))->isEnabled());
    ASSERT_TRUE(clock.advanceUntil([] { return !appState().RealTimeRunning; }, 600'000, 250));
    EXPECT_EQ(text("txtDataNo"), QStringLiteral("2000"));
    EXPECT_EQ(doc().points(), 2000);
    EXPECT_EQ(graph()->slider()->Minimum(), 0);
    EXPECT_EQ(graph()->slider()->Maximum(), 1999);
    EXPECT_EQ(graph()->slider()->Value1(), 666);
    EXPECT_EQ(graph()->slider()->Value2(), 1333);
    EXPECT_TRUE(enabled("btnRun"));
    EXPECT_FALSE(enabled("btnStop"));
    EXPECT_TRUE(graph()->toolButton(QStringLiteral("tbntClr"))->isEnabled());
    EXPECT_TRUE(appState().RealTimeUnsaved);
    for (int i = 1; i < 2000; ++i)
        ASSERT_GE(doc().x(i) - doc().x(i - 1), 0.2 * kSecond - 1e-9) << i;
    EXPECT_FALSE(text("txtAvgAll").isEmpty());
    EXPECT_FALSE(text("txtCursorA").isEmpty());
}

TEST_F(Recording, StopAfterTenSamplesKeepsExactlyThem) {
    run(QStringLiteral(" 2000"), QStringLiteral("0.2"));
    ASSERT_TRUE(recordUntil(10, 10'000));
    const TDateTime stopAt = clock.now();
    main->btnStopClick();
    EXPECT_EQ(doc().points(), 10);
    EXPECT_DOUBLE_EQ(doc().manualMaxX, stopAt);
    double sum = 0;
    for (int i = 0; i < 10; ++i)
        sum += doc().y(i);
    EXPECT_EQ(text("txtAvgAll"), localetext::fixed1(sum / 10));
    EXPECT_EQ(graph()->slider()->Maximum(), 9);
    EXPECT_EQ(graph()->slider()->Value1(), 3);
    EXPECT_EQ(graph()->slider()->Value2(), 6);
    clock.advance(2000);
    EXPECT_EQ(appState().SampleCount, 10);  // no more samples after Stop
}

TEST_F(Recording, RatesOutsideTheList) {
    run(QStringLiteral(" 2000"), QStringLiteral("0.3"));
    EXPECT_EQ(graph()->rateList()->currentText(), QStringLiteral("0.5"));
    ASSERT_TRUE(recordUntil(6, 10'000));
    for (int i = 1; i < 6; ++i)
        EXPECT_GE(doc().x(i) - doc().x(i - 1), 0.3 * kSecond - 1e-9);
    main->btnStopClick();
    dialogs->answers = {Dialogs::Answer::No};
    run(QStringLiteral(" 2000"), QStringLiteral("60"));
    EXPECT_EQ(openingRate, QStringLiteral("0.5"));  // the next Run proposes the list's entry
    EXPECT_EQ(graph()->rateList()->currentText(), QStringLiteral("0.5"));
    EXPECT_FLOAT_EQ(appState().RealTimeRate, 60.0f);
    clock.advance(200'000);
    EXPECT_GE(appState().SampleCount, 3);
    EXPECT_LE(appState().SampleCount, 4);
    for (int i = 1; i < appState().SampleCount; ++i)
        EXPECT_GE(doc().x(i) - doc().x(i - 1), 60 * kSecond - 1e-9);
}

TEST_F(Recording, TheListCannotChangeWhileRecording) {
    run(QStringLiteral(" 2000"), QStringLiteral("0.2"));
    QComboBox* list = graph()->rateList();
    list->setCurrentIndex(4);
    emit list->activated(4);
    EXPECT_EQ(dialogs->shown.back(),
              QStringLiteral("Can not change Sampling Rate while Real-Time is running."));
    EXPECT_EQ(list->currentText(), QStringLiteral("0.2"));
    EXPECT_FLOAT_EQ(appState().RealTimeRate, 0.2f);
    main->btnStopClick();
    list->setCurrentIndex(4);
    emit list->activated(4);
    EXPECT_FLOAT_EQ(appState().RealTimeRate, 2.0f);
}

TEST_F(Recording, RunOverAFinishedRecordingAsksFirst) {
    run(QStringLiteral("   20"), QStringLiteral("0.2"));
    ASSERT_TRUE(clock.advanceUntil([] { return !appState().RealTimeRunning; }, 20'000, 50));
    dialogs->answers = {Dialogs::Answer::Cancel};
    main->btnRunClick();  // Cancel: no dialog, the recording stays
    EXPECT_TRUE(dialogs->shown.back().startsWith(
        QLatin1String("There are datas in Real_Time graph ,it have to reset the graph.\n"
                      "Do you want to save the Real-Time graph ?")));
    EXPECT_EQ(doc().points(), 20);
    EXPECT_EQ(appState().SampleCount, 20);
    dialogs->answers = {Dialogs::Answer::No};
    run(QStringLiteral("  100"), QStringLiteral("0.5"));
    EXPECT_EQ(doc().points(), 100);
    EXPECT_EQ(appState().SampleCount, 0);
    EXPECT_EQ(text("txtMax"), QString());
    // Yes saves the recording first, then starts the next; with the file dialog cancelled
    // nothing is saved and nothing is reset.
    ASSERT_TRUE(clock.advanceUntil([] { return appState().SampleCount >= 5; }, 20'000, 50));
    main->btnStopClick();
    const int kept = appState().SampleCount;
    dialogs->answers = {Dialogs::Answer::Yes};
    main->btnRunClick();
    EXPECT_EQ(appState().SampleCount, kept);
    EXPECT_EQ(doc().points(), kept);
    dialogs->answers = {Dialogs::Answer::Yes};
    const QString saved = dir.filePath(QStringLiteral("run.ghf"));
    dialogs->fileNames = {saved};
    run(QStringLiteral("   10"), QStringLiteral("0.2"));
    EXPECT_TRUE(QFileInfo::exists(saved));
    EXPECT_EQ(doc().points(), 10);
}

TEST_F(Recording, ClosingWithYesSavesTheGraph) {
    run(QStringLiteral("   10"), QStringLiteral("0.2"));
    ASSERT_TRUE(clock.advanceUntil([] { return !appState().RealTimeRunning; }, 20'000, 50));
    // Yes, then the file dialog cancelled: nothing was saved, so nothing closes.
    dialogs->answers = {Dialogs::Answer::Yes};
    main->subWindowOf(graph())->close();
    QCoreApplication::processEvents();
    ASSERT_NE(appState().RealTimeGraphWindow, nullptr);
    EXPECT_TRUE(appState().RealTimeUnsaved);
    EXPECT_NE(main->journalOf(graph()), nullptr);
    dialogs->answers = {Dialogs::Answer::Yes};
    const QString saved = dir.filePath(QStringLiteral("closing.txt"));
    dialogs->fileNames = {saved};
    whenModal([](QWidget* w) { child<QPushButton>(w, "BitBtn1")->click(); });  // all points
    main->subWindowOf(graph())->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(appState().RealTimeGraphWindow, nullptr);
    QFile f(saved);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count('\n'), 10);
}

TEST_F(Recording, AnInvalidNumberChangesNothing) {
    run(QStringLiteral("     "), QStringLiteral("0.2"));
    EXPECT_EQ(dialogs->shown.back(), QStringLiteral("      is not valid.\n"));
    EXPECT_FALSE(appState().RealTimeRunning);
    EXPECT_EQ(doc().points(), 2000);
}

TEST_F(Recording, ClosingTheGraphWhileRecordingStopsIt) {
    run(QStringLiteral(" 2000"), QStringLiteral("0.2"));
    ASSERT_TRUE(recordUntil(5, 10'000));
    dialogs->answers = {Dialogs::Answer::No};
    main->subWindowOf(graph())->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(appState().RealTimeGraphWindow, nullptr);
    EXPECT_FALSE(appState().RealTimeRunning);
    EXPECT_EQ(appState().SampleCount, 0);
    EXPECT_FALSE(appState().RealTimeUnsaved);
    EXPECT_TRUE(enabled("btnRun"));
    EXPECT_FALSE(enabled("btnStop"));
    EXPECT_FALSE(main->action(QStringLiteral("RealTimeGraph1"))->isChecked());
    clock.advance(1000);  // frames go on without a graph
    run(QStringLiteral("   10"), QStringLiteral("0.2"));
    ASSERT_NE(graph(), nullptr);
    EXPECT_TRUE(appState().RealTimeRunning);
    EXPECT_TRUE(main->action(QStringLiteral("RealTimeGraph1"))->isChecked());
}

TEST_F(Recording, ALostConnectionPausesTheRecording) {
    run(QStringLiteral(" 2000"), QStringLiteral("0.2"));
    ASSERT_TRUE(recordUntil(4, 10'000));
    meter.setSilent(true);
    ASSERT_TRUE(clock.advanceUntil([this] { return !enabled("btnStop"); }, 20'000, 100));
    EXPECT_FALSE(enabled("btnRun"));
    EXPECT_TRUE(appState().RealTimeRunning);
    const int before = appState().SampleCount;
    meter.setSilent(false);
    ASSERT_TRUE(
        clock.advanceUntil([&] { return appState().SampleCount > before + 3; }, 30'000, 100));
    EXPECT_TRUE(enabled("btnStop"));
    EXPECT_FALSE(enabled("btnRun"));
}

TEST_F(Recording, ClearEmptiesTheGraphAndRestartsTheAnnotations) {
    run(QStringLiteral("   10"), QStringLiteral("0.2"));
    ASSERT_TRUE(clock.advanceUntil([] { return !appState().RealTimeRunning; }, 20'000, 50));
    graph()->chart()->doc().annotations[5] = {doc().x(2), 70, AnnotationType::Cross, {}, 0};
    appState().LastAnnotationIndex = 5;
    graph()->toolButton(QStringLiteral("tbntClr"))->click();
    EXPECT_EQ(appState().SampleCount, 0);
    EXPECT_EQ(appState().LastAnnotationIndex, 4);
    EXPECT_EQ(doc().points(), 200);
    EXPECT_EQ(doc().annotation(5).x, 0);
    EXPECT_EQ(text("txtDataNo"), QStringLiteral("0"));
    EXPECT_NEAR(doc().manualMaxX - doc().manualMinX, 30 * kSecond, 1e-9);
}

TEST_F(Recording, EverySampleIsJournalledUntilTheGraphIsSaved) {
    run(QStringLiteral("  100"), QStringLiteral("0.2"));
    ASSERT_TRUE(recordUntil(20, 20'000));
    const RecordingJournal* j = main->journalOf(graph());
    ASSERT_NE(j, nullptr);
    const QString path = j->path();
    auto held = RecordingJournal::read(path);
    ASSERT_TRUE(held);
    ASSERT_EQ(static_cast<int>(held->samples.size()), appState().SampleCount);
    for (int i = 0; i < appState().SampleCount; ++i) {
        EXPECT_EQ(held->samples[static_cast<std::size_t>(i)].time, doc().x(i));
        EXPECT_EQ(held->samples[static_cast<std::size_t>(i)].level, doc().y(i));
    }
    // Stopped but not saved: the journal stays, a crash now would still lose nothing.
    main->btnStopClick();
    EXPECT_TRUE(QFile::exists(path));
    // A part of the graph as text is no save of it.
    dialogs->fileNames = {dir.filePath(QStringLiteral("part.txt"))};
    whenModal([](QWidget* w) {
        child<QRadioButton>(w, "radNo")->setChecked(true);
        child<QLineEdit>(w, "edtSelFrom")->setText(QStringLiteral("1"));
        child<QLineEdit>(w, "edtSelTo")->setText(QStringLiteral("10"));
        child<QPushButton>(w, "BitBtn1")->click();
    });
    main->SaveGraph(graph());
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("part.txt"))).count('\n'), 10);
    EXPECT_TRUE(QFile::exists(path));
    dialogs->fileNames = {dir.filePath(QStringLiteral("kept.ghf"))};
    ASSERT_TRUE(main->SaveGraph(graph()));
    EXPECT_EQ(main->journalOf(graph()), nullptr);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(Recording, ClosingOrAnsweringNoLetsTheJournalGo) {
    run(QStringLiteral("  100"), QStringLiteral("0.2"));
    ASSERT_TRUE(recordUntil(5, 20'000));
    const QString first = main->journalOf(graph())->path();
    // A new recording over an unsaved one (No: let it go) has a journal of its own.
    dialogs->answers = {Dialogs::Answer::No};
    run(QStringLiteral("  100"), QStringLiteral("0.2"));
    EXPECT_FALSE(QFile::exists(first));
    ASSERT_TRUE(recordUntil(5, 20'000));
    const QString second = main->journalOf(graph())->path();
    EXPECT_TRUE(QFile::exists(second));
    // Clear empties the graph: its journal goes too.
    ASSERT_TRUE(clock.advanceUntil([] { return !appState().RealTimeRunning; }, 60'000, 250));
    graph()->toolButton(QStringLiteral("tbntClr"))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(QFile::exists(second));
    EXPECT_EQ(main->journalOf(graph()), nullptr);
    run(QStringLiteral("  100"), QStringLiteral("0.2"));
    ASSERT_TRUE(recordUntil(5, 20'000));
    const QString third = main->journalOf(graph())->path();
    dialogs->answers = {Dialogs::Answer::No};
    main->subWindowOf(graph())->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(QFile::exists(third));
    EXPECT_TRUE(RecordingJournal::leftBehind().isEmpty());
}

// File > Exit asks nothing: an unsaved recording is offered again at the next start.
TEST_F(Recording, ExitWithoutQuestionsKeepsTheJournalForTheNextStart) {
    run(QStringLiteral("  100"), QStringLiteral("0.2"));
    ASSERT_TRUE(recordUntil(5, 20'000));
    const QString path = main->journalOf(graph())->path();
    main->Exit1Click();
    main.reset();
    EXPECT_EQ(RecordingJournal::leftBehind(), QStringList{path});
    const auto kept = RecordingJournal::read(path);
    ASSERT_TRUE(kept);
    EXPECT_GE(kept->samples.size(), 5u);
    QFile::remove(path);
}

namespace {
class Recovery : public MainFixture {
protected:
    void SetUp() override {
        QDir(RecordingJournal::folder()).removeRecursively();
        auto j = RecordingJournal::create({46366.25, 0.5f, 2000});
        ASSERT_TRUE(j);
        for (int i = 0; i < 40; ++i)
            j->append(i, 46366.25 + i * 0.5 * kSecond, 50.0f + static_cast<float>(i));
        path = j->path();
        j->abandon();  // as a crash leaves it
    }
    void TearDown() override {
        MainFixture::TearDown();
        QDir(RecordingJournal::folder()).removeRecursively();
    }
    QString question() const {
        return QStringLiteral("A recording of %1 with 40 samples was not saved. Recover it?")
            .arg(localetext::dateTimeText(46366.25));
    }
    QString path;
};
}  // namespace

TEST_F(Recovery, YesOpensTheSamplesAsAGraphUntilSavedOrClosed) {
    startAnswers = {Dialogs::Answer::Yes};
    start(true);
    EXPECT_EQ(dialogs->shown.value(0), question());
    TfrmGraph* g = main->frmGraph();
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->caption().startsWith(QLatin1String("Recovered recording of ")));
    const GraphDocument& d = g->chart()->doc();
    ASSERT_EQ(d.points(), 40);
    EXPECT_EQ(d.x(0), 46366.25);
    EXPECT_EQ(d.y(39), 89.0f);
    EXPECT_EQ(g->field(QStringLiteral("txtDataNo"))->text(), QStringLiteral("40"));
    EXPECT_TRUE(QFile::exists(path));  // until the window is saved or let go
    // Closing asks; Cancel keeps it, No lets it go with its journal.
    dialogs->answers = {Dialogs::Answer::Cancel};
    main->subWindowOf(g)->close();
    QCoreApplication::processEvents();
    ASSERT_TRUE(QFile::exists(path));
    dialogs->answers = {Dialogs::Answer::No};
    main->subWindowOf(g)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(dialogs->shown.back(), QStringLiteral("Save the recovered recording ?"));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(Recovery, NoDeletesTheJournal) {
    startAnswers = {Dialogs::Answer::No};
    start(true);
    EXPECT_EQ(dialogs->shown.value(0), question());
    EXPECT_FALSE(QFile::exists(path));
    for (TfrmGraph* g : main->graphWindows())
        EXPECT_FALSE(g->caption().startsWith(QLatin1String("Recovered")));
}
