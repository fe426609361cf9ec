// The main window's file commands: Open, Save and turning a table into a graph.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include "app/Umain.h"
#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/LocaleText.h"
#include "files/DateTimeText.h"
#include "files/GraphFile.h"
#include "files/ListGridModel.h"
#include "files/TableToGraph.h"
#include "files/TextFiles.h"
#include "files/Udatacapture.h"
#include "files/Ulist.h"
#include "files/UopenSave.h"
#include "files/Uscope.h"
#include "graph/PESGraph.h"

namespace {
using tdt::kSecond;

bool decimalComma() {
    return QLocale().decimalPoint() == QLatin1String(",");
}

QString lowerSuffix(const QString& path) {
    const int dot = static_cast<int>(path.lastIndexOf(QLatin1Char('.')));
    const int slash = static_cast<int>(
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))));
    return dot > slash ? path.mid(dot).toLower() : QString();
}

}  // namespace

QString modelVariant() {
    return appState().ModelName == QLatin1String("NX880245") ? QStringLiteral("NX880245")
                                                             : QStringLiteral("NX410");
}

namespace {
QString gridFilter() {
    return decimalComma() ? QStringLiteral(" TXT file(*.txt,data seperated by tab)|*.TXT")
                          : QStringLiteral(
                                "TXT file(*.txt,data seperated by tab)|*.TXT|EXCEL file "
                                "format(*.csv,seperated by comma) |*.CSV");
}
}  // namespace

QString TfrmMain::fileFolder() const {
    const QString f = appState().DataFolder;
    return f.isEmpty() ? QCoreApplication::applicationDirPath() : f;
}

QString TfrmMain::graphFilter() const {
    QString f = QStringLiteral(
                    "Graph file(*.ghf,only for %1)|*.GHF|TXT file(*.txt,data "
                    "seperated by tab)|*.TXT")
                    .arg(modelVariant());
    if (!decimalComma())
        f += QStringLiteral("|EXCEL file format(*.CSV,seperated by comma)|*.CSV");
    return f;
}

QWidget* TfrmMain::activeChild() const {
    QMdiSubWindow* w = mdi_->activeSubWindow();
    return w ? w->widget() : nullptr;
}

void TfrmMain::Open1Click() {
    int choice = 0;
    {
        TfrmOpenSave dialog(this);
        dialog.setWindowTitle(QStringLiteral("Open File"));
        dialog.setUpForOpen(decimalComma());
        choice = dialog.exec();
    }
    if (choice == TfrmOpenSave::mrOk)
        OpenDataSetCollection();
    else if (choice == TfrmOpenSave::mrNo)
        OpenSingleDataFile();
    else if (choice == TfrmOpenSave::mrNoToAll)
        OpenCaptureFile();
}

void TfrmMain::OpenSingleDataFile() {
    const QString path =
        Dialogs::instance().openFileName(QStringLiteral("Open"), fileFolder(), graphFilter());
    if (path.isEmpty())
        return;
    const QString ext = lowerSuffix(path);
    if (ext == QLatin1String(".ghf"))
        openGraphFile(path);
    else if (ext == QLatin1String(".csv"))
        openTextFile(path, ',');
    else if (ext == QLatin1String(".txt"))
        openTextFile(path, '\t');
}

bool TfrmMain::openFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        Dialogs::instance().error(cannotOpenText(path, QStringLiteral("No such file")));
        return false;
    }
    const QString ext = lowerSuffix(path);
    if (ext == QLatin1String(".ghf"))
        return openGraphFile(path) != nullptr;
    if (ext == QLatin1String(".csv"))
        return openTextFile(path, ',') != nullptr;
    if (ext == QLatin1String(".txt"))
        return openTextFile(path, '\t') != nullptr;
    if (ext == QLatin1String(".rec"))
        return openCollectionFile(path);
    if (ext == QLatin1String(".cap")) {
        if (openCaptureFile(path))
            return true;
        Dialogs::instance().error(cannotOpenText(path, QStringLiteral("It cannot be read")));
        return false;
    }
    Dialogs::instance().error(
        QStringLiteral("%1 is none of the files SonoDesk opens (.ghf, .txt, .csv, .rec, .cap)")
            .arg(QDir::toNativeSeparators(path)));
    return false;
}

void TfrmMain::Save1Click() {
    QWidget* child = activeChild();
    if (auto* list = qobject_cast<TfrmList*>(child)) {
        ExportGridText(list);
    } else if (auto* graph = qobject_cast<TfrmGraph*>(child)) {
        if (graph->isDataLogger()) {
            TfrmOpenSave dialog(this);
            dialog.setWindowTitle(QStringLiteral("Save File"));
            const int choice = dialog.exec();
            if (choice == TfrmOpenSave::mrOk)
                SaveDataSetCollection();
            else if (choice == TfrmOpenSave::mrNo)
                SaveGraph(graph);
        } else {
            SaveGraph(graph);
        }
    } else if (auto* capture = qobject_cast<TfrmDataCapture*>(child)) {
        SaveCaptureFile(capture);
    }
}

bool TfrmMain::saveGraph(TfrmGraph* graph) {
    // The close question saves what the window holds, as Save does with it active.
    if (QMdiSubWindow* sub = subWindowOf(graph))
        mdi_->setActiveSubWindow(sub);
    // The DataLogger window offers its own choice of what to save, as Save does.
    if (graph->isDataLogger() && activeChild() == graph) {
        Save1Click();
        return true;
    }
    return SaveGraph(graph);
}

bool TfrmMain::SaveGraph(TfrmGraph* graph) {
    QString selected;
    const QString path = Dialogs::instance().saveFileName(
        QStringLiteral("Save"), fileFolder(), graphFilter(), &selected, QStringLiteral("GHF"));
    if (path.isEmpty())
        return false;
    const QString ext = lowerSuffix(path);
    bool written = false;
    bool whole = false;
    if (ext == QLatin1String(".ghf")) {
        QString error;
        if (!writeGraphFile(graph->chart()->doc(), path, &error)) {
            Dialogs::instance().error(error);
            return false;
        }
        written = whole = true;
    } else if (ext == QLatin1String(".txt") || ext == QLatin1String(".csv")) {
        written = ExportGraphText(graph, path, ext == QLatin1String(".csv") ? ',' : '\t', &whole);
    }
    // Only a file of every point stands in for the journal: a part or a stopped export leaves it.
    if (whole)
        graphSaved(graph);
    return written;
}

bool TfrmMain::ExportGraphText(TfrmGraph* graph, const QString& path, char separator, bool* whole) {
    const GraphDocument& doc = graph->chart()->doc();
    // The export ends at the first place never written.
    int filled = 0;
    while (filled < doc.points() && doc.x(0, filled) != 0)
        ++filled;
    return exportWithProgress(doc.points(), [&](LineRange range, const LineProgress& progress) {
        const int lines = exportGraphText(doc, path, separator, range, progress);
        if (whole)
            *whole = range.first <= 1 && lines == filled;
        return lines >= 0;
    });
}

bool TfrmMain::exportWithProgress(
    int count, const std::function<bool(LineRange, const LineProgress&)>& write) {
    const auto range = TfrmScope::askRange(this, count);
    // A range that selects nothing writes nothing: the chosen file stays as it was.
    if (!range || range->empty())
        return false;
    TfrmScope progress(this);
    progress.showProgress(QStringLiteral("Saving Progress"), QStringLiteral("saving....."),
                          range->size(), true);
    ProgressPacer pace(progress, clock_, true);
    // A file that cannot be written is not reported: the old one stays as it was.
    const bool written = write(*range, std::ref(pace));
    progress.close();
    return written;
}

void TfrmMain::ExportGridText(TfrmList* list) {
    QString selected;
    const QString path = Dialogs::instance().saveFileName(
        QStringLiteral("Save"), fileFolder(), gridFilter(), &selected, QStringLiteral("TXT"));
    if (path.isEmpty())
        return;
    const ListGridModel& grid = list->grid();
    exportWithProgress(grid.RowCount() - 1, [&](LineRange range, const LineProgress& progress) {
        return exportGridText(grid, path, gridSeparatorFor(path), range, progress) >= 0;
    });
}

TfrmGraph* TfrmMain::openGraphFile(const QString& path) {
    QString error;
    const auto block = readGraphBlock(path, &error);
    GraphDocument loaded;
    if (block && !loaded.loadState(*block))
        error = streamReadError();
    if (!block || !error.isEmpty()) {
        Dialogs::instance().error(error);
        return nullptr;
    }
    auto* g = new TfrmGraph(*this);
    g->setCaption(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    frmGraph_ = g;
    g->chart()->doc() = std::move(loaded);
    QMdiSubWindow* sub = addGraphWindow(g);
    sub->setGeometry(0, 0, width(), std::max(200, mdi_->height() - 40));
    sub->show();
    g->chart()->PEactions(PESGraph::sgReinitAndReset);
    g->chart()->replotNow();
    g->UpdateGraphStatistics();
    g->chart()->PEactions(PESGraph::sgReinitAndReset);
    return g;
}

TfrmList* TfrmMain::openTextFile(const QString& path, char separator) {
    auto model = std::make_unique<ListGridModel>();
    ImportResult result;
    {
        TfrmScope progress(this);
        progress.showProgress(QStringLiteral("Open Progress"), QStringLiteral("0"), 0, false);
        progress.result = -1;
        ProgressPacer pace(progress, clock_, false);
        result = importText(path, separator, *model, std::ref(pace));
        progress.close();
    }
    if (!result.opened)
        return nullptr;
    auto* list = new TfrmList(model.release());
    list->setWindowTitle(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    QMdiSubWindow* sub = mdi_->addSubWindow(list);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(windowIcon());
    sub->resize(405, 460);
    sub->show();
    mdi_->setActiveSubWindow(sub);
    return list;
}

void TfrmMain::btnOutputToGraphClick() {
    auto* list = qobject_cast<TfrmList*>(activeChild());
    if (!list)
        return;
    const ListGridModel& grid = list->grid();
    if (!tableHasData(grid)) {
        Dialogs::instance().message(noDataToGraphText());
        return;
    }
    auto* g = new TfrmGraph(*this);
    g->setCaption(list->windowTitle());
    frmGraph_ = g;
    QMdiSubWindow* sub = addGraphWindow(g);
    sub->setGeometry(0, 0, width(), std::max(200, mdi_->height() - 40));
    sub->show();
    DateTimeReader reader;
    QString error;
    const auto span = tableSpan(grid, reader, &error);
    if (!span) {
        Dialogs::instance().error(error);
        return;
    }
    InitGraph(*g->chart(), 1, 130, 30, span->end, span->start, span->rows);
    {
        TfrmScope progress(this);
        progress.showProgress(QStringLiteral("Graphing Progress"), QStringLiteral("graphing....."),
                              span->rows, true);
        ProgressPacer pace(progress, clock_, true);
        tableToGraph(grid, g->chart()->doc(), reader, std::ref(pace));
        progress.close();
    }
    // The rows need not be in time order, and a cancelled conversion has fewer of them.
    fitTimeRange(g->chart()->doc());
    sub->showNormal();
    g->chart()->PEactions(PESGraph::sgReinitAndReset);
    g->chart()->replotNow();
    g->UpdateGraphStatistics();
    g->chart()->PEactions(PESGraph::sgReinitAndReset);
    g->redraw();
}
