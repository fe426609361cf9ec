#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <memory>

#include "files/TextFiles.h"
#include "graph/RecordingJournal.h"
#include "graph/Ugraph.h"
#include "link/MeterLink.h"
#include "link/TComPort.h"
#include "logger/DataSetCollection.h"
#include "logger/Usetup.h"

class Clock;
class ClockTimer;
class MeterEmulator;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QSettings;
class QToolButton;
class TComPort;
class TfrmAbout;
class TfrmPanel;
class TfrmList;
class TfrmDataCapture;

// How the main window is started: the command line's ports, the simulated meter, and where the
// settings and documents live.
struct MainOptions {
    QStringList extraPorts;             // --port devices, listed ahead of the system's ports
    MeterEmulator* simMeter = nullptr;  // in demo mode, listed first
    bool listSystemPorts = true;
    std::function<std::unique_ptr<QSettings>()> openSettings;  // default: the real store
    QString documentsFolder;  // default: the user's documents folder
    bool service = false;     // the factory sequence and calibration are shown
    // Confirms a print job instead of the platform's print dialog (tests print to PDF).
    std::function<bool(QPrinter&)> choosePrinter;
    // Opens every device instead of the system's ports and the simulated meter (tests).
    std::function<std::unique_ptr<ComDevice>(const QString&)> openDevice;
};

// The model the file filters name: "NX880245" for that model, "NX410" for any other.
QString modelVariant();

// The multiple-document main window: menus, toolbar, status bar, the live link and its timers.
class TfrmMain : public QMainWindow, private LinkView, public GraphHost {
    Q_OBJECT
public:
    TfrmMain(Clock& clock, MainOptions options, QWidget* parent = nullptr);
    ~TfrmMain() override;

    static QString simPortName();

    // Start-up once the window is shown: the search, the panel, the live stream. Runs once.
    void FormShow(TfrmAbout* splash = nullptr);

    MeterLink& link() { return *link_; }
    TComPort& Comm1() { return *comm1_; }
    ClockTimer& MaxMinTimer() { return *maxMinTimer_; }
    QMdiArea* mdiArea() const { return mdi_; }
    TfrmPanel* panel() const;

    // Handlers
    void Exit1Click();
    void Tile1Click();
    void Cascade1Click();
    void About1Click();
    void Contents1Click();
    void ControlPanel1Click();
    void PrinterSetup1Click();
    // Prints the active list, data capture or graph window.
    void btnPrintClick();
    // File > "Export Report (PDF)..." on the active graph window.
    void ExportReport1Click();
    void ComboBoxDeviceNameChange(int index);
    void MaxMinTimerTimer();
    // DecodeLiveFrame: a good frame while connected.
    void DecodeLiveFrame(const LiveFrameBytes& frame, TDateTime t);

    // Real-time recording
    TfrmGraph* CreateRealTimeGraph();
    void RealTimeGraph1Click();
    void btnRunClick();
    void btnStopClick();
    void RecordRealTimeSample(TDateTime frameTime, float level);
    // Recordings a crash left behind: each is offered, and opens as a graph window on Yes.
    void offerRecovery();
    // A graph window holding the samples of a journal, which it keeps until saved or closed.
    TfrmGraph* recoverRecording(const QString& path, const RecordingJournal::Contents& contents);
    // The journal of a graph window's recording; null when it has none.
    const RecordingJournal* journalOf(TfrmGraph* graph) const;
    // Files
    void Open1Click();
    void Save1Click();
    void OpenSingleDataFile();
    // Saves a graph window's chart as graph file, text or CSV; false when nothing was written.
    bool SaveGraph(TfrmGraph* graph);
    // False when nothing was written; whole tells whether every point was.
    bool ExportGraphText(TfrmGraph* graph, const QString& path, char separator,
                         bool* whole = nullptr);
    void ExportGridText(TfrmList* list);
    // A new graph window from a graph file; none when the file does not read.
    TfrmGraph* openGraphFile(const QString& path);
    // A new list window from a text file; none when the file does not open.
    TfrmList* openTextFile(const QString& path, char separator);
    void btnOutputToGraphClick();
    // Data logger
    void LoadData1Click();
    // One attempt: download, parse, show; the result code.
    int LoadLoggerData();
    void SaveDataSetCollection();
    void OpenDataSetCollection();
    // The DataLogger graph window, made when missing, shown normal.
    TfrmGraph* dataLoggerWindow();
    LoggerData& loggerData() { return logger_; }
    void EraseMemory1Click();
    void Setup1Click();
    void Cali1Click();
    void RECALL1Click();
    void SaveCaptureFile(TfrmDataCapture* window);
    void OpenCaptureFile();
    // The files of the command line, or of the desktop, each as File > Open opens its kind;
    // false when it did not open.
    bool openFile(const QString& path);
    TfrmDataCapture* openCaptureFile(const QString& path);
    // Into the DataLogger window (made when null); false when the file is no collection.
    bool openCollectionFile(const QString& path, TfrmGraph* g = nullptr);
    TfrmSetup* frmSetup() const { return frmSetup_; }
    TComPort& Comm2() { return *comm2_; }
    // The widget of the active child window, if any.
    QWidget* activeChild() const;
    TfrmGraph* frmGraph() const { return frmGraph_; }
    // The graph windows, in the order of the window list.
    QList<TfrmGraph*> graphWindows() const;
    QMdiSubWindow* subWindowOf(QWidget* child) const;

    // GraphHost
    Clock& clock() override { return clock_; }
    bool saveGraph(TfrmGraph* graph) override;
    void realTimeGraphClosed() override;
    void setRealTimeGraphTicked(bool ticked) override;

    QAction* action(const QString& name) const;
    QToolButton* button(const QString& name) const;
    QString statusText(int panel) const;
    QString helpFilePath() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // LinkView
    void setCommandEnabled(Command c, bool on) override;
    void showDataLogger() override;
    void setStatus(int panel, const QString& text) override;
    void setNoConnectionShown(bool shown) override;
    void resetPanelForConnection() override;
    void setSplashStatus(const QString& text) override;
    void portListChanged() override;
    void setCounters(const QString& text) override;
    void liveFrame(const LiveFrameBytes& frame, TDateTime t) override;
    void processEvents() override;

    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void fillWindowMenu();
    void openPanel();
    bool FormCloseQuery();
    void FormClose();

    Clock& clock_;
    MainOptions options_;
    std::unique_ptr<TComPort> comm1_;
    std::unique_ptr<TComPort> comm2_;
    QPointer<TfrmSetup> frmSetup_;
    std::unique_ptr<MeterLink> link_;
    std::unique_ptr<ClockTimer> maxMinTimer_;
    QPointer<TfrmAbout> splash_;
    bool shown_ = false;
    bool updatingPorts_ = false;

    QMdiArea* mdi_ = nullptr;
    QPointer<QMdiSubWindow> panelSub_;
    QMdiSubWindow* addGraphWindow(TfrmGraph* graph);
    QMdiSubWindow* addCaptureWindow(TfrmDataCapture* window);
    QString fileFolder() const;
    // The range dialog, then write(range, progress) under the progress dialog.
    // True when something was written.
    bool exportWithProgress(int count,
                            const std::function<bool(LineRange, const LineProgress&)>& write);
    QString graphFilter() const;
    QPointer<TfrmGraph> frmGraph_;
    // The journal goes with its window: removed once the graph is saved or the window closes.
    void keepJournal(TfrmGraph* graph, std::unique_ptr<RecordingJournal> journal);
    void dropJournal(TfrmGraph* graph);
    // The journals outlive the windows: the program ends without asking about them.
    void keepJournalsForNextStart();
    void graphSaved(TfrmGraph* graph);
    // One sample of the running recording into its journal.
    void journalSample(int index, TDateTime time, float level);
    QPointer<QObject> recordingJournal_;
    LoggerData logger_;
    void repairLogger();
    bool choosePrinter(QPrinter& printer);
    void setRunStop(bool run, bool stop);
    QMenu* windowMenu_ = nullptr;
    QHash<QString, QAction*> actions_;
    QHash<QString, QToolButton*> buttons_;
    QComboBox* ComboBoxDeviceName = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* MaskEdit1 = nullptr;
    QLabel* status_[2] = {nullptr, nullptr};
};
