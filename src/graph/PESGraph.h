#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "graph/GraphDocument.h"

class QCustomPlot;
class QPainter;
class QPrinter;

// The chart of a graph window: holds a GraphDocument and draws it (QCustomPlot does the
// drawing). Callers change the document, then ask for a redraw through PEactions.
class PESGraph : public QWidget {
    Q_OBJECT
public:
    enum Action {
        sgResetImage,       // take the document's changes into the picture
        sgInvalidateImage,  // repaint soon
        sgReinitAndReset,   // a whole new state: rebuild and repaint
        sgUndoZoom,         // back to the full view
        sgCustomize,        // the customisation dialog (OnCustomizeDlg when it closes)
        sgPrintDialog,      // the print dialog, then the graph printed on the chosen printer
    };

    explicit PESGraph(QWidget* parent = nullptr);
    ~PESGraph() override;

    GraphDocument& doc() { return doc_; }
    const GraphDocument& doc() const { return doc_; }

    void PEactions(Action a);
    // PEnarg1 and PEnarg2 carry no meaning for these actions; kept for the callers' protocol.
    int PEnarg1 = 0;
    int PEnarg2 = 0;
    // Pages of the customisation dialog; hidden when false.
    bool AllowFontPage = true;
    bool AllowPage1 = true;
    bool AllowPage2 = true;
    bool AllowSubsetsPage = true;
    // 1 when the last customisation was accepted.
    int DialogResult = 0;
    // The printer sgPrintDialog offers (the main window's, kept by Printer Setup), and the
    // dialog that confirms it (the platform's unless a test replaces it).
    QPrinter* printer = nullptr;
    std::function<bool(QPrinter&)> choosePrinter;

    // Draws the graph as it is shown, as vectors (text stays text), into target on a printer or
    // a PDF.
    void render(QPainter& painter, const QRect& target);

    // The plotting rectangle in this widget's pixels, and conversions.
    QRect plottingRect() const;
    QPoint lastMouse() const { return lastMouse_; }
    // X (TDateTime) and Y (dB) at a pixel.
    QPointF pixelToValue(QPoint p) const;
    QPoint valueToPixel(double x, double y) const;
    bool zoomed() const { return zoomed_; }
    // The X and Y ranges in view.
    QPointF viewX() const;
    QPointF viewY() const;
    // Zooms the view to the rectangle between two pixels, as a rubber band would.
    void zoomTo(QRect pixels);

    // The mouse pointer over the plotting area.
    void setPointer(PointerKind kind);

    QCustomPlot* plot() const { return plot_; }
    // The widget that takes the mouse.
    QWidget* canvas() const;
    // Draws the document now, without waiting for the event loop.
    void replotNow();
    // The points the line is drawn through (a null level as NaN), in order.
    std::vector<QPointF> drawnPoints() const;

signals:
    void OnClick();
    void OnMouseMove();
    void OnMouseUp();
    void OnZoomIn();
    void OnDataHotSpot(int subset, int point);
    void OnCustomizeDlg();
    // The picture was redrawn; the plotting rectangle may have moved.
    void replotted();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class Layer;
    void applyLook();
    void syncData();
    void applyRanges();
    int hotSpotAt(QPoint p) const;
    void rebuildSeries();
    void appendToSeries(int i);

    // A long series is drawn from the lowest and highest level of each block of consecutive
    // points, so that a redraw costs the same at any length; zoomed, it is drawn point by point.
    struct Block {
        int count = 0;
        int minI = -1, maxI = -1, lastI = -1;
        bool hasNull = false;
        double firstX = 0;
    };
    void addToBlock(Block& b, int i) const;
    template <typename Sink>
    void emitBlock(const Block& b, Sink&& sink) const;

    // The whole-graph picture of the series as last built, kept for Undo Zoom while the points
    // stay as they were; and whether the points are in time order without unwritten places
    // among them, so that a zoomed view can take just its own stretch.
    struct Overview {
        quint64 revision = ~quint64(0);
        std::vector<std::pair<double, double>> data;
        int blockSize = 1, blocks = 0, drawnCount = 0, syncedUpTo = 0;
        double syncedLastX = 0;
        bool decimated = false;
        bool kept = false;  // data holds the picture
        bool orderedWithoutHoles = false;
        int lastWritten = -1;
        Block open;
    };
    bool loadOverview();
    void loadZoomedStretch();

    GraphDocument doc_;
    Overview overview_;
    QCustomPlot* plot_ = nullptr;
    Layer* layer_ = nullptr;
    QPoint lastMouse_{-1, -1};
    QPoint pressPos_;
    bool zoomed_ = false;
    int syncedUpTo_ = 0;  // points before this index are in the picture
    double syncedLastX_ = 0;
    int drawnCount_ = 0;
    bool decimated_ = false;
    int blockSize_ = 1;
    int blocks_ = 0;  // complete blocks in the picture
    Block open_;      // the last block, still filling
};

// Sets up a chart for a new or restarted graph (the template's look when one exists) and
// redraws it.
void InitGraph(PESGraph& chart, int subsets, float yMax, float yMin, double xMax, double xMin,
               int points);
// The same without template and look.
void PrepareGraph(PESGraph& chart, int subsets, float yMax, float yMin, double xMax, double xMin,
                  int points);
