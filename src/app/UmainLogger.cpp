// The main window's data logger commands: Load Data with its repair, and the data set
// collection files. The exchanges and the parsing live in src/logger.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSaveFile>

#include "app/Umain.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/Guard.h"
#include "files/CaptureFile.h"
#include "files/Udatacapture.h"
#include "files/Uinfo.h"
#include "files/Uscope.h"
#include "graph/PESGraph.h"
#include "link/TComPort.h"
#include "logger/CollectionFile.h"
#include "logger/LoggerTransfer.h"
#include "logger/MemoryImageParser.h"
#include "logger/StoredReadings.h"
#include "logger/Ucali.h"
#include "logger/Usetup.h"

namespace {

// The notice and the progress dialog of a transfer, on the main window.
class TransferWindows final : public logger::TransferView {
public:
    TransferWindows(QWidget* owner, Clock& clock) : owner_(owner), clock_(clock) {}

    void showInfo() override {
        info_ = std::make_unique<TfrmInfo>(owner_);
        info_->show();
        QCoreApplication::processEvents();
    }
    void closeInfo() override { info_.reset(); }
    void startProgress(int total) override {
        scope_ = std::make_unique<TfrmScope>(owner_);
        scope_->showTransfer(total);
        QCoreApplication::processEvents();
    }
    bool progress(int received) override {
        if (!scope_)
            return true;
        // Repaint between blocks, at most every 50 ms: the transfer itself sets the pace.
        const qint64 now = clock_.msecs();
        scope_->setReceived(received);
        if (last_ < 0 || now - last_ >= 50) {
            last_ = now;
            QCoreApplication::processEvents();
        }
        return scope_->result != TfrmScope::mrCancel;
    }
    void endProgress() override {
        if (scope_)
            scope_->close();
        scope_.reset();
    }

private:
    QWidget* owner_;
    Clock& clock_;
    std::unique_ptr<TfrmInfo> info_;
    std::unique_ptr<TfrmScope> scope_;
    qint64 last_ = -1;
};

QString collectionSaveFilter() {
    return QStringLiteral("Data Set Collection file(*.rec,only for %1)|*.REC").arg(modelVariant());
}

}  // namespace

TfrmGraph* TfrmMain::dataLoggerWindow() {
    AppState& st = appState();
    if (TfrmGraph* g = st.DataLoggerWindow) {
        if (QMdiSubWindow* sub = subWindowOf(g))
            sub->showNormal();
        return g;
    }
    auto* g = new TfrmGraph(*this);
    g->setCaption(TfrmGraph::dataLoggerCaption());
    st.DataLoggerWindow = g;
    QMdiSubWindow* sub = addGraphWindow(g);
    sub->setGeometry(0, 0, mdi_->width(), std::max(200, mdi_->height() - 60));
    const TDateTime now = clock_.now();
    InitGraph(*g->chart(), 1, 130, 30, now + 500 * tdt::kSecond, now, 500);
    g->redraw();
    sub->show();
    mdi_->setActiveSubWindow(sub);
    return g;
}

void TfrmMain::LoadData1Click() {
    AppState& st = appState();
    if (!st.Connected) {
        Dialogs::instance().message(QStringLiteral("There is no connection with multimeter !"));
        return;
    }
    if (st.MeterRecording) {
        Dialogs::instance().message(QStringLiteral(
            "The meter is recording data, please stop recording before loading data."));
        return;
    }
    dataLoggerWindow();
    // The live link is given back on every way out, the watchdog 100 ms after the handler.
    QuietLink quiet(*link_);
    clock_.delay(300);
    for (;;) {
        int r = logger::kShortTransfer;
        try {
            r = LoadLoggerData();
        } catch (const EAbort&) {
            // The port failed midway (a pulled cable): the same as a transfer that fell short.
        }
        Dialogs::Answer answer = Dialogs::Answer::Cancel;
        switch (r) {
            case logger::kOk:
                st.LoggerDataUnsaved = true;
                return;
            case logger::kCancelled:
                return;
            case logger::kTooManySets:
                Dialogs::instance().message(QStringLiteral("Memory error!"));
                return;
            case logger::kNoSets:
                Dialogs::instance().message(
                    QStringLiteral("There is not any recorded data in memory!"));
                return;
            case logger::kBadSet:
                answer = Dialogs::instance().question(
                    QStringLiteral("Data error ! It may be owing to connect meter with PC while "
                                   "meter was recording data. It is recommended that don't "
                                   "connect meter with PC while recording  Choose Retry to "
                                   "reload or OK to delete the error data set."),
                    Dialogs::Buttons::RetryOkCancel);
                break;
            default:
                answer = Dialogs::instance().question(
                    QStringLiteral("There was error when reading data from meter"),
                    Dialogs::Buttons::RetryCancel);
                break;
        }
        if (answer == Dialogs::Answer::Retry)
            continue;
        if (answer == Dialogs::Answer::Ok && r == logger::kBadSet) {
            try {
                repairLogger();
            } catch (const EAbort&) {
                Dialogs::instance().message(QStringLiteral("Fixing error failed !"));
            }
        }
        return;
    }
}

int TfrmMain::LoadLoggerData() {
    TransferWindows windows(this, clock_);
    logger::LoggerSession session(*comm1_, clock_, appState().loggerFrame);
    logger::Download d = session.DownloadMemoryImage(windows);
    if (d.code != logger::kOk)
        return d.code;
    logger::ParseResult parsed = logger::parseMemoryImage(d.image, d.lastAddress, clock_.now());
    if (parsed.code == logger::kBadSet) {
        logger_.badSetIndex = parsed.badSetIndex;
        logger_.badSetEnd = parsed.badSetEnd;
    }
    if (parsed.code != logger::kOk)
        return parsed.code;
    logger_.sets = std::move(parsed.sets);
    logger_.lastAddress = d.lastAddress;
    TfrmGraph* g = dataLoggerWindow();
    g->setDataSets(&logger_.sets);
    g->ShowDataSet(0);
    // The temp file keeps what is shown, for Save.
    QString error;
    if (!logger::writeTempFile(appState().DataFolder, d.image, d.lastAddress, &error))
        Dialogs::instance().error(error);
    return logger::kOk;
}

void TfrmMain::repairLogger() {
    logger::LoggerSession session(*comm1_, clock_, appState().loggerFrame);
    for (const auto& [address, value] :
         logger::repairWrites(logger_.badSetIndex, logger_.badSetEnd))
        if (!session.writeHeaderByte(address, value))
            Dialogs::instance().message(QStringLiteral("Fixing error failed !"));
    Dialogs::instance().message(
        QStringLiteral("Please power off and power on meter before recording data or loading "
                       "again!"));
}

void TfrmMain::SaveDataSetCollection() {
    QString selected;
    const QString path =
        Dialogs::instance().saveFileName(QStringLiteral("Save"), fileFolder(),
                                         collectionSaveFilter(), &selected, QStringLiteral("REC"));
    if (path.isEmpty())
        return;
    QFile temp(logger::tempFilePath(appState().DataFolder));
    if (!temp.open(QIODevice::ReadOnly))
        return;  // nothing downloaded or opened yet
    const QByteArray bytes = temp.readAll();
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        Dialogs::instance().error(QStringLiteral("Cannot save %1: %2")
                                      .arg(QDir::toNativeSeparators(path), out.errorString()));
        return;
    }
    appState().LoggerDataUnsaved = false;
}

void TfrmMain::OpenDataSetCollection() {
    TfrmGraph* g = dataLoggerWindow();
    const QString path = Dialogs::instance().openFileName(
        QStringLiteral("Open"), fileFolder(), QStringLiteral("Data Sets Collection (*.REC)|*.REC"));
    if (!path.isEmpty())
        openCollectionFile(path, g);
}

bool TfrmMain::openCollectionFile(const QString& path, TfrmGraph* g) {
    const logger::CollectionFile file = logger::readCollectionFile(path);
    if (!file.ok) {
        Dialogs::instance().error(logger::notACollectionText(path, file.error));
        return false;
    }
    logger::ParseResult parsed =
        logger::parseMemoryImage(file.image, file.lastAddress, clock_.now());
    if (parsed.code != logger::kOk) {
        Dialogs::instance().error(logger::notACollectionText(
            path, logger::parseRefusalText(parsed.code, parsed.badSetIndex, parsed.badSetEnd)));
        return false;
    }
    if (!g)
        g = dataLoggerWindow();
    logger_.sets = std::move(parsed.sets);
    logger_.lastAddress = file.lastAddress;
    g->setDataSets(&logger_.sets);
    g->ShowDataSet(0);
    QString error;
    if (!logger::writeTempFile(appState().DataFolder, file.image, file.lastAddress, &error))
        Dialogs::instance().error(error);
    return true;
}

void TfrmMain::EraseMemory1Click() {
    eraseMeterMemory(*link_);
}

void TfrmMain::Setup1Click() {
    if (frmSetup_) {
        if (QMdiSubWindow* sub = subWindowOf(frmSetup_))
            sub->showNormal();
        return;
    }
    auto* setup = new TfrmSetup(*link_, *comm2_, clock_, options_.service);
    frmSetup_ = setup;
    QMdiSubWindow* sub = mdi_->addSubWindow(setup);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(windowIcon());
    sub->resize(sub->sizeHint().expandedTo(QSize(460, 560)));
    sub->move(std::max(0, (mdi_->width() - sub->width()) / 2),
              std::max(0, (mdi_->height() - sub->height()) / 2));
    sub->show();
}

void TfrmMain::Cali1Click() {
    AppState& st = appState();
    while (st.TimerBusy)
        QCoreApplication::processEvents();
    link_->mainTimer().stop();
    while (st.ReceiveBusy)
        QCoreApplication::processEvents();
    // The watchdog comes back however the dialog ends; the live frames go on meanwhile.
    ScopeExit restart([this] { link_->mainTimer().start(); });
    TfrmCali dialog(*comm1_, this);
    dialog.exec();
}

void TfrmMain::RECALL1Click() {
    AppState& st = appState();
    auto* window = qobject_cast<TfrmDataCapture*>(st.DataCaptureWindow);
    if (window) {
        if (QMdiSubWindow* sub = subWindowOf(window))
            sub->showNormal();
    } else {
        window = new TfrmDataCapture;
        st.DataCaptureWindow = window;
        addCaptureWindow(window);
    }
    window->clearReadings();
    clock_.delay(100);
    if (!st.Connected) {
        Dialogs::instance().message(QStringLiteral("There is no connection with Quietex1 !"));
        return;
    }
    if (st.MeterRecording) {
        Dialogs::instance().message(QStringLiteral(
            "The Quietex1 is recording data, please stop recording before loading data."));
        return;
    }
    QByteArray header;
    {
        QuietLink quiet(*link_);
        logger::LoggerSession session(*comm1_, clock_, st.loggerFrame);
        logger::TransferView silent;
        try {
            header = session.RecallHeader(silent);
        } catch (const EAbort&) {
        }
    }
    const std::vector<logger::StoredReading> readings = logger::storedReadings(header);
    QPointer<TfrmDataCapture> alive(window);
    for (std::size_t k = 0; k < readings.size() && alive; ++k)
        window->setReading(static_cast<int>(k) + 1, logger::storedReadingRow(readings[k]));
}

QMdiSubWindow* TfrmMain::addCaptureWindow(TfrmDataCapture* window) {
    QMdiSubWindow* sub = mdi_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(windowIcon());
    sub->resize(window->size() + (sub->size() - sub->contentsRect().size()));
    // Whichever capture window closes, the next RECALL makes a new one.
    connect(window, &TfrmDataCapture::closed, this, [] { appState().DataCaptureWindow = nullptr; });
    sub->move(std::max(0, (mdi_->width() - sub->width()) / 2),
              std::max(0, (mdi_->height() - sub->height()) / 2));
    sub->show();
    mdi_->setActiveSubWindow(sub);
    return sub;
}

void TfrmMain::SaveCaptureFile(TfrmDataCapture* window) {
    QString selected;
    const QString path = Dialogs::instance().saveFileName(QStringLiteral("Save"), fileFolder(),
                                                          QStringLiteral(" CAP file(*.CAP)|*.CAP"),
                                                          &selected, QStringLiteral("CAP"));
    if (path.isEmpty())
        return;
    QString error;
    if (!writeCaptureFile(path, window->readings(kCaptureRows), &error))
        Dialogs::instance().error(
            QStringLiteral("Cannot save %1: %2").arg(QDir::toNativeSeparators(path), error));
}

void TfrmMain::OpenCaptureFile() {
    const QString path = Dialogs::instance().openFileName(
        QStringLiteral("Open"), fileFolder(),
        QStringLiteral("Capture file(*.CAP,only for %1)|*.CAP").arg(modelVariant()));
    if (!path.isEmpty())
        openCaptureFile(path);
}

TfrmDataCapture* TfrmMain::openCaptureFile(const QString& path) {
    const auto rows = readCaptureFile(path);
    if (!rows)
        return nullptr;
    auto* window = new TfrmDataCapture;
    window->setWindowTitle(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    for (std::size_t r = 0; r < rows->size(); ++r)
        window->setReading(static_cast<int>(r) + 1, (*rows)[r], QString::number(r + 1));
    addCaptureWindow(window);
    return window;
}
