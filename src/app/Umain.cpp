#include "app/Umain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "app/Glyphs.h"
#include "app/Uabout.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/Guard.h"
#include "core/LocaleText.h"
#include "core/Settings.h"
#include "files/GraphFile.h"
#include "files/GridPrint.h"
#include "files/GridPrinter.h"
#include "files/ListGridModel.h"
#include "files/Udatacapture.h"
#include "files/Ulist.h"
#include "graph/GraphReport.h"
#include "graph/PESGraph.h"
#include "graph/Recording.h"
#include "graph/UsetupRealTime.h"
#include "link/SerialDevice.h"
#include "link/SimDevice.h"
#include "link/TComPort.h"
#include "panel/LcdImages.h"
#include "panel/PanelUpdate.h"
#include "panel/Upanel.h"
#include "sim/MeterEmulator.h"

namespace {
QPrinter& sharedPrinter() {
    // Printer Setup keeps its choice here for every later job.
    static QPrinter printer;
    return printer;
}
}  // namespace

QString TfrmMain::simPortName() {
    return QStringLiteral("Simulated NX410");
}

TfrmMain::TfrmMain(Clock& clock, MainOptions options, QWidget* parent)
    : QMainWindow(parent), clock_(clock), options_(std::move(options)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(QIcon(glyphs::meterIcon(64)));
    resize(938 * logicalDpiX() / 120, 693 * logicalDpiY() / 120);

    MeterEmulator* sim = options_.simMeter;
    const auto opener = [sim, &clock, custom = options_.openDevice](const QString& device) {
        if (custom)
            return custom(device);
        if (sim && device == MeterLink::deviceNameFor(simPortName()))
            return openSimDevice(*sim, clock);
        return openSerialDevice(device);
    };
    comm1_ = std::make_unique<TComPort>(opener);
    comm1_->setObjectName(QStringLiteral("Comm1"));
    comm1_->OnError = abortOnComError;
    // The setup window's own port on the same device.
    comm2_ = std::make_unique<TComPort>(opener);
    comm2_->setObjectName(QStringLiteral("Comm2"));
    comm2_->OnError = abortOnComError;
    link_ = std::make_unique<MeterLink>(appState(), clock, *comm1_, static_cast<LinkView&>(*this));
    maxMinTimer_ = clock.createTimer();
    maxMinTimer_->setInterval(500);
    maxMinTimer_->onTimeout = [this] { MaxMinTimerTimer(); };

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("ClientArea"));
    // The client area never shows scroll bars or a border, also with a child partly outside.
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mdi_->setFrameShape(QFrame::NoFrame);
    mdi_->setBackground(QColor(128, 128, 128));
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        // The panel's FormActivate: tables become graphs only from a list window.
        // FormActivate of the children: tables become graphs only from a list window.
        if (!w)
            return;
        // Lists, data capture windows and graphs print; graphs also make reports.
        QWidget* child = w->widget();
        const bool graph = qobject_cast<TfrmGraph*>(child) != nullptr;
        const bool prints =
            graph || qobject_cast<TfrmList*>(child) || qobject_cast<TfrmDataCapture*>(child);
        action(QStringLiteral("Print1"))->setEnabled(prints);
        button(QStringLiteral("btnPrint"))->setEnabled(prints);
        action(QStringLiteral("ExportReport1"))->setEnabled(graph);
        if (qobject_cast<TfrmList*>(w->widget()))
            button(QStringLiteral("btnOutputToGraph"))->setEnabled(true);
        else if (qobject_cast<TfrmPanel*>(w->widget()) || qobject_cast<TfrmGraph*>(w->widget()))
            button(QStringLiteral("btnOutputToGraph"))->setEnabled(false);
    });

    buildMenus();
    buildToolbar();
    buildStatusBar();

    // FormCreate
    AppState& st = appState();
    const DateFormatFacts facts = dateFormatFacts(QLocale().dateFormat(QLocale::ShortFormat));
    st.DateSeparator = facts.separator;
    st.DateOrder = facts.order;
    {
        std::unique_ptr<QSettings> store =
            options_.openSettings ? options_.openSettings() : settings::open();
        settings::read(*store, st);
    }
    LcdImages::load();
    QStringList ports;
    if (sim)
        ports << simPortName();
    ports << options_.extraPorts;
    if (options_.listSystemPorts)
        for (const QString& p : systemSerialPorts())
            if (!ports.contains(p))
                ports << p;
    link_->ports = ports;
    link_->selectedPort = ports.isEmpty() ? -1 : 0;
    portListChanged();
    comm1_->setDeviceName(MeterLink::deviceNameFor(link_->selectedPortName()));
    comm1_->setOnRxChar([this](TComPort*) { link_->Comm1RxChar(); });
}

TfrmMain::~TfrmMain() {
    link_->mainTimer().stop();
    maxMinTimer_->stop();
    // Children that outlive this window's state must not reach back into it.
    for (QMdiSubWindow* w : mdi_->subWindowList())
        delete w;
    comm1_->setOnRxChar(nullptr);
    comm1_->Close();
    LcdImages::release();
    appState().PanelWindow = nullptr;
}

QAction* TfrmMain::action(const QString& name) const {
    return actions_.value(name);
}
QToolButton* TfrmMain::button(const QString& name) const {
    return buttons_.value(name);
}
QString TfrmMain::statusText(int panel) const {
    return status_[panel]->text();
}

TfrmPanel* TfrmMain::panel() const {
    return appState().PanelWindow;
}

void TfrmMain::buildMenus() {
    auto add = [this](QMenu* menu, const char* name, const char* caption) {
        auto* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QLatin1String(name));
        actions_.insert(QLatin1String(name), a);
        return a;
    };
    auto sep = [this](QMenu* menu, const char* name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(QLatin1String(name));
        actions_.insert(QLatin1String(name), a);
    };
    auto top = [this](const char* name, const char* caption) {
        QMenu* m = menuBar()->addMenu(QString::fromUtf8(caption));
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        actions_.insert(QLatin1String(name), m->menuAction());
        return m;
    };

    QMenu* file = top("File1", "&File");
    connect(add(file, "Open1", "&Open"), &QAction::triggered, this, &TfrmMain::Open1Click);
    connect(add(file, "Save1", "&Save"), &QAction::triggered, this, &TfrmMain::Save1Click);
    sep(file, "N1");
    QAction* print = add(file, "Print1", "&Print");
    print->setEnabled(false);  // until a window that prints is active
    connect(print, &QAction::triggered, this, &TfrmMain::btnPrintClick);
    QAction* report = add(file, "ExportReport1", "Export Report (PDF)...");
    report->setEnabled(false);  // until a graph window is active
    connect(report, &QAction::triggered, this, &TfrmMain::ExportReport1Click);
    connect(add(file, "PrinterSetup1", "&Printer Setup"), &QAction::triggered, this,
            &TfrmMain::PrinterSetup1Click);
    sep(file, "N2");
    connect(add(file, "Exit1", "E&xit"), &QAction::triggered, this, &TfrmMain::Exit1Click);

    QMenu* realTime = top("RealTime1", "Real Time");
    QAction* run = add(realTime, "Run1", "Run");
    run->setEnabled(false);
    connect(run, &QAction::triggered, this, &TfrmMain::btnRunClick);
    QAction* stop = add(realTime, "Stop1", "Stop");
    stop->setEnabled(false);
    connect(stop, &QAction::triggered, this, &TfrmMain::btnStopClick);

    QMenu* logger = top("DataLogger1", "&Data Logger");
    connect(add(logger, "LoadData1", "Load Data"), &QAction::triggered, this,
            &TfrmMain::LoadData1Click);
    connect(add(logger, "EraseMemory1", "Erase Memory"), &QAction::triggered, this,
            &TfrmMain::EraseMemory1Click);
    // Setting the clock and the interval is everyday work; calibration is for the service bench.
    connect(add(logger, "Setup1", "Setup"), &QAction::triggered, this, &TfrmMain::Setup1Click);
    QAction* cali = add(logger, "Cali1", "Cali");
    cali->setVisible(options_.service);
    connect(cali, &QAction::triggered, this, &TfrmMain::Cali1Click);

    // RECALL is a top-level command of its own, with no items.
    QAction* recall = menuBar()->addAction(QStringLiteral("RECALL"));
    recall->setObjectName(QStringLiteral("RECALL1"));
    connect(recall, &QAction::triggered, this, &TfrmMain::RECALL1Click);
    actions_.insert(QStringLiteral("RECALL1"), recall);

    QMenu* view = top("View1", "&View");
    QAction* panel = add(view, "ControlPanel1", "&Control Panel");
    panel->setCheckable(true);
    panel->setChecked(true);
    connect(panel, &QAction::triggered, this, [this, panel] {
        panel->setChecked(appState().PanelWindow != nullptr);
        ControlPanel1Click();
    });
    QAction* graph = add(view, "RealTimeGraph1", "Real Time &Graph");
    graph->setCheckable(true);
    graph->setChecked(false);
    connect(graph, &QAction::triggered, this, [this, graph] {
        graph->setChecked(appState().RealTimeGraphWindow != nullptr);
        RealTimeGraph1Click();
    });

    windowMenu_ = top("Window1", "&Window");
    connect(windowMenu_, &QMenu::aboutToShow, this, &TfrmMain::fillWindowMenu);
    fillWindowMenu();

    QMenu* help = top("Help1", "&Help");
    connect(add(help, "Contents1", "&Contents"), &QAction::triggered, this,
            &TfrmMain::Contents1Click);
    sep(help, "N4");
    connect(add(help, "About1", "&About"), &QAction::triggered, this, &TfrmMain::About1Click);
}

void TfrmMain::fillWindowMenu() {
    windowMenu_->clear();
    QAction* tile = windowMenu_->addAction(QStringLiteral("&Tile"));
    tile->setObjectName(QStringLiteral("Tile1"));
    actions_.insert(QStringLiteral("Tile1"), tile);
    connect(tile, &QAction::triggered, this, &TfrmMain::Tile1Click);
    QAction* cascade = windowMenu_->addAction(QStringLiteral("&Cascade"));
    cascade->setObjectName(QStringLiteral("Cascade1"));
    actions_.insert(QStringLiteral("Cascade1"), cascade);
    connect(cascade, &QAction::triggered, this, &TfrmMain::Cascade1Click);
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    if (!windows.isEmpty())
        windowMenu_->addSeparator();
    int n = 0;
    for (QMdiSubWindow* w : windows) {
        QAction* a =
            windowMenu_->addAction(QStringLiteral("&%1 %2").arg(++n).arg(w->windowTitle()));
        a->setCheckable(true);
        a->setChecked(w == mdi_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w = QPointer<QMdiSubWindow>(w)] {
            if (w) {
                if (w->isMinimized())
                    w->showNormal();
                mdi_->setActiveSubWindow(w);
            }
        });
    }
}

void TfrmMain::buildToolbar() {
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(36);
    bar->setIconSize(QSize(24, 24));
    bar->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, bar);
    auto add = [this, bar](const char* name, const char* hint, glyphs::Kind kind) {
        auto* b = new QToolButton(bar);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(QLatin1String(hint));
        b->setIcon(glyphs::icon(kind));
        b->setAutoRaise(true);
        bar->addWidget(b);
        buttons_.insert(QLatin1String(name), b);
        return b;
    };
    connect(add("SpeedButton1", "Open File", glyphs::Kind::Open), &QToolButton::clicked, this,
            &TfrmMain::Open1Click);
    connect(add("SpeedButton2", "Save to file", glyphs::Kind::Save), &QToolButton::clicked, this,
            &TfrmMain::Save1Click);
    QToolButton* printButton = add("btnPrint", "Print", glyphs::Kind::Print);
    printButton->setEnabled(false);
    connect(printButton, &QToolButton::clicked, this, &TfrmMain::btnPrintClick);
    bar->addSeparator();
    connect(add("btnDataLogger", "Data Logger", glyphs::Kind::Logger), &QToolButton::clicked, this,
            &TfrmMain::LoadData1Click);
    QToolButton* toGraph =
        add("btnOutputToGraph", "Output Tabular to graph", glyphs::Kind::TableToGraph);
    toGraph->setEnabled(false);  // until a list window is active
    connect(toGraph, &QToolButton::clicked, this, &TfrmMain::btnOutputToGraphClick);
    bar->addSeparator();
    QToolButton* run = add("btnRun", "Start Graphing Real Time Data", glyphs::Kind::Run);
    run->setEnabled(false);
    connect(run, &QToolButton::clicked, this, &TfrmMain::btnRunClick);
    QToolButton* stop = add("btnStop", "Stop Graphing Real Time Data", glyphs::Kind::Stop);
    stop->setEnabled(false);
    connect(stop, &QToolButton::clicked, this, &TfrmMain::btnStopClick);
    bar->addSeparator();
    connect(add("SpeedButton8", "Help", glyphs::Kind::Help), &QToolButton::clicked, this,
            &TfrmMain::Contents1Click);
    bar->addSeparator();

    ComboBoxDeviceName = new QComboBox(bar);
    ComboBoxDeviceName->setObjectName(QStringLiteral("ComboBoxDeviceName"));
    ComboBoxDeviceName->setPlaceholderText(QStringLiteral("ComPort"));
    ComboBoxDeviceName->setMinimumContentsLength(16);
    ComboBoxDeviceName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    bar->addWidget(ComboBoxDeviceName);
    connect(ComboBoxDeviceName, &QComboBox::activated, this, &TfrmMain::ComboBoxDeviceNameChange);

    // Never shown: the frame counters and an edit field without a role.
    Label1 = new QLabel(bar);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setVisible(false);
    MaskEdit1 = new QLineEdit(bar);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit1->setVisible(false);
}

void TfrmMain::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 2; ++i) {
        status_[i] = new QLabel(bar);
        status_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        status_[i]->setMinimumWidth(50);
        status_[i]->setFrameShape(QFrame::Panel);
        status_[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(status_[i], i == 1 ? 1 : 0);
    }
}

void TfrmMain::FormShow(TfrmAbout* splash) {
    if (shown_)
        return;
    shown_ = true;
    AppState& st = appState();
    splash_ = splash;
    const QString docs = !options_.documentsFolder.isNull()
                             ? options_.documentsFolder
                             : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    st.DataFolder = dataFolderFor(docs);
    setWindowTitle(st.ModelName);
    openPanel();
    // The real-time graph beside the panel, with the focus.
    if (TfrmGraph* g = CreateRealTimeGraph()) {
        QMdiSubWindow* sub = subWindowOf(g);
        const int left = panelSub_ ? panelSub_->width() : 0;
        const int height = panelSub_ ? panelSub_->height() : sub->height();
        sub->setGeometry(left, 0, std::max(200, mdi_->width() - left), height);
        mdi_->setActiveSubWindow(sub);
    }
    setSplashStatus(QStringLiteral("Initializing COM Port ..."));
    bool found = false;
    try {
        found = link_->FindMeter();
    } catch (const EAbort&) {
    }
    link_->applySearchOutcome(found);
    resetPanelForConnection();
    showDataLogger();
    link_->startLiveLink();
    link_->mainTimer().start();
    if (splash_) {
        splash_->setStatus(QString());
        splash_->close();
        splash_ = nullptr;
    }
    offerRecovery();
}

void TfrmMain::openPanel() {
    auto* panel = new TfrmPanel(*link_, clock_);
    panelSub_ = mdi_->addSubWindow(panel, Qt::SubWindow | Qt::FramelessWindowHint);
    panelSub_->setObjectName(QStringLiteral("PanelSubWindow"));
    panelSub_->setAttribute(Qt::WA_DeleteOnClose);
    panelSub_->setWindowTitle(panel->windowTitle());
    panelSub_->setFixedSize(panel->size());
    panelSub_->move(0, 0);
    panelSub_->show();
    appState().PanelWindow = panel;
    appState().ForceRedraw = true;
    if (QAction* a = action(QStringLiteral("ControlPanel1")))
        a->setChecked(true);
    connect(panel, &TfrmPanel::closing, this, [this] {
        if (QAction* a = action(QStringLiteral("ControlPanel1")))
            a->setChecked(false);
    });
}

void TfrmMain::ControlPanel1Click() {
    if (appState().PanelWindow && panelSub_) {
        panelSub_->showNormal();
        mdi_->setActiveSubWindow(panelSub_);
        return;
    }
    openPanel();
}

void TfrmMain::Exit1Click() {
    // Ends the message loop at once: no close handlers, no settings written, no save questions.
    // Nobody was asked about unsaved recordings, so their journals stay for the next start.
    keepJournalsForNextStart();
    QCoreApplication::exit(0);
}

void TfrmMain::Tile1Click() {
    mdi_->tileSubWindows();
}
void TfrmMain::Cascade1Click() {
    mdi_->cascadeSubWindows();
}

void TfrmMain::About1Click() {
    AppState& st = appState();
    if (!st.AboutWindow) {
        auto* about = new TfrmAbout(this);
        st.AboutWindow = about;
    }
    static_cast<TfrmAbout*>(st.AboutWindow)->exec();
}

QString TfrmMain::helpFilePath() const {
    const QString name = appState().ModelName == QLatin1String("NX880245")
                             ? QStringLiteral("NX880245Help.htm")
                             : QStringLiteral("NX410Help.htm");
    // Beside the program in the build tree, in share/sonodesk once installed.
    const QDir bin(QCoreApplication::applicationDirPath());
    const QString beside = bin.filePath(name);
    const QString installed = bin.filePath(QStringLiteral("../share/sonodesk/") + name);
    return QFileInfo::exists(beside) || !QFileInfo::exists(installed) ? beside
                                                                      : QDir::cleanPath(installed);
}

void TfrmMain::Contents1Click() {
    const QString path = helpFilePath();
    // A missing help file is not reported.
    if (QFileInfo::exists(path))
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool TfrmMain::choosePrinter(QPrinter& printer) {
    if (options_.choosePrinter)
        return options_.choosePrinter(printer);
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
}

void TfrmMain::btnPrintClick() {
    QWidget* child = activeChild();
    if (auto* list = qobject_cast<TfrmList*>(child)) {
        if (!choosePrinter(sharedPrinter()))
            return;
        const ListGridModel& grid = list->grid();
        printGridLines(sharedPrinter(),
                       gridPrintLines([&grid](int c, int r) { return grid.Cells(c, r); },
                                      grid.RowCount(), grid.ColCount(), GridRule::List));
    } else if (auto* capture = qobject_cast<TfrmDataCapture*>(child)) {
        if (!choosePrinter(sharedPrinter()))
            return;
        printGridLines(sharedPrinter(),
                       gridPrintLines([capture](int c, int r) { return capture->cell(c, r); },
                                      capture->rowCount() + 1, 6, GridRule::DataCapture));
    } else if (auto* graph = qobject_cast<TfrmGraph*>(child)) {
        PESGraph* chart = graph->chart();
        {
            // The print path's customisation shows no pages of its own; they come back after.
            const FlagGuard fonts(chart->AllowFontPage, false);
            const FlagGuard page1(chart->AllowPage1, false);
            const FlagGuard page2(chart->AllowPage2, false);
            const FlagGuard subsets(chart->AllowSubsetsPage, false);
            chart->PEactions(PESGraph::sgCustomize);
        }
        chart->printer = &sharedPrinter();
        chart->choosePrinter = [this](QPrinter& p) { return choosePrinter(p); };
        chart->PEactions(PESGraph::sgPrintDialog);
    }
}

void TfrmMain::ExportReport1Click() {
    auto* graph = qobject_cast<TfrmGraph*>(activeChild());
    if (!graph)
        return;
    QString selected;
    const QString path = Dialogs::instance().saveFileName(
        QStringLiteral("Export Report"), fileFolder(), QStringLiteral("PDF report(*.pdf)|*.PDF"),
        &selected, QStringLiteral("PDF"));
    if (path.isEmpty())
        return;
    QString error;
    if (!writeGraphReport(*graph, path, clock_.now(), &error))
        Dialogs::instance().error(
            QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), error));
}

void TfrmMain::PrinterSetup1Click() {
    QPageSetupDialog dialog(&sharedPrinter(), this);
    dialog.exec();
}

void TfrmMain::ComboBoxDeviceNameChange(int index) {
    if (updatingPorts_)
        return;
    try {
        link_->ComboBoxDeviceNameChange(index);
    } catch (const EAbort&) {
    }
}

void TfrmMain::MaxMinTimerTimer() {
    AppState& st = appState();
    FlagGuard busy(st.BlinkBusy);
    st.BlinkPhase = !st.BlinkPhase;
    if (st.PanelWindow)
        st.PanelWindow->setBlink(st.BlinkPhase);
}

void TfrmMain::DecodeLiveFrame(const LiveFrameBytes& frame, TDateTime t) {
    AppState& st = appState();
    const DecodedFrame d = decodeLiveFrame(frame);
    applyFrameFlags(st, d);
    if (st.PanelWindow)
        showFrameOnPanel(st, d, *st.PanelWindow, *maxMinTimer_);
    if (st.RealTimeRunning && st.RealTimeGraphWindow)
        RecordRealTimeSample(t, d.level);
}

bool TfrmMain::FormCloseQuery() {
    // Every graph window asks about its unsaved data first; one Cancel keeps everything open.
    for (TfrmGraph* g : graphWindows())
        if (!g->FormCloseQuery())
            return false;
    comm1_->Close();
    link_->Delay(100);
    return true;
}

void TfrmMain::FormClose() {
    std::unique_ptr<QSettings> store =
        options_.openSettings ? options_.openSettings() : settings::open();
    settings::write(*store, appState());
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

// LinkView

void TfrmMain::setCommandEnabled(Command c, bool on) {
    QObject* target = nullptr;
    switch (c) {
        case Command::BtnRun:
            target = button(QStringLiteral("btnRun"));
            break;
        case Command::Run1:
            target = action(QStringLiteral("Run1"));
            break;
        case Command::BtnStop:
            target = button(QStringLiteral("btnStop"));
            break;
        case Command::Stop1:
            target = action(QStringLiteral("Stop1"));
            break;
        case Command::BtnDataLogger:
            target = button(QStringLiteral("btnDataLogger"));
            break;
        case Command::DataLoggerMenu:
            target = action(QStringLiteral("DataLogger1"));
            break;
        case Command::ClearButton:
            if (TfrmGraph* g = appState().RealTimeGraphWindow)
                g->toolButton(QStringLiteral("tbntClr"))->setEnabled(on);
            return;
    }
    if (!target)
        return;
    if (auto* a = qobject_cast<QAction*>(target))
        a->setEnabled(on);
    if (auto* w = qobject_cast<QWidget*>(target))
        w->setEnabled(on);
}

void TfrmMain::showDataLogger() {
    action(QStringLiteral("DataLogger1"))->setVisible(true);
    button(QStringLiteral("btnDataLogger"))->setVisible(true);
}

void TfrmMain::setStatus(int panel, const QString& text) {
    status_[panel]->setText(text);
}

void TfrmMain::setNoConnectionShown(bool shown) {
    if (TfrmPanel* p = panel())
        p->setNoConnectionShown(shown);
}

void TfrmMain::resetPanelForConnection() {
    if (TfrmPanel* p = panel())
        p->resetForConnection();
}

void TfrmMain::setSplashStatus(const QString& text) {
    if (splash_)
        splash_->setStatus(text);
}

void TfrmMain::portListChanged() {
    FlagGuard quiet(updatingPorts_);
    if (ComboBoxDeviceName->count() != link_->ports.size() || [&] {
            for (int i = 0; i < link_->ports.size(); ++i)
                if (ComboBoxDeviceName->itemText(i) != link_->ports[i])
                    return true;
            return false;
        }()) {
        ComboBoxDeviceName->clear();
        ComboBoxDeviceName->addItems(link_->ports);
    }
    ComboBoxDeviceName->setCurrentIndex(link_->selectedPort);
}

void TfrmMain::setCounters(const QString& text) {
    Label1->setText(text);
}

void TfrmMain::liveFrame(const LiveFrameBytes& frame, TDateTime t) {
    DecodeLiveFrame(frame, t);
}

void TfrmMain::processEvents() {
    QCoreApplication::processEvents();
}

// Real-time recording

namespace {
using tdt::kSecond;
}

QMdiSubWindow* TfrmMain::subWindowOf(QWidget* child) const {
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (w->widget() == child)
            return w;
    return nullptr;
}

QList<TfrmGraph*> TfrmMain::graphWindows() const {
    QList<TfrmGraph*> out;
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (auto* g = qobject_cast<TfrmGraph*>(w->widget()))
            out << g;
    return out;
}

QMdiSubWindow* TfrmMain::addGraphWindow(TfrmGraph* graph) {
    QMdiSubWindow* sub = mdi_->addSubWindow(graph);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowTitle(graph->caption());
    sub->setWindowIcon(windowIcon());
    // The client area is 1275 x 709 at creation, centred on the screen.
    sub->resize(graph->size() + (sub->size() - sub->contentsRect().size()));
    return sub;
}

void TfrmMain::setRunStop(bool run, bool stop) {
    setCommandEnabled(Command::BtnRun, run);
    setCommandEnabled(Command::Run1, run);
    setCommandEnabled(Command::BtnStop, stop);
    setCommandEnabled(Command::Stop1, stop);
}

TfrmGraph* TfrmMain::CreateRealTimeGraph() {
    AppState& st = appState();
    auto* g = new TfrmGraph(*this);
    g->setCaption(TfrmGraph::realTimeCaption());
    st.RealTimeGraphWindow = g;
    QMdiSubWindow* sub = addGraphWindow(g);
    setRealTimeGraphTicked(true);
    sub->move(sub->x(), 0);
    const TDateTime now = clock_.now();
    InitGraph(*g->chart(), 1, 130, 30, now + st.RealTimeRate * 2000 * kSecond, now, 2000);
    g->chart()->doc().look.yAxisLabel = QStringLiteral("dB");
    g->chart()->doc().look.allowBar = false;
    g->chart()->PEactions(PESGraph::sgReinitAndReset);
    g->makeRealTime(st.RealTimeRate);
    st.LastSampleMs = clock_.msecs();
    sub->show();
    return g;
}

void TfrmMain::RealTimeGraph1Click() {
    if (TfrmGraph* g = appState().RealTimeGraphWindow) {
        if (QMdiSubWindow* sub = subWindowOf(g)) {
            sub->showNormal();
            mdi_->setActiveSubWindow(sub);
        }
        return;
    }
    CreateRealTimeGraph();
}

void TfrmMain::btnRunClick() {
    AppState& st = appState();
    if (!st.Connected)
        return;
    TfrmGraph* g = st.RealTimeGraphWindow;
    if (g) {
        QMdiSubWindow* sub = subWindowOf(g);
        if (sub)
            sub->showNormal();
        if (st.RealTimeRunning || st.SampleCount > 0) {
            if (sub)
                mdi_->setActiveSubWindow(sub);
            const auto answer = Dialogs::instance().question(
                QStringLiteral("There are datas in Real_Time graph ,it have to reset the graph.\n"
                               "Do you want to save the Real-Time graph ?"),
                Dialogs::Buttons::YesNoCancel);
            if (answer == Dialogs::Answer::Cancel)
                return;
            // Nothing saved (the file dialog cancelled): the recording is not reset.
            if (answer == Dialogs::Answer::Yes && !SaveGraph(g))
                return;
            // The window may have been closed while the question was open.
            g = st.RealTimeGraphWindow;
            if (!g)
                g = CreateRealTimeGraph();
        }
    } else {
        g = CreateRealTimeGraph();
    }

    std::optional<int> n;
    double rate = 0;
    bool rateOk = false;
    QString entered;
    {
        TfrmSetupRealTime dialog(this);
        dialog.txtRate->setCurrentText(g->rateList()->currentText());
        dialog.showInitialPeriod(st.RealTimeRate);
        if (dialog.exec() != QDialog::Accepted)
            return;
        rate = localetext::toDouble(dialog.txtRate->currentText(), &rateOk);
        if (!rateOk) {
            Dialogs::instance().error(localetext::notANumberText(dialog.txtRate->currentText()));
            return;
        }
        n = dialog.samples();
        entered = dialog.edtRealTimeNo->text();
    }
    if (!n) {
        Dialogs::instance().message(entered + QStringLiteral(" is not valid.\n"));
        return;
    }
    // The window may have gone while the dialog was open.
    g = st.RealTimeGraphWindow;
    if (!g)
        return;
    st.RealTimeRate = static_cast<float>(rate);
    g->selectRate(rate);
    g->clearStatistics();
    const TDateTime start = clock_.now();
    startRecording(st, g->chart()->doc(), *n, start);
    // Every sample goes to the journal as it is taken; the old recording's journal goes.
    QString journalError;
    if (auto journal = RecordingJournal::create({start, st.RealTimeRate, *n}, &journalError))
        keepJournal(g, std::move(journal));
    else
        dropJournal(g);
    g->setStatistic(QStringLiteral("txtStartTime"), localetext::dateTimeText(start));
    g->setStatistic(QStringLiteral("txtDataNo"), QStringLiteral("0"));
    g->redraw();
    g->toolButton(QStringLiteral("tbntClr"))->setEnabled(false);
    setRunStop(false, true);
    if (!journalError.isEmpty())
        Dialogs::instance().error(journalError +
                                  QStringLiteral("\nThe recording goes on without a journal: "
                                                 "save it before you close SonoDesk."));
}

void TfrmMain::RecordRealTimeSample(TDateTime frameTime, float level) {
    AppState& st = appState();
    TfrmGraph* g = st.RealTimeGraphWindow;
    if (!g)
        return;
    const bool fastest = g->rateList()->currentIndex() == 0;
    const SampleResult r =
        recordSample(st, g->chart()->doc(), clock_.msecs(), frameTime, level, fastest);
    if (r.newMax) {
        g->setStatistic(QStringLiteral("txtMax"), localetext::fixed1(level));
        g->setStatistic(QStringLiteral("txtMaxTime"), localetext::dateTimeText(frameTime));
    }
    if (r.newMin) {
        g->setStatistic(QStringLiteral("txtMin"), localetext::fixed1(level));
        g->setStatistic(QStringLiteral("txtMinTime"), localetext::dateTimeText(frameTime));
    }
    if (r.taken) {
        journalSample(st.SampleCount - 1, frameTime, level);
        g->setStatistic(QStringLiteral("txtDataNo"), QString::number(st.SampleCount));
    }
    if (r.redraw)
        g->redraw();
    if (r.full)
        btnStopClick();
}

void TfrmMain::btnStopClick() {
    AppState& st = appState();
    st.RealTimeRunning = false;
    setRunStop(st.Connected, false);
    TfrmGraph* g = st.RealTimeGraphWindow;
    if (!g)
        return;
    if (QMdiSubWindow* sub = subWindowOf(g))
        sub->showNormal();
    g->toolButton(QStringLiteral("tbntClr"))->setEnabled(true);
    const double average = stopRecording(st, g->chart()->doc(), clock_.now());
    g->redraw();
    g->setStatistic(QStringLiteral("txtAvgAll"), localetext::fixed1(average));
    g->resetSlider(st.SampleCount);
    g->redraw();
}

void TfrmMain::realTimeGraphClosed() {
    setRealTimeGraphTicked(false);
    setRunStop(appState().Connected, false);
}

void TfrmMain::setRealTimeGraphTicked(bool ticked) {
    if (QAction* a = action(QStringLiteral("RealTimeGraph1")))
        a->setChecked(ticked);
}
