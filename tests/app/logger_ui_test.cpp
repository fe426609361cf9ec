#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "../logger/ImageBuilder.h"
#include "MainFixture.h"
#include "Modal.h"
#include "TestFiles.h"
#include "files/Uscope.h"
#include "graph/PESGraph.h"
#include "graph/Tslider2.h"
#include "graph/Ugraph.h"
#include "link/TComPort.h"
#include "logger/CollectionFile.h"
#include "logger/MemoryImageParser.h"

namespace {

class LoggerUi : public MainFixture {
protected:
    void SetUp() override {
        start(true);
        clock.advance(1500);
        ASSERT_TRUE(appState().Connected);
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    TfrmGraph* logger() const { return appState().DataLoggerWindow; }
    QTableWidget* grid() const { return logger()->dataSetGrid(); }
    QString field(const char* name) const { return logger()->field(QLatin1String(name))->text(); }
    QString tempFile() const { return logger::tempFilePath(appState().DataFolder); }
    int frames(char letter) const {
        int n = 0;
        for (const QByteArray& f : meter.receivedFrames)
            n += f.size() == 8 && f[1] == letter;
        return n;
    }
    // The meter records a data set of about `seconds` readings with its REC key.
    void record(int seconds) {
        ASSERT_TRUE(main->link().sendKey('E'));
        clock.advance(seconds * 1000 - 500);
        ASSERT_TRUE(main->link().sendKey('E'));
        clock.advance(1500);
    }
    // The live link is back: the handler set, the watchdog running, frames decoded again.
    void expectLiveLinkBack() {
        EXPECT_TRUE(main->Comm1().OnRxChar() != nullptr);
        EXPECT_TRUE(main->link().mainTimer().isActive());
        const int before = appState().FramesDecoded;
        clock.advance(3000);
        EXPECT_TRUE(appState().Connected);
        EXPECT_GT(appState().FramesDecoded, before + 5);
    }
    void saveCollection(const QString& file) {
        main->mdiArea()->setActiveSubWindow(main->subWindowOf(logger()));
        dialogs->fileNames = {file};
        whenModal([](QWidget* w) { child<QPushButton>(w, "btnOpenSets")->click(); });
        main->Save1Click();
    }
    void openCollection(const QString& file) {
        dialogs->fileNames = {file};
        whenModal([](QWidget* w) { child<QPushButton>(w, "btnOpenSets")->click(); });
        main->Open1Click();
    }
};

}  // namespace

TEST_F(LoggerUi, RecordDownloadBrowseSaveAndReopenWithoutTheMeter) {
    record(20);
    meter.memory().setIntervalSeconds(2);
    record(30);
    const int counts[2] = {meter.memory().bytes()[1024 + 13], 0};
    ASSERT_GT(counts[0], 15);

    main->LoadData1Click();
    ASSERT_NE(logger(), nullptr);
    EXPECT_TRUE(dialogs->shown.isEmpty()) << dialogs->shown.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(appState().LoggerDataUnsaved);
    ASSERT_EQ(grid()->rowCount(), 2);
    EXPECT_EQ(grid()->item(0, 0)->text(), QStringLiteral("1"));
    EXPECT_EQ(grid()->item(1, 3)->text(), QStringLiteral("00:02"));
    EXPECT_EQ(grid()->item(0, 5)->text(), QStringLiteral("A"));
    EXPECT_EQ(field("txtDataNo"), QString::number(counts[0]));
    EXPECT_EQ(logger()->rateList()->currentText(), QStringLiteral("1"));
    EXPECT_EQ(logger()->chart()->doc().points(), counts[0]);
    EXPECT_FALSE(field("txtAvgAll").isEmpty());
    EXPECT_FALSE(field("txtMaxTime").isEmpty());
    clock.advance(20);  // the last frames reach the meter
    // The transfer stopped the stream and read the size from three header bytes.
    EXPECT_EQ(frames('c'), 1);
    EXPECT_EQ(frames('r'), 3);
    EXPECT_EQ(frames('Q'), 1);
    expectLiveLinkBack();

    // The second set, by the grid.
    grid()->selectRow(1);
    EXPECT_EQ(field("txtDataNo"), grid()->item(1, 4)->text());
    EXPECT_EQ(logger()->rateList()->currentText(), QStringLiteral("2"));
    EXPECT_EQ(logger()->slider()->Maximum(), grid()->item(1, 4)->text().toInt() - 1);

    // Kept in a collection file, and back without the meter.
    saveCollection(path("site.rec"));
    EXPECT_FALSE(appState().LoggerDataUnsaved);
    const QByteArray saved = readAll(path("site.rec"));
    EXPECT_EQ(saved, readAll(tempFile()));
    const int last = logger::imageLastAddress(saved);
    EXPECT_EQ(saved.size(), last + 257);
    EXPECT_EQ(saved.left(last + 1), meter.memory().bytes().left(last + 1));
    logger()->parentWidget()->close();
    QCoreApplication::processEvents();
    ASSERT_EQ(logger(), nullptr);
    meter.memory().erase();
    openCollection(path("site.rec"));
    ASSERT_NE(logger(), nullptr);
    ASSERT_EQ(grid()->rowCount(), 2);
    EXPECT_EQ(field("txtDataNo"), QString::number(counts[0]));
    EXPECT_FALSE(appState().LoggerDataUnsaved);  // opening is no new data
    EXPECT_EQ(readAll(tempFile()), saved);
}

TEST_F(LoggerUi, RefusedWithoutAConnectionOrWhileTheMeterRecords) {
    ASSERT_TRUE(main->link().sendKey('E'));
    clock.advance(1000);
    ASSERT_TRUE(appState().MeterRecording);
    main->LoadData1Click();
    EXPECT_EQ(
        dialogs->shown.value(0),
        QStringLiteral("The meter is recording data, please stop recording before loading data."));
    EXPECT_EQ(logger(), nullptr);
    EXPECT_EQ(frames('P'), 0);
    meter.setSilent(true);
    clock.advance(5000);
    dialogs->shown.clear();
    main->LoadData1Click();
    EXPECT_EQ(dialogs->shown.value(0), QStringLiteral("There is no connection with multimeter !"));
}

TEST_F(LoggerUi, ADamagedSetOffersRetryThenTheRepair) {
    ImageBuilder b;
    b.add(40);
    b.add(30);
    meter.memory().load(b.finish());
    meter.memory().cutOffLastSet();
    dialogs->answers = {Dialogs::Answer::Retry, Dialogs::Answer::Ok};
    main->LoadData1Click();
    clock.advance(20);
    ASSERT_EQ(dialogs->shown.size(), 3);
    EXPECT_TRUE(dialogs->shown[0].startsWith(QLatin1String("Data error ! It may be owing")));
    EXPECT_TRUE(dialogs->shown[1].startsWith(QLatin1String("Data error !")));
    EXPECT_EQ(dialogs->shown.last(),
              QStringLiteral("Please power off and power on meter before recording data or "
                             "loading again!"));
    EXPECT_EQ(frames('c'), 2);  // Retry drains the line and reads the size again
    EXPECT_EQ(frames('r'), 6);
    EXPECT_EQ(frames('w'), 5);
    EXPECT_EQ(meter.memory().setCount(), 1);
    EXPECT_EQ(meter.memory().lastAddress(), 1024 + 16 + 80 - 1);
    EXPECT_EQ(grid()->rowCount(), 1);  // nothing parsed: the grid as it was
    EXPECT_FALSE(appState().LoggerDataUnsaved);
    expectLiveLinkBack();

    dialogs->shown.clear();
    main->LoadData1Click();
    EXPECT_TRUE(dialogs->shown.isEmpty());
    EXPECT_EQ(grid()->rowCount(), 1);
    EXPECT_EQ(field("txtDataNo"), QStringLiteral("40"));
}

TEST_F(LoggerUi, ReadErrorsOfferRetryAndCancelAndKeepTheCollection) {
    ImageBuilder b;
    b.add(10);
    meter.memory().load(b.finish());
    main->LoadData1Click();
    ASSERT_EQ(field("txtDataNo"), QStringLiteral("10"));
    const QByteArray temp = readAll(tempFile());

    meter.faults.readAnswerBytes = 0;
    meter.receivedFrames.clear();
    dialogs->answers = {Dialogs::Answer::Retry, Dialogs::Answer::Cancel};
    main->LoadData1Click();
    clock.advance(20);
    EXPECT_EQ(dialogs->shown,
              QStringList(2, QStringLiteral("There was error when reading data from meter")));
    EXPECT_EQ(frames('c'), 2);
    EXPECT_EQ(field("txtDataNo"), QStringLiteral("10"));
    EXPECT_EQ(readAll(tempFile()), temp);  // what Save would copy is still what is shown
    expectLiveLinkBack();
}

TEST_F(LoggerUi, CancelStopsATransferAndKeepsThePreviousCollection) {
    ImageBuilder b;
    b.add(10);
    meter.memory().load(b.finish());
    main->LoadData1Click();
    ASSERT_EQ(grid()->rowCount(), 1);

    ImageBuilder big;
    big.add(20000);
    big.add(20000);
    meter.memory().load(big.finish());
    QString caption;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* scope = qobject_cast<TfrmScope*>(QApplication::activeModalWidget());
        if (!scope || scope->Progress1->value() < 640)
            return;
        caption = scope->windowTitle();
        scope->BitBtn2->click();
        poll.stop();
    });
    poll.start(0);
    main->LoadData1Click();
    clock.advance(20);
    EXPECT_EQ(caption, QStringLiteral("Data Retriving Progress"));
    EXPECT_TRUE(dialogs->shown.isEmpty());
    EXPECT_EQ(frames('Q'), 2);
    EXPECT_FALSE(meter.transferring());
    EXPECT_EQ(grid()->rowCount(), 1);
    EXPECT_EQ(field("txtDataNo"), QStringLiteral("10"));
    expectLiveLinkBack();
}

TEST_F(LoggerUi, SetsOfNoneAndOneReading) {
    ImageBuilder b;
    b.add(0);
    b.add(1);
    meter.memory().load(b.finish());
    main->LoadData1Click();
    ASSERT_EQ(grid()->rowCount(), 2);
    EXPECT_EQ(field("txtDataNo"), QStringLiteral("0"));
    EXPECT_TRUE(field("txtAvgAll").isEmpty());
    EXPECT_EQ(logger()->slider()->Maximum(), 0);
    grid()->selectRow(1);
    EXPECT_EQ(field("txtDataNo"), QStringLiteral("1"));
    EXPECT_EQ(field("txtMax"), QStringLiteral("60.0"));
    EXPECT_EQ(logger()->slider()->Maximum(), 0);
}

TEST_F(LoggerUi, OpenTellsWhyAFileIsNoCollection) {
    ImageBuilder b;
    b.add(12);
    // As the meter's memory is saved: 256 bytes beyond the last used address.
    const QByteArray good = b.finish() + QByteArray(256, '\xFF');
    writeAll(path("good.rec"), good);
    openCollection(path("good.rec"));
    ASSERT_EQ(field("txtDataNo"), QStringLiteral("12"));
    ImageBuilder d;
    d.add(5);
    ImageBuilder::Set broken;
    broken.tenths = {600};
    broken.goodStart = false;
    d.add(broken);
    struct Case {
        const char* file;
        QByteArray bytes;
        const char* why;
    } cases[] = {
        {"short.rec", QByteArray(13, '\0'), "it is shorter than 14 bytes"},
        {"cut.rec", good.left(good.size() - 256), "it is shorter than its last used address"},
        {"empty.rec", ImageBuilder().finish() + QByteArray(256, '\0'), "it holds no data sets"},
        {"damaged.rec", d.finish() + QByteArray(256, '\0'),
         "data set 2 at address 1050 is damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        writeAll(path(c.file), c.bytes);
        dialogs->shown.clear();
        openCollection(path(c.file));
        const QString shown = dialogs->shown.value(1);  // after the file dialog's caption
        EXPECT_TRUE(shown.contains(QLatin1String(" is not a data set collection: ")))
            << shown.toStdString();
        EXPECT_TRUE(shown.contains(QLatin1String(c.why))) << shown.toStdString();
        EXPECT_EQ(field("txtDataNo"), QStringLiteral("12"));
        EXPECT_EQ(readAll(tempFile()).left(good.size()), good);
    }
    // A longer file opens; saved again it keeps only what the image uses.
    writeAll(path("long.rec"), good + QByteArray(5000, '\x7F'));
    openCollection(path("long.rec"));
    EXPECT_EQ(readAll(tempFile()).size(), logger::imageLastAddress(good) + 257);
}
