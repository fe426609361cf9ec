#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>

#include "MainFixture.h"
#include "Modal.h"
#include "TestFiles.h"
#include "files/Udatacapture.h"
#include "files/Ulist.h"
#include "graph/GraphSetup.h"
#include "graph/PESGraph.h"
#include "graph/Ucustomize.h"
#include "graph/Ugraph.h"

namespace {

// The text of a PDF as pdftotext reads it, layout kept; empty without pdftotext.
QString pdfText(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Its lines with text (page ends and blank lines left out).
QStringList pdfLines(const QString& path) {
    QStringList lines;
    for (const QString& l : pdfText(path).split(QLatin1Char('\n')))
        if (!l.trimmed().isEmpty())
            lines << l;
    return lines;
}

class PrintUi : public MainFixture {
protected:
    void SetUpOptions(MainOptions& o) override {
        o.choosePrinter = [this](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf());
            ++printJobs;
            return true;
        };
    }
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext is not installed (scripts/setup.sh installs it)";
        QFile::remove(userTemplatePath());
        start(false);
    }
    void TearDown() override {
        QFile::remove(userTemplatePath());
        MainFixture::TearDown();
    }
    QString pdf() const { return dir.filePath(QStringLiteral("out.pdf")); }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    void activate(QWidget* w) { main->mdiArea()->setActiveSubWindow(main->subWindowOf(w)); }
    TfrmGraph* realTime() const { return appState().RealTimeGraphWindow; }
    int printJobs = 0;
};

}  // namespace

TEST_F(PrintUi, AListWindowPrintsItsGridAsText) {
    QByteArray text;
    for (int i = 0; i < 25; ++i)
        text += "12/10/26\t10:00:" + QByteArray::number(10 + i) + "\t61.5\r\n";
    writeAll(path("list.txt"), text);
    dialogs->fileNames = {path("list.txt")};
    whenModal([](QWidget* w) { child<QPushButton>(w, "btnOpenSingleSet")->click(); });
    main->Open1Click();
    ASSERT_NE(qobject_cast<TfrmList*>(main->activeChild()), nullptr);
    EXPECT_TRUE(main->action(QStringLiteral("Print1"))->isEnabled());
    main->btnPrintClick();
    EXPECT_EQ(printJobs, 1);
    const QStringList lines = pdfLines(pdf());
    ASSERT_EQ(lines.size(), 26);
    EXPECT_TRUE(lines[0].trimmed().startsWith(QLatin1String("No"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(QLatin1String("Date")));
    EXPECT_TRUE(lines[25].contains(QLatin1String("10:00:34")));

    // The control panel prints nothing.
    main->ControlPanel1Click();
    printJobs = 0;
    main->btnPrintClick();
    EXPECT_EQ(printJobs, 0);
}

TEST_F(PrintUi, ADataCaptureWindowPrintsReadingsAndEmptySlots) {
    auto* capture = new TfrmDataCapture;
    QMdiSubWindow* sub = main->mdiArea()->addSubWindow(capture);
    sub->show();
    main->mdiArea()->setActiveSubWindow(sub);
    for (int r = 1; r <= 12; ++r)
        capture->setReading(
            r, {QStringLiteral("7%1.5").arg(r % 10), QStringLiteral("12/10/26"),
                QStringLiteral("9:30:00 AM"), QStringLiteral("dBA"), QStringLiteral("FAST")});
    main->btnPrintClick();
    const QStringList lines = pdfLines(pdf());
    ASSERT_EQ(lines.size(), 13) << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(lines[0].contains(QLatin1String("Wei.")));
    EXPECT_TRUE(lines[12].contains(QLatin1String("72.5")));
}

TEST_F(PrintUi, AGraphGoesThroughTheShortCustomisationToThePrinter) {
    bool pagesHidden = false;
    whenModal([&pagesHidden](QWidget* w) {
        pagesHidden = child<QLabel>(w, "lblAsShown") != nullptr;
        child<QPushButton>(w, "btnOK")->click();
    });
    dialogs->answers = {Dialogs::Answer::No};
    activate(realTime());
    main->btnPrintClick();
    EXPECT_TRUE(pagesHidden);
    EXPECT_EQ(dialogs->shown.value(0), QStringLiteral("Do you want to save the changes ?"));
    EXPECT_TRUE(realTime()->chart()->AllowPage1);  // the pages come back
    EXPECT_EQ(printJobs, 1);
    const QString text = pdfText(pdf());
    EXPECT_TRUE(text.contains(QLatin1String("Time"))) << text.toStdString();  // vector text
}

TEST_F(PrintUi, CustomisingAndKeepingItAsTheTemplate) {
    TfrmGraph* g = realTime();
    const GraphLook before = g->chart()->doc().look;
    // Cancel changes nothing, even after a live preview.
    whenModal([](QWidget* w) {
        auto* d = qobject_cast<TfrmCustomize*>(w);
        d->edtMainTitle->setText(QStringLiteral("preview only"));
        d->btnCancel->click();
    });
    g->Button1Click();
    EXPECT_TRUE(g->chart()->doc().look == before);
    EXPECT_TRUE(dialogs->shown.isEmpty());

    // OK and No: only this window.
    whenModal([](QWidget* w) {
        auto* d = qobject_cast<TfrmCustomize*>(w);
        EXPECT_EQ(d->pages->count(), 4);
        d->setColor(TfrmCustomize::ColorRole::Back, QColor(0, 0, 64));
        d->btnOK->click();
    });
    dialogs->answers = {Dialogs::Answer::No};
    g->Button1Click();
    EXPECT_EQ(g->chart()->doc().look.backColor, PEargb(255, 0, 0, 64));
    EXPECT_FALSE(QFile::exists(userTemplatePath()));

    // OK and Yes: the template, which the next real-time graph takes.
    whenModal([](QWidget* w) {
        auto* d = qobject_cast<TfrmCustomize*>(w);
        d->setColor(TfrmCustomize::ColorRole::Subset, QColor(0, 255, 0));
        d->edtMainTitle->setText(QStringLiteral("Plant room"));
        d->cmbGridStyle->setCurrentIndex(static_cast<int>(GridStyle::Dash));
        d->setFont(TfrmCustomize::FontRole::Axis, QFont(QStringLiteral("Monospace"), 7));
        d->btnOK->click();
    });
    dialogs->answers = {Dialogs::Answer::Yes};
    g->Button1Click();
    ASSERT_TRUE(QFile::exists(userTemplatePath()));
    main->subWindowOf(g)->close();
    QCoreApplication::processEvents();
    ASSERT_EQ(realTime(), nullptr);
    main->RealTimeGraph1Click();
    ASSERT_NE(realTime(), nullptr);
    const GraphDocument& d = realTime()->chart()->doc();
    EXPECT_EQ(d.look.backColor, PEargb(255, 0, 0, 64));
    EXPECT_EQ(d.look.subsetColors.front(), PEargb(255, 0, 255, 0));
    EXPECT_EQ(d.look.mainTitle, QStringLiteral("Plant room"));
    EXPECT_EQ(d.look.gridStyle, GridStyle::Dash);
    EXPECT_TRUE(d.look.axisFont.startsWith(QLatin1String("Monospace,7")));
    EXPECT_EQ(d.points(), 2000);
    EXPECT_EQ(d.manualMinY, 30);
    EXPECT_EQ(d.manualMaxY, 130);
}

TEST_F(PrintUi, AReportIsAOnePageVectorPdfWithTheFigures) {
    TfrmGraph* g = realTime();
    activate(g);
    EXPECT_TRUE(main->action(QStringLiteral("ExportReport1"))->isEnabled());
    GraphDocument& d = g->chart()->doc();
    d.setPoints(3);
    for (int i = 0; i < 3; ++i) {
        d.setX(0, i, 46366.25 + i / 86400.0);
        d.setY(0, i, 60.0f + 10 * i);
    }
    g->UpdateGraphStatistics();
    dialogs->fileNames = {path("report.pdf")};
    main->ExportReport1Click();
    ASSERT_TRUE(QFile::exists(path("report.pdf")));
    const QString text = pdfText(path("report.pdf"));
    for (const char* expected :
         {"Real-Time Graph", "Report made", "Maximum:80.0", "Avg.:70.0", "Minimum:60.0",
          "Cursor A:", "Time", "Leq:75.7", "L90 Between A and B:"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << "\n"
                                                            << text.toStdString();
    EXPECT_EQ(text.count(QLatin1Char('\f')), 1);  // one page
}
