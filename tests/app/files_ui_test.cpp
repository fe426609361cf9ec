#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "MainFixture.h"
#include "Modal.h"
#include "TestFiles.h"
#include "files/CaptureFile.h"
#include "files/GraphFile.h"
#include "files/ListGridModel.h"
#include "files/Ulist.h"
#include "files/Uscope.h"
#include "graph/PESGraph.h"
#include "graph/Ugraph.h"
#include "logger/CollectionFile.h"
#include "logger/ImageBuilder.h"
#include "logger/MemoryImageParser.h"

namespace {

class FilesUi : public MainFixture {
protected:
    void SetUp() override { start(false); }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    int windowsOf(const char* className) const {
        int n = 0;
        for (QMdiSubWindow* w : main->mdiArea()->subWindowList())
            n += QLatin1String(w->widget()->metaObject()->className()) == QLatin1String(className);
        return n;
    }
    // Open, the single data file choice, and the given file.
    void open(const QString& file) {
        dialogs->fileNames = {file};
        whenModal([](QWidget* w) { child<QPushButton>(w, "btnOpenSingleSet")->click(); });
        main->Open1Click();
    }
    // Save with the range dialog answered "All".
    void save(const QString& file) {
        dialogs->fileNames = {file};
        whenModal([](QWidget* w) { child<QPushButton>(w, "BitBtn1")->click(); });
        main->Save1Click();
    }
    void activate(QWidget* child) { main->mdiArea()->setActiveSubWindow(main->subWindowOf(child)); }
    TfrmGraph* tableGraph(const QByteArray& text) {
        writeAll(path("table.txt"), text);
        open(path("table.txt"));
        main->btnOutputToGraphClick();
        return main->frmGraph();
    }
    QString text(TfrmGraph* g, const char* name) const {
        return g->field(QLatin1String(name))->text();
    }
};

const QByteArray kThreeRows =
    "12/10/26\t10:00:00\t60.0\r\n12/10/26\t10:00:01\t70.0\r\n"
    "12/10/26\t10:00:02\t80.0\r\n";

}  // namespace

TEST_F(FilesUi, OpenOffersItsChoicesAndTheFilters) {
    QString single, capture;
    bool captureShown = false, captureEnabled = false, setsEnabled = false;
    whenModal([&](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Open File"));
        single = child<QPushButton>(w, "btnOpenSingleSet")->text();
        captureShown = child<QPushButton>(w, "btnOpenCapture")->isVisible();
        captureEnabled = child<QPushButton>(w, "btnOpenCapture")->isEnabled();
        setsEnabled = child<QPushButton>(w, "btnOpenSets")->isEnabled();
        child<QPushButton>(w, "btnOpenSingleSet")->click();
    });
    main->Open1Click();
    EXPECT_EQ(single, QStringLiteral("Open single data file(*.TXT,*.CSV,*.GHF)"));
    EXPECT_TRUE(captureShown);
    EXPECT_TRUE(captureEnabled);
    EXPECT_TRUE(setsEnabled);
    EXPECT_EQ(dialogs->lastFolder, appState().DataFolder);
    EXPECT_EQ(dialogs->lastFilter,
              QStringLiteral("Graph file(*.ghf,only for NX410)|*.GHF|TXT file(*.txt,data seperated "
                             "by tab)|*.TXT|EXCEL file format(*.CSV,seperated by comma)|*.CSV"));

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    whenModal([&](QWidget* w) {
        single = child<QPushButton>(w, "btnOpenSingleSet")->text();
        child<QPushButton>(w, "btnOpenSingleSet")->click();
    });
    main->Open1Click();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(single, QStringLiteral("Open single data flle(*.TXT,*.GHF)"));
    EXPECT_FALSE(dialogs->lastFilter.contains(QLatin1String("CSV")));
}

TEST_F(FilesUi, GraphFileRoundTrip) {
    TfrmGraph* g = tableGraph(kThreeRows);
    ASSERT_NE(g, nullptr);
    g->chart()->doc().annotations[5] = {g->chart()->doc().x(1), 90, AnnotationType::Cross, {}, 0};
    g->chart()->doc().look.mainTitle = QStringLiteral("Boiler house");
    activate(g);
    dialogs->fileNames = {path("saved.GHF")};
    main->Save1Click();
    EXPECT_EQ(dialogs->lastDefaultExt, QStringLiteral("GHF"));
    const QByteArray bytes = readAll(path("saved.GHF"));
    ASSERT_GT(bytes.size(), 4);

    open(path("saved.GHF"));
    TfrmGraph* back = main->frmGraph();
    ASSERT_NE(back, g);
    EXPECT_TRUE(back->caption().endsWith(QLatin1String("saved.GHF")));
    EXPECT_TRUE(back->chart()->doc() == g->chart()->doc());
    for (const char* f :
         {"txtDataNo", "txtStartTime", "txtAvgAll", "txtMax", "txtMaxTime", "txtMin", "txtMinTime"})
        EXPECT_EQ(text(back, f), text(g, f)) << f;
    EXPECT_EQ(back->chart()->doc().annotation(5).type, AnnotationType::Cross);

    // Extra bytes behind the block are ignored; short, forged and random files are refused.
    writeAll(path("extra.ghf"), bytes + "tail");
    open(path("extra.ghf"));
    EXPECT_NE(main->frmGraph(), back);
    const int graphs = windowsOf("TfrmGraph");
    QByteArray random(300, '\0');
    for (int i = 0; i < random.size(); ++i)
        random[i] = static_cast<char>((i * 73 + 11) % 256);
    random[0] = 20;
    random[1] = random[2] = random[3] = 0;
    for (const QByteArray& bad : {QByteArray("\x01\x00", 2),
                                  QByteArray("\xff\xff\xff\x0f"
                                             "abc",
                                             7),
                                  random}) {
        writeAll(path("bad.ghf"), bad);
        dialogs->shown.clear();
        open(path("bad.ghf"));
        EXPECT_TRUE(dialogs->shown.contains(QStringLiteral("Stream read error")));
        EXPECT_EQ(windowsOf("TfrmGraph"), graphs);
    }
    open(path("missing.ghf"));
    EXPECT_TRUE(dialogs->shown.back().startsWith(QStringLiteral("Cannot open file \"")));
}

TEST_F(FilesUi, SaveDispatchesOnTheActiveWindow) {
    TfrmGraph* g = tableGraph(kThreeRows);
    activate(g);
    dialogs->fileNames = {path("notes.dat")};
    main->Save1Click();
    EXPECT_FALSE(QFile::exists(path("notes.dat")));

    save(path("points.txt"));
    EXPECT_EQ(readAll(path("points.txt")), kThreeRows);

    // The control panel and an empty window list save nothing.
    main->ControlPanel1Click();
    dialogs->shown.clear();
    main->Save1Click();
    EXPECT_TRUE(dialogs->shown.isEmpty());

    // The DataLogger graph asks which kind of file first.
    g->setCaption(TfrmGraph::dataLoggerCaption());
    activate(g);
    QString caption, single;
    bool captureShown = true;
    whenModal([&](QWidget* w) {
        caption = w->windowTitle();
        single = child<QPushButton>(w, "btnOpenSingleSet")->text();
        captureShown = child<QPushButton>(w, "btnOpenCapture")->isVisible();
        child<QPushButton>(w, "Button1")->click();
    });
    main->Save1Click();
    EXPECT_EQ(caption, QStringLiteral("Save File"));
    EXPECT_EQ(single, QStringLiteral("Save single selected  data set to a  file"));
    EXPECT_FALSE(captureShown);
}

TEST_F(FilesUi, TextRoundTripThroughAListWindow) {
    TfrmGraph* g = tableGraph(kThreeRows);
    activate(g);
    save(path("points.csv"));
    open(path("points.csv"));
    auto* list = qobject_cast<TfrmList*>(main->activeChild());
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(main->button(QStringLiteral("btnOutputToGraph"))->isEnabled());
    EXPECT_EQ(list->grid().RowCount(), 4);
    EXPECT_EQ(list->grid().Cells(0, 0), QStringLiteral("No"));
    EXPECT_EQ(list->grid().Cells(3, 0), QStringLiteral("Value"));
    EXPECT_EQ(list->grid().Cells(3, 3), QStringLiteral("80.0"));
    // The list saved again: date, time, level and four separators.
    save(path("again.txt"));
    EXPECT_TRUE(readAll(path("again.txt")).startsWith("12/10/26\t10:00:00\t60.0\t\t\t\t\r\n"));

    main->btnOutputToGraphClick();
    TfrmGraph* back = main->frmGraph();
    ASSERT_NE(back, g);
    EXPECT_EQ(back->caption(), list->windowTitle());
    EXPECT_FALSE(main->button(QStringLiteral("btnOutputToGraph"))->isEnabled());
    EXPECT_TRUE(back->chart()->doc().saveState().size() > 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(back->chart()->doc().x(i), g->chart()->doc().x(i));
        EXPECT_EQ(back->chart()->doc().y(i), g->chart()->doc().y(i));
    }
}

TEST_F(FilesUi, TableToGraphOfThreeRows) {
    TfrmGraph* g = tableGraph(kThreeRows);
    ASSERT_NE(g, nullptr);
    const GraphDocument& d = g->chart()->doc();
    EXPECT_EQ(d.points(), 3);
    EXPECT_EQ(d.manualMinX, d.x(0));
    EXPECT_EQ(d.manualMaxX, d.x(2));
    EXPECT_EQ(text(g, "txtAvgAll"), QStringLiteral("70.0"));
    EXPECT_EQ(text(g, "txtMax"), QStringLiteral("80.0"));
    EXPECT_EQ(text(g, "txtMaxTime"), QStringLiteral("12/10/26 10:00:02 AM"));
    EXPECT_EQ(text(g, "txtMin"), QStringLiteral("60.0"));
    EXPECT_EQ(text(g, "txtMinTime"), QStringLiteral("12/10/26 10:00:00 AM"));
    EXPECT_EQ(g->rateList()->currentText(), QStringLiteral("1.0"));
}

TEST_F(FilesUi, TablesThatDoNotConvert) {
    writeAll(path("empty.txt"), "\t10:00:00\t60.0\n");
    open(path("empty.txt"));
    const int graphs = windowsOf("TfrmGraph");
    main->btnOutputToGraphClick();
    EXPECT_EQ(dialogs->shown.back(), QStringLiteral("No data to graph !"));
    EXPECT_EQ(windowsOf("TfrmGraph"), graphs);

    TfrmGraph* g = tableGraph("12/10/26\t10:00:00\t60.0\nlater\t10:00:01\t70.0\n");
    EXPECT_EQ(dialogs->shown.back(),
              QStringLiteral("'later 10:00:01' is not a valid date and time"));
    ASSERT_NE(g, nullptr);  // the window stays, its chart not set up
    EXPECT_EQ(windowsOf("TfrmGraph"), graphs + 1);
    EXPECT_EQ(text(g, "txtDataNo"), QStringLiteral("0"));

    // An unconverted row in between is left out of the statistics.
    TfrmGraph* h = tableGraph(
        "12/10/26\t10:00:00\t60.0\n12/10/26\t10:00:01\t--\n"
        "12/10/26\t10:00:02\t80.0\n");
    EXPECT_EQ(text(h, "txtDataNo"), QStringLiteral("3"));
    EXPECT_EQ(text(h, "txtMax"), QStringLiteral("80.0"));
    EXPECT_EQ(text(h, "txtAvgAll"), QStringLiteral("70.0"));
}

TEST_F(FilesUi, RangeDialog) {
    struct Case {
        const char *from, *to;
        bool ok;
        int first, last;
    } cases[] = {{"-5", "3", true, 3, 5}, {"0", "1000", true, 1, 100}, {"abc", "3", false, 0, 0}};
    for (const Case& c : cases) {
        whenModal([&](QWidget* w) {
            EXPECT_EQ(w->windowTitle(), QStringLiteral("Save File"));
            EXPECT_EQ(child<QLineEdit>(w, "edtSelTo")->text(), QStringLiteral("100"));
            child<QRadioButton>(w, "radNo")->setChecked(true);
            child<QLineEdit>(w, "edtSelFrom")->setText(QLatin1String(c.from));
            child<QLineEdit>(w, "edtSelTo")->setText(QLatin1String(c.to));
            child<QPushButton>(w, "BitBtn1")->click();
        });
        dialogs->shown.clear();
        const auto r = TfrmScope::askRange(main.get(), 100);
        ASSERT_EQ(r.has_value(), c.ok) << c.from;
        if (r) {
            EXPECT_EQ(r->first, c.first);
            EXPECT_EQ(r->last, c.last);
        } else {
            EXPECT_EQ(dialogs->shown.value(0), QStringLiteral("invalid integer"));
        }
    }
    whenModal([](QWidget* w) { w->close(); });  // closing counts as Cancel
    EXPECT_FALSE(TfrmScope::askRange(main.get(), 100).has_value());
}

TEST_F(FilesUi, ARangeThatSelectsNothingLeavesTheChosenFileAsItWas) {
    TfrmGraph* g = tableGraph(kThreeRows);
    activate(g);
    writeAll(path("keep.txt"), "precious\r\n");
    for (const char* from : {"-2147483648", "500"}) {
        SCOPED_TRACE(from);
        dialogs->fileNames = {path("keep.txt")};
        whenModal([from](QWidget* w) {
            child<QLineEdit>(w, "edtSelFrom")->setText(QLatin1String(from));
            child<QLineEdit>(w, "edtSelTo")->setText(QLatin1String(from));
            child<QRadioButton>(w, "radNo")->setChecked(true);
            child<QPushButton>(w, "BitBtn1")->click();
        });
        main->Save1Click();
        EXPECT_EQ(readAll(path("keep.txt")), QByteArray("precious\r\n"));
    }
}

TEST_F(FilesUi, ProgressDialogCancelStopsTheLoop) {
    TfrmScope progress(main.get());
    progress.showProgress(QStringLiteral("Saving Progress"), QStringLiteral("saving....."), 10,
                          true);
    EXPECT_TRUE(progress.Progress1->isVisible());
    EXPECT_FALSE(progress.GroupBox1->isVisible());
    ProgressPacer pace(progress, clock, true);
    EXPECT_TRUE(pace(1));
    EXPECT_EQ(progress.Progress1->value(), 1);
    progress.BitBtn2->click();
    EXPECT_TRUE(progress.isVisible());  // the loop closes it when it stops
    EXPECT_FALSE(pace(2));
}

// sonodesk FILE...: each file in its own window, as File > Open opens its kind.
TEST_F(FilesUi, FilesOfTheCommandLineOpenEachInItsOwnWindow) {
    TfrmGraph* g = tableGraph(kThreeRows);
    ASSERT_NE(g, nullptr);
    QString error;
    ASSERT_TRUE(writeGraphFile(g->chart()->doc(), path("survey.ghf"), &error));
    QByteArray csv = kThreeRows;
    csv.replace('\t', ',');
    writeAll(path("survey.csv"), csv);
    ImageBuilder b;
    b.add(12);
    const QByteArray image = b.finish();
    ASSERT_TRUE(logger::writeImageFile(path("meter.REC"), image, logger::imageLastAddress(image)));
    ASSERT_TRUE(
        writeCaptureFile(path("stored.CAP"), {{"62.3", "12/10/26", "10:00:00", "dBA", "FAST"}}));
    struct Case {
        const char* file;
        const char* window;
    };
    for (const Case& c : {Case{"survey.ghf", "TfrmGraph"}, Case{"survey.csv", "TfrmList"},
                          Case{"meter.REC", "TfrmGraph"}, Case{"stored.CAP", "TfrmDataCapture"}}) {
        const int before = windowsOf(c.window);
        EXPECT_TRUE(main->openFile(path(c.file))) << c.file;
        EXPECT_EQ(windowsOf(c.window), before + 1) << c.file;
    }
    bool graphShown = false;
    for (TfrmGraph* w : main->graphWindows())
        graphShown = graphShown || w->caption().endsWith(QLatin1String("survey.ghf"));
    EXPECT_TRUE(graphShown);
    ASSERT_NE(appState().DataLoggerWindow, nullptr);
    EXPECT_EQ(main->loggerData().sets.size(), 1);
    dialogs->shown.clear();
    EXPECT_FALSE(main->openFile(path("noise.wav")));
    writeAll(path("noise.wav"), "RIFF");
    EXPECT_FALSE(main->openFile(path("noise.wav")));
    ASSERT_EQ(dialogs->shown.size(), 2);
    EXPECT_TRUE(dialogs->shown[0].startsWith(QLatin1String("Cannot open file \"")));
    EXPECT_TRUE(dialogs->shown[1].contains(QLatin1String("is none of the files SonoDesk opens")));
}
