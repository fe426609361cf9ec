#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>

#include "../logger/ImageBuilder.h"
#include "MainFixture.h"
#include "Modal.h"
#include "TestFiles.h"
#include "files/Udatacapture.h"
#include "link/TComPort.h"
#include "logger/Ucali.h"
#include "logger/Usetup.h"

namespace {

class SetupUi : public MainFixture {
protected:
    void SetUp() override {
        start(true);
        clock.advance(1500);
        ASSERT_TRUE(appState().Connected);
    }
    TfrmSetup* setup() {
        if (!main->frmSetup())
            main->Setup1Click();
        return main->frmSetup();
    }
    QString written() const {
        QString s;
        for (const QByteArray& w : meter.hostWrites)
            if (w.size() == 8)
                s += QLatin1Char(w[1]);
        return s;
    }
    // Every command ends on the live link: handler, 'a', watchdog, frames decoded again.
    void expectLiveLinkBack() {
        EXPECT_TRUE(main->Comm1().Active());
        EXPECT_FALSE(main->Comm2().Active());
        EXPECT_TRUE(main->Comm1().OnRxChar() != nullptr);
        EXPECT_TRUE(main->link().mainTimer().isActive());
        const int before = appState().FramesDecoded;
        clock.advance(3000);
        EXPECT_TRUE(appState().Connected);
        EXPECT_GT(appState().FramesDecoded, before + 5);
    }
    TfrmDataCapture* capture() const {
        return qobject_cast<TfrmDataCapture*>(appState().DataCaptureWindow);
    }
    void store(int tenths) {
        meter.setLevelTenths(tenths);
        clock.advance(600);
        ASSERT_TRUE(main->link().sendKey('R'));
        clock.advance(300);
    }
};

}  // namespace

TEST_F(SetupUi, TheMeterClockAndItsMessages) {
    clock.shiftWallClock(-3'600'000);  // the computer's clock, whatever it says
    setup()->Button1Click();
    ASSERT_EQ(dialogs->shown.size(), 1);
    EXPECT_TRUE(dialogs->shown[0].startsWith(QLatin1String(
        "Meter time updated successfully \nToday is Day 10 of Month 12 of Year 2026")));
    EXPECT_LE(std::abs(meter.clockNow().secsTo(tdt::toDateTime(clock.now()))), 2);
    EXPECT_TRUE(written().contains(QLatin1String("c")));
    expectLiveLinkBack();

    meter.faults.noEcho = true;
    dialogs->shown.clear();
    setup()->Button1Click();
    EXPECT_EQ(dialogs->shown, QStringList{QStringLiteral("Meter time updated fail")});
    meter.faults.noEcho = false;
    expectLiveLinkBack();
}

TEST_F(SetupUi, TheIntervalIsCheckedBeforeTheLineIsTouched) {
    TfrmSetup* s = setup();
    s->edtInt1->setText(QStringLiteral("02"));
    s->edtInt2->setText(QStringLiteral("00"));
    meter.hostWrites.clear();
    s->Button2Click();
    EXPECT_EQ(dialogs->shown, QStringList{QStringLiteral("Invalid Input")});
    EXPECT_TRUE(written().isEmpty());
    EXPECT_TRUE(main->Comm1().Active());

    s->edtInt1->setText(QStringLiteral("00"));
    s->edtInt2->setText(QStringLiteral("05"));
    dialogs->shown.clear();
    s->Button2Click();
    EXPECT_EQ(dialogs->shown, QStringList{QStringLiteral("Recording Interval Setup Successfully")});
    EXPECT_EQ(meter.memory().intervalSeconds(), 5);
    expectLiveLinkBack();
    EXPECT_EQ(meter.boots, 1);
}

TEST_F(SetupUi, TheInformationAndAMemoryTestThatKeepsTheRecordings) {
    ImageBuilder b;
    while (b.image.size() < 0xFF10)
        b.add(2000);
    meter.memory().load(b.finish());
    const QByteArray recorded = meter.memory().bytes();
    appState().DateOrder = 3;
    appState().DateSeparator = QStringLiteral("-");
    TfrmSetup* s = setup();
    s->Button4Click();
    EXPECT_TRUE(dialogs->shown.isEmpty());
    EXPECT_EQ(s->lblVer->text(), QStringLiteral("1.23"));
    EXPECT_EQ(s->lblMeterTime->text(),
              meter.clockNow().toString(QStringLiteral("yy-MM-dd  HH:mm")) +
                  s->lblMeterTime->text().right(3));
    EXPECT_EQ(s->lblDataSets->text(), QString::number(b.sets));
    EXPECT_EQ(s->lblMemoryAvailable->text(), QStringLiteral("0"));
    EXPECT_EQ(s->lblInt->text(), QStringLiteral("00:00(mm:ss)"));  // as the loaded header holds
    EXPECT_EQ(s->lblMemTest->text(), QStringLiteral("OK"));
    EXPECT_EQ(s->Grid1->rowCount(), 10);  // "00", eight replies and the next empty row
    EXPECT_EQ(s->Grid1->item(2, 9)->text(), QStringLiteral("96"));
    EXPECT_EQ(meter.memory().bytes(), recorded);
    expectLiveLinkBack();

    // A missing answer ends the reading silently: what was read stays, the rest is empty.
    meter.faults.noTimeReply = true;
    s->lblMemTest->setText(QStringLiteral("OK"));
    s->Button4Click();
    EXPECT_TRUE(dialogs->shown.isEmpty());
    EXPECT_EQ(s->lblVer->text(), QStringLiteral("1.23"));
    EXPECT_TRUE(s->lblMeterTime->text().isEmpty());
    EXPECT_TRUE(s->lblDataSets->text().isEmpty());
    EXPECT_EQ(s->lblMemTest->text(), QStringLiteral("OK"));  // keeps its text
    meter.faults.noTimeReply = false;
    meter.faults.badCell = 0x9F00;
    s->Button4Click();
    EXPECT_EQ(s->lblMemTest->text(), QStringLiteral("False"));
    expectLiveLinkBack();
}

TEST_F(SetupUi, EraseAsksFirstAndNeverWhileRecording) {
    ImageBuilder b;
    b.add(10);
    meter.memory().load(b.finish());
    dialogs->answers = {Dialogs::Answer::No};
    main->EraseMemory1Click();
    EXPECT_EQ(dialogs->shown, QStringList{QStringLiteral("Are you sure to erase memory ?")});
    EXPECT_EQ(meter.memory().setCount(), 1);
    dialogs->answers = {Dialogs::Answer::Yes};
    setup()->Button3Click();
    clock.advance(100);
    EXPECT_EQ(meter.memory().setCount(), 0);

    ASSERT_TRUE(main->link().sendKey('E'));
    clock.advance(1000);
    dialogs->shown.clear();
    main->EraseMemory1Click();
    EXPECT_EQ(dialogs->shown, QStringList{QStringLiteral(
                                  "The meter is recording data, please stop recording before "
                                  "erasing data.")});
    EXPECT_EQ(meter.memory().setCount(), 1);
}

TEST_F(SetupUi, RecallSaveAndReopenTheStoredReadings) {
    for (int tenths : {725, 1501, 1500})
        store(tenths);
    main->RECALL1Click();
    ASSERT_NE(capture(), nullptr);
    EXPECT_TRUE(dialogs->shown.isEmpty());
    EXPECT_EQ(capture()->cell(1, 1), QStringLiteral("72.5"));
    EXPECT_EQ(capture()->cell(1, 2), QStringLiteral("----"));
    EXPECT_EQ(capture()->cell(1, 3), QStringLiteral("150.0"));
    EXPECT_EQ(capture()->cell(4, 1), QStringLiteral("dBA"));
    EXPECT_EQ(capture()->cell(5, 1), QStringLiteral("FAST"));
    EXPECT_EQ(capture()->cell(0, 1), QStringLiteral("01"));
    EXPECT_TRUE(capture()->cell(1, 4).isEmpty());
    clock.advance(20);
    // The header area in 16 blocks, then 'Q' and 'X'.
    EXPECT_TRUE(written().contains(QStringLiteral("cP") + QString(15, QLatin1Char('y')) +
                                   QStringLiteral("QX")))
        << written().toStdString();
    expectLiveLinkBack();

    // Saved as 99 lines, reopened in a window of its own.
    main->mdiArea()->setActiveSubWindow(main->subWindowOf(capture()));
    const QString file = dir.filePath(QStringLiteral("stored.CAP"));
    dialogs->fileNames = {file};
    main->Save1Click();
    EXPECT_EQ(readAll(file).count('\n'), 99);
    dialogs->fileNames = {file};
    whenModal([](QWidget* w) { child<QPushButton>(w, "btnOpenCapture")->click(); });
    main->Open1Click();
    auto* opened = qobject_cast<TfrmDataCapture*>(main->activeChild());
    ASSERT_NE(opened, nullptr);
    EXPECT_NE(opened, capture());
    EXPECT_EQ(opened->cell(1, 2), QStringLiteral("----"));
    EXPECT_EQ(opened->cell(0, 1), QStringLiteral("1"));
    EXPECT_EQ(opened->cell(0, 99), QStringLiteral("99"));
    EXPECT_EQ(opened->cell(0, 100), QStringLiteral("100"));
    EXPECT_TRUE(opened->cell(1, 13).isEmpty());

    // A second recall with fewer readings empties the rows beyond them.
    meter.memory().bytes()[20] = 1;
    main->RECALL1Click();
    EXPECT_EQ(capture()->cell(1, 1), QStringLiteral("72.5"));
    EXPECT_TRUE(capture()->cell(1, 2).isEmpty());
    EXPECT_TRUE(capture()->cell(5, 3).isEmpty());

    // Closing any capture window makes the next recall open a new one.
    main->subWindowOf(opened)->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(appState().DataCaptureWindow, nullptr);
}

TEST_F(SetupUi, ASilentMeterEndsTheRecallWithXAndTheLinkBack) {
    meter.setSilent(true);
    meter.hostWrites.clear();
    const qint64 start = clock.msecs();
    main->RECALL1Click();
    EXPECT_TRUE(written().contains(QLatin1String("PQ")) || written().contains(QLatin1String("PX")))
        << written().toStdString();
    EXPECT_TRUE(written().contains(QLatin1Char('X')));
    EXPECT_LT(clock.msecs() - start, 15'000);
    EXPECT_TRUE(capture()->cell(1, 1).isEmpty());
    meter.setSilent(false);
    expectLiveLinkBack();
}

TEST_F(SetupUi, CalibrationSendsTheJFrame) {
    QString bad;
    whenModal([](QWidget* w) {
        auto* d = qobject_cast<TfrmCali*>(w);
        d->Edit1->setText(QStringLiteral("11"));
        d->Edit2->setText(QStringLiteral("3"));
        d->Button1Click();
        d->Edit2->setText(QStringLiteral("x"));
        d->Button1Click();
        d->Button2->click();
    });
    meter.hostWrites.clear();
    main->Cali1Click();
    clock.advance(50);
    EXPECT_EQ(meter.calibrationLo, 3);
    EXPECT_EQ(meter.calibrationHi, 11);
    int jFrames = 0;
    for (const QByteArray& w : meter.hostWrites)
        jFrames += w == QByteArray::fromHex("024A030B00000003");
    EXPECT_EQ(jFrames, 1);  // the text that is no number sent nothing
    EXPECT_EQ(dialogs->shown.value(0), QStringLiteral("'x' is not a valid integer value"));
    EXPECT_TRUE(main->link().mainTimer().isActive());
}

class ServiceUi : public SetupUi {
protected:
    void SetUp() override {
        service = true;
        SetupUi::SetUp();
    }
};

TEST_F(ServiceUi, TheFactorySequence) {
    EXPECT_TRUE(main->action(QStringLiteral("Cali1"))->isVisible());
    TfrmSetup* s = setup();
    EXPECT_FALSE(s->Button5->isHidden());
    ImageBuilder b;
    b.add(10);
    meter.memory().load(b.finish());

    // An invalid interval stops the sequence after the clock: nothing erased.
    s->edtInt1->setText(QStringLiteral("02"));
    s->edtInt2->setText(QStringLiteral("00"));
    s->Button5Click();
    EXPECT_EQ(dialogs->shown, QStringList{QStringLiteral("設定失敗")});
    EXPECT_EQ(meter.memory().setCount(), 1);
    EXPECT_EQ(meter.boots, 1);
    expectLiveLinkBack();

    dialogs->shown.clear();
    s->edtInt1->setText(QStringLiteral("00"));
    s->edtInt2->setText(QStringLiteral("02"));
    s->Button5Click();
    EXPECT_TRUE(dialogs->shown.isEmpty()) << dialogs->shown.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(meter.memory().setCount(), 0);
    EXPECT_EQ(meter.memory().intervalSeconds(), 2);
    EXPECT_EQ(s->lblDataSets->text(), QStringLiteral("0"));
    EXPECT_EQ(s->lblMemTest->text(), QStringLiteral("OK"));
    EXPECT_EQ(meter.boots, 2);
    expectLiveLinkBack();
}

TEST_F(SetupUi, WithoutServiceTheFactoryPartsStayHidden) {
    EXPECT_FALSE(main->action(QStringLiteral("Cali1"))->isVisible());
    EXPECT_TRUE(main->action(QStringLiteral("Setup1"))->isVisible());
    EXPECT_TRUE(setup()->Button5->isHidden());
}
