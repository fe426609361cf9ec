#pragma once

#include <QHash>
#include <QWidget>

#include "core/TDateTime.h"
#include "graph/GraphStatistics.h"
#include "stats/AcousticStatistics.h"

class Clock;
struct DataSetCollection;
class PESGraph;
class QComboBox;
class QLabel;
class QLineEdit;
class QSplitter;
class QTableWidget;
class QToolBar;
class QToolButton;
class QAction;
class Tslider2;
class TfrmGraph;

// What a graph window asks of the main window.
class GraphHost {
public:
    virtual ~GraphHost() = default;
    virtual Clock& clock() = 0;
    // The main window's Save command on this window; false when nothing was saved.
    virtual bool saveGraph(TfrmGraph* graph) = 0;
    // The real-time graph is closing: the menu tick, Run and Stop.
    virtual void realTimeGraphClosed() = 0;
    virtual void setRealTimeGraphTicked(bool ticked) = 0;
};

// A graph window: toolbar, whole-graph statistics, the chart, the cursor slider and the cursor
// statistics; the DataLogger graph also lists its data sets on the left.
class TfrmGraph : public QWidget {
    Q_OBJECT
public:
    static QString realTimeCaption() { return QStringLiteral("Real-Time Graph"); }
    static QString dataLoggerCaption() { return QStringLiteral("DataLogger"); }

    explicit TfrmGraph(GraphHost& host, QWidget* parent = nullptr);
    ~TfrmGraph() override;

    // The caption decides the kind of graph.
    void setCaption(const QString& caption);
    QString caption() const { return windowTitle(); }
    bool isRealTime() const { return caption() == realTimeCaption(); }
    bool isDataLogger() const { return caption() == dataLoggerCaption(); }

    PESGraph* chart() const { return PESGraph1; }
    // A recording recovered after a crash that has not been saved yet: closing asks first.
    bool unsavedRecovery = false;
    Tslider2* slider() const { return Slider1; }
    QLineEdit* field(const QString& name) const;
    QComboBox* rateList() const { return txtSamplingRate; }
    QToolButton* toolButton(const QString& name) const;
    QLabel* mouseReadout() const { return Panel12; }
    QTableWidget* dataSetGrid() const { return Grid2; }
    int graphTool() const;

    // Makes this the real-time graph's window: the Clear button, the rate list as a drop-down.
    void makeRealTime(float rate);
    // Selects the list entry for a rate; rates of 30.5 s and above leave it as it is.
    void selectRate(double rate);
    // The statistics fields as "Export Statistic" copies them.
    StatisticTexts statisticTexts() const;
    void setStatistic(const QString& name, const QString& text);
    void clearStatistics();

    void redraw();
    void UpdateGraphStatistics();
    // The slider over 0..count-1 with its thumbs at a third and two thirds.
    void resetSlider(int count);
    void UpdateCursorStatistics();
    void Slider1ValueChange1();
    void FormShow();
    void FormResize();
    void pnlGraphResize();
    void PESGraph1MouseMove();
    void PESGraph1Click();
    void PESGraph1DataHotSpot(int subset, int point);
    void PESGraph1ZoomIn();
    void UndoZoomClick();
    // "Graph Option": the customisation dialog; after OK the look may become the template.
    void Button1Click();
    void PESGraph1CustomizeDlg();
    void Button2Click();
    void ToolButton13Click();
    void tbntClrClick();
    void txtSamplingRateChange(int index);
    bool FormCloseQuery();

    // The DataLogger graph: the data set grid filled from the collection (one row a set, the
    // first selected); the window keeps looking at that collection for Grid2Click.
    void setDataSets(const DataSetCollection* sets);
    // Draws set i with its statistics and slider.
    void ShowDataSet(int i);
    // A click in the data set grid: the selected row's set, when the row has one.
    void Grid2Click();

signals:
    void closed();
    // Clear emptied the graph: nothing of what it held is kept.
    void cleared();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar(QWidget* host);
    QWidget* buildGraphStatistic();
    QWidget* buildCursorStatistic();
    QLineEdit* addField(const char* name, int width, const QString& text = QString());
    void setTool(int tool);
    // Leq, L10, L50, L90 into the fields of that suffix ("" whole graph, "AB" between cursors).
    void showAcoustic(const AcousticStatistics& a, const char* suffix);
    void FormClose();

    GraphHost& host_;
    const DataSetCollection* dataSets_ = nullptr;
    bool shown_ = false;
    bool updatingRate_ = false;

    QWidget* pnlDataSets = nullptr;
    QTableWidget* Grid2 = nullptr;
    QSplitter* mainSplitter_ = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QWidget* pnlGraphStatistic = nullptr;
    QWidget* pnlSamplingRate = nullptr;
    QComboBox* txtSamplingRate = nullptr;
    QWidget* pnlGraph = nullptr;
    PESGraph* PESGraph1 = nullptr;
    QLabel* Panel12 = nullptr;
    QWidget* pnlStatistic = nullptr;
    QWidget* sliderRow_ = nullptr;
    Tslider2* Slider1 = nullptr;
    QAction* tbntSep3 = nullptr;
    QAction* clearAction_ = nullptr;
    QHash<QString, QLineEdit*> fields_;
    QHash<QString, QToolButton*> tools_;
};
