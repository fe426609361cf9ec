#include "graph/PESGraph.h"

#include <qcustomplot.h>
#include <QFileInfo>
#include <QPainter>
#include <QPicture>
#include <QPrintDialog>
#include <QPrinter>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Dialogs.h"
#include "core/LocaleText.h"
#include "files/GraphFile.h"
#include "graph/GraphSetup.h"
#include "graph/Ucustomize.h"

namespace {

QColor toQColor(ChartColor c) {
    return QColor(colorRed(c), colorGreen(c), colorBlue(c), colorAlpha(c));
}

// The colour as the viewing style shows it: itself, or its grey for monochrome printers.
QColor shown(ChartColor c, std::int32_t viewingStyle) {
    const QColor q = toQColor(c);
    if (viewingStyle != kViewMonochrome)
        return q;
    const int g = qGray(q.rgb());
    return QColor(g, g, g, q.alpha());
}

QFont fontOr(const QString& description, const QFont& fallback) {
    QFont f = fallback;
    if (!description.isEmpty())
        f.fromString(description);
    return f;
}

Qt::PenStyle penStyle(LineType t) {
    switch (t) {
        case LineType::Dash:
            return Qt::DashLine;
        case LineType::Dot:
            return Qt::DotLine;
        case LineType::DashDot:
            return Qt::DashDotLine;
        case LineType::Solid:
            break;
    }
    return Qt::SolidLine;
}

// Time axis over TDateTime values: ticks on whole wall-clock steps, labelled with the time as
// stored (no time zone involved) and the date below it.
class TimeTicker : public QCPAxisTicker {
protected:
    double getTickStep(const QCPRange& range) override {
        static const double steps[] = {0.1,    0.2,    0.5,     1,       2,       5,       10,
                                       15,     30,     60,      120,     300,     600,     900,
                                       1800,   3600,   7200,    10800,   21600,   43200,   86400,
                                       172800, 604800, 1209600, 2592000, 7776000, 31536000};
        const double seconds = range.size() * 86400.0 / std::max(1, mTickCount);
        for (double s : steps)
            if (s >= seconds)
                return s / 86400.0;
        // Beyond a year a step: plain nice numbers of days, so ticks stay few on any range.
        return QCPAxisTicker::getTickStep(range);
    }
    int getSubTickCount(double step) override {
        const double s = std::round(step * 86400.0 * 10) / 10;
        if (s == 15 || s == 900 || s == 10800)
            return 2;
        if (s == 30 || s == 1800 || s == 21600 || s == 43200 || s == 86400)
            return 5;
        return 4;
    }
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        return localetext::timeText(tick) + QLatin1Char('\n') + localetext::dateText(tick);
    }
};

QCursor crossCursor() {
    // The cross tool's pointer: a thin cross with an open centre, white with a black edge.
    QPixmap pm(31, 31);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    for (int pass = 0; pass < 2; ++pass) {
        p.setPen(QPen(pass == 0 ? Qt::black : Qt::white, pass == 0 ? 3 : 1));
        p.drawLine(15, 2, 15, 11);
        p.drawLine(15, 19, 15, 28);
        p.drawLine(2, 15, 11, 15);
        p.drawLine(19, 15, 28, 15);
    }
    p.end();
    // The hot spot is the picture's corner; the click handler moves the point to the centre.
    return QCursor(pm, 0, 0);
}

}  // namespace

// Draws the graph annotations and the two cursor lines of the document.
class PESGraph::Layer : public QCPLayerable {
public:
    Layer(QCustomPlot* plot, PESGraph* graph)
        : QCPLayerable(plot, QStringLiteral("annotations")), graph_(graph) {}

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override {
        applyAntialiasingHint(painter, true, QCP::aeItems);
    }
    QRect clipRect() const override { return mParentPlot->axisRect()->rect(); }
    void draw(QCPPainter* painter) override {
        const GraphDocument& d = graph_->doc();
        const QRect r = clipRect();
        QFont base = mParentPlot->font();
        if (d.look.showVertLineAnnotations)
            drawCursorLines(painter, d, r, base);
        if (d.look.showGraphAnnotations) {
            QFont f = base;
            f.setPointSizeF(base.pointSizeF() *
                            std::clamp(d.look.graphAnnotationTextSize, 25, 400) / 100.0);
            painter->setFont(f);
            for (const auto& [k, a] : d.annotations)
                drawAnnotation(painter, a, r);
        }
    }

private:
    void drawCursorLines(QCPPainter* painter, const GraphDocument& d, const QRect& r,
                         const QFont& base) {
        static const QColor colors[2] = {QColor(64, 160, 255), QColor(255, 80, 80)};
        QFont f = base;
        f.setPointSizeF(base.pointSizeF() * std::clamp(d.look.lineAnnotationTextSize, 25, 400) /
                        100.0);
        painter->setFont(f);
        const QFontMetrics fm(f);
        for (int k = 0; k < 2; ++k) {
            const VerticalLine& v = d.vertLines[static_cast<std::size_t>(k)];
            if (v.x == 0)
                continue;
            const double px = mParentPlot->xAxis->coordToPixel(v.x);
            if (px < r.left() || px > r.right())
                continue;
            painter->setPen(QPen(colors[k], 1));
            painter->drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
            QString text = v.text;
            if (text.startsWith(QLatin1String("|t")))
                text = text.mid(2);
            if (text.isEmpty())
                continue;
            const QStringList lines = text.split(QLatin1Char('\n'));
            int w = 0;
            for (const QString& l : lines)
                w = std::max(w, fm.horizontalAdvance(l));
            const int h = fm.height() * static_cast<int>(lines.size());
            // The label hangs at the top of its line; cursor B's a line lower so both read.
            QRect box(static_cast<int>(px) + 3, r.top() + 3 + k * (h + 6), w + 6, h + 2);
            if (box.right() > r.right())
                box.moveRight(static_cast<int>(px) - 3);
            painter->fillRect(box, QColor(0, 0, 0, 170));
            painter->drawText(box.adjusted(3, 1, -3, -1), Qt::AlignLeft | Qt::AlignTop, text);
        }
    }
    void drawAnnotation(QCPPainter* painter, const GraphAnnotation& a, const QRect& r) {
        if (a.type == AnnotationType::Text && a.text.isEmpty())
            return;
        if (a.x == 0)
            return;
        const QPointF p(mParentPlot->xAxis->coordToPixel(a.x),
                        mParentPlot->yAxis->coordToPixel(a.y));
        if (!QRectF(r).contains(p))
            return;
        QString text = a.text;
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        painter->setPen(QPen(toQColor(a.color), 1.5));
        if (a.type == AnnotationType::Cross) {
            painter->drawLine(p + QPointF(-6, 0), p + QPointF(6, 0));
            painter->drawLine(p + QPointF(0, -6), p + QPointF(0, 6));
            if (!text.isEmpty())
                painter->drawText(QRectF(p + QPointF(8, -8), QSizeF(400, 200)),
                                  Qt::AlignLeft | Qt::AlignTop, text);
        } else {
            painter->drawText(QRectF(p, QSizeF(600, 200)), Qt::AlignLeft | Qt::AlignTop, text);
        }
    }

    PESGraph* graph_;
};

PESGraph::PESGraph(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PESGraph1"));
    plot_ = new QCustomPlot(this);
    plot_->setObjectName(QStringLiteral("PESGraphPlot"));
    plot_->setGeometry(rect());
    plot_->setPlottingHint(QCP::phCacheLabels, true);
    plot_->addGraph();
    plot_->graph(0)->setAdaptiveSampling(true);
    plot_->xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new TimeTicker));
    plot_->xAxis->ticker()->setTickCount(6);
    plot_->addLayer(QStringLiteral("annotations"), plot_->layer(QStringLiteral("main")),
                    QCustomPlot::limAbove);
    layer_ = new Layer(plot_, this);
    plot_->setSelectionRectMode(QCP::srmCustom);
    plot_->selectionRect()->setPen(QPen(Qt::white, 1, Qt::DashLine));
    plot_->selectionRect()->setBrush(QColor(255, 255, 255, 40));
    connect(plot_->selectionRect(), &QCPSelectionRect::accepted, this,
            [this](const QRect& r, QMouseEvent*) { zoomTo(r); });
    connect(plot_, &QCustomPlot::mouseMove, this, [this](QMouseEvent* e) {
        lastMouse_ = e->pos();
        emit OnMouseMove();
    });
    connect(plot_, &QCustomPlot::mousePress, this,
            [this](QMouseEvent* e) { lastMouse_ = pressPos_ = e->pos(); });
    connect(plot_, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* e) {
        lastMouse_ = e->pos();
        const bool click = (e->pos() - pressPos_).manhattanLength() <= 3;
        emit OnMouseUp();
        if (click && e->button() == Qt::LeftButton) {
            if (doc_.look.dataHotSpots) {
                const int i = hotSpotAt(e->pos());
                if (i >= 0)
                    emit OnDataHotSpot(0, i);
            }
            emit OnClick();
        }
    });
    connect(plot_, &QCustomPlot::afterReplot, this, &PESGraph::replotted);
    applyLook();
    setPointer(doc_.look.pointer);
    PEactions(sgReinitAndReset);
}

PESGraph::~PESGraph() = default;

void PESGraph::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    plot_->setGeometry(rect());
}

QRect PESGraph::plottingRect() const {
    return plot_->axisRect()->rect();
}

QPointF PESGraph::pixelToValue(QPoint p) const {
    return {plot_->xAxis->pixelToCoord(p.x()), plot_->yAxis->pixelToCoord(p.y())};
}

QPoint PESGraph::valueToPixel(double x, double y) const {
    return QPoint(static_cast<int>(std::lround(plot_->xAxis->coordToPixel(x))),
                  static_cast<int>(std::lround(plot_->yAxis->coordToPixel(y))));
}

QPointF PESGraph::viewX() const {
    return {plot_->xAxis->range().lower, plot_->xAxis->range().upper};
}
QPointF PESGraph::viewY() const {
    return {plot_->yAxis->range().lower, plot_->yAxis->range().upper};
}

void PESGraph::setPointer(PointerKind kind) {
    switch (kind) {
        case PointerKind::Arrow:
            plot_->setCursor(Qt::ArrowCursor);
            break;
        case PointerKind::Cross:
            plot_->setCursor(crossCursor());
            break;
        case PointerKind::Text:
            plot_->setCursor(Qt::IBeamCursor);
            break;
    }
}

void PESGraph::zoomTo(QRect pixels) {
    const QRect r = pixels.normalized();
    if (doc_.look.zooming == ZoomStyle::None || (r.width() < 3 && r.height() < 3))
        return;
    plot_->xAxis->setRange(plot_->xAxis->pixelToCoord(r.left()),
                           plot_->xAxis->pixelToCoord(r.right()));
    if (doc_.look.zooming == ZoomStyle::HorzPlusVert && r.height() >= 3)
        plot_->yAxis->setRange(plot_->yAxis->pixelToCoord(r.bottom()),
                               plot_->yAxis->pixelToCoord(r.top()));
    zoomed_ = true;
    if (decimated_)
        rebuildSeries();  // point by point while zoomed
    plot_->replot(QCustomPlot::rpQueuedReplot);
    emit OnZoomIn();
}

void PESGraph::PEactions(Action a) {
    switch (a) {
        case sgResetImage:
            if (doc_.layoutChanged())
                applyLook();
            syncData();
            applyRanges();
            break;
        case sgInvalidateImage:
            plot_->replot(QCustomPlot::rpQueuedReplot);
            break;
        case sgReinitAndReset:
            doc_.markLayoutChanged();
            applyLook();
            syncData();
            applyRanges();
            plot_->replot(QCustomPlot::rpQueuedReplot);
            break;
        case sgUndoZoom:
            zoomed_ = false;
            rebuildSeries();
            applyRanges();
            plot_->replot(QCustomPlot::rpQueuedReplot);
            break;
        case sgCustomize: {
            TfrmCustomize dialog(*this, window());
            DialogResult = dialog.exec() == QDialog::Accepted ? 1 : 0;
            emit OnCustomizeDlg();
            break;
        }
        case sgPrintDialog: {
            QPrinter fallback;
            QPrinter& p = printer ? *printer : fallback;
            if (choosePrinter ? !choosePrinter(p)
                              : QPrintDialog(&p, window()).exec() != QDialog::Accepted)
                break;
            QPainter painter(&p);
            // The painter's origin is the page's printable corner.
            const QRect page(QPoint(0, 0), p.pageLayout().paintRectPixels(p.resolution()).size());
            if (painter.isActive())
                render(painter, page);
            break;
        }
    }
}

void PESGraph::render(QPainter& painter, const QRect& target) {
    // Laid out as on screen (the window's width, the target's proportions) into a picture, which
    // keeps text and lines as they are, then scaled onto the page: fonts keep their size
    // relative to the graph whatever the device's resolution.
    const int width = plot_->width() > 100 ? plot_->width() : 1000;
    const double scale = target.width() / static_cast<double>(width);
    const int height = std::max(100, static_cast<int>(target.height() / scale));
    QPicture picture;
    {
        QCPPainter recorder(&picture);
        recorder.setMode(QCPPainter::pmVectorized);
        recorder.setMode(QCPPainter::pmNoCaching);
        recorder.setMode(QCPPainter::pmNonCosmetic);
        plot_->toPainter(&recorder, width, height);
    }
    // Playing a picture on a device of another resolution scales it by their ratio already.
    const double ratio =
        painter.device()->logicalDpiX() / static_cast<double>(picture.logicalDpiX());
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(scale / ratio, scale / ratio);
    painter.drawPicture(0, 0, picture);
    painter.restore();
}

void PESGraph::replotNow() {
    plot_->replot(QCustomPlot::rpImmediateRefresh);
}

void PESGraph::applyLook() {
    const GraphLook& l = doc_.look;
    const std::int32_t vs = l.viewingStyle;
    plot_->setBackground(shown(l.deskColor, vs));
    plot_->axisRect()->setBackground(shown(l.backColor, vs));
    const QColor fore = shown(l.foreColor, vs);
    const QColor text = shown(l.textColor, vs);
    const QColor yColor = shown(l.yAxisColor, vs);
    const QFont labelFont = fontOr(l.labelFont, font());
    const QFont axisFont = fontOr(l.axisFont, font());
    for (QCPAxis* ax : {plot_->xAxis, plot_->yAxis, plot_->xAxis2, plot_->yAxis2}) {
        const QColor c = ax == plot_->yAxis ? yColor : fore;
        ax->setBasePen(QPen(c, ax == plot_->yAxis ? 2 : 1));
        ax->setTickPen(QPen(c));
        ax->setSubTickPen(QPen(c));
        ax->setTickLabelColor(ax == plot_->yAxis ? yColor : text);
        ax->setLabelColor(ax == plot_->yAxis ? yColor : text);
        ax->setLabelFont(labelFont);
        ax->setTickLabelFont(axisFont);
        Qt::PenStyle gs = Qt::SolidLine;
        switch (l.gridStyle) {
            case GridStyle::Dot:
                gs = Qt::DotLine;
                break;
            case GridStyle::Dash:
                gs = Qt::DashLine;
                break;
            default:
                break;
        }
        QColor gridColor = fore;
        gridColor.setAlpha(l.gridStyle == GridStyle::Thin ? 90 : 150);
        ax->grid()->setPen(QPen(gridColor, l.gridStyle == GridStyle::Thick ? 2 : 1, gs));
        ax->grid()->setZeroLinePen(Qt::NoPen);
    }
    // The frame: the top and right axes as plain lines.
    plot_->xAxis2->setVisible(true);
    plot_->yAxis2->setVisible(true);
    plot_->xAxis2->setTicks(false);
    plot_->yAxis2->setTicks(false);
    plot_->xAxis2->setTickLabels(false);
    plot_->yAxis2->setTickLabels(false);
    plot_->xAxis2->grid()->setVisible(false);
    plot_->yAxis2->grid()->setVisible(false);
    plot_->xAxis->setLabel(l.xAxisLabel);
    plot_->yAxis->setLabel(l.yAxisLabel);
    if (l.dateTimeX)
        plot_->xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new TimeTicker));
    else
        plot_->xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
    plot_->xAxis->ticker()->setTickCount(6);

    QCPGraph* g = plot_->graph(0);
    const QColor series =
        l.subsetColors.empty() ? QColor(Qt::yellow) : shown(l.subsetColors.front(), vs);
    const LineType lt = l.subsetLineTypes.empty() ? LineType::Solid : l.subsetLineTypes.front();
    g->setPen(QPen(series, 1, penStyle(lt)));

    // Titles above the plotting area, each in its own row while it has text.
    QCPLayoutGrid* layout = plot_->plotLayout();
    for (int row = layout->rowCount() - 1; row >= 0; --row)
        if (qobject_cast<QCPTextElement*>(layout->element(row, 0)))
            layout->removeAt(layout->rowColToIndex(row, 0));
    layout->simplify();
    const QString titles[2] = {l.mainTitle, l.subTitle};
    int row = 0;
    for (int t = 0; t < 2; ++t) {
        if (titles[t].trimmed().isEmpty())
            continue;
        QFont f = font();
        if (t == 0) {
            f.setBold(true);
            f.setPointSizeF(f.pointSizeF() * 1.3);
        }
        f = fontOr(l.titleFont, f);
        layout->insertRow(row);
        auto* e = new QCPTextElement(plot_, titles[t], f);
        e->setTextColor(text);
        layout->addElement(row, 0, e);
        ++row;
    }
    // The pointer is the window's tool's; a new look does not take it away.
}

namespace {
// Up to this many points a series is drawn point by point.
constexpr int kRawLimit = 10000;
// At most this many blocks (two points each) for a long series.
constexpr int kMaxBlocks = 4096;
}  // namespace

void PESGraph::addToBlock(Block& b, int i) const {
    if (b.count == 0)
        b.firstX = doc_.x(0, i);
    ++b.count;
    b.lastI = i;
    const float y = doc_.y(0, i);
    if (y == doc_.nullY) {
        b.hasNull = true;
        return;
    }
    if (b.minI < 0 || y < doc_.y(0, b.minI))
        b.minI = i;
    if (b.maxI < 0 || y > doc_.y(0, b.maxI))
        b.maxI = i;
}

template <typename Sink>
void PESGraph::emitBlock(const Block& b, Sink&& sink) const {
    const auto level = [this](int i) { return static_cast<double>(doc_.y(0, i)); };
    if (b.minI >= 0) {
        const int first = std::min(b.minI, b.maxI);
        const int second = std::max(b.minI, b.maxI);
        sink(QCPGraphData(doc_.x(0, first), level(first)));
        if (second != first)
            sink(QCPGraphData(doc_.x(0, second), level(second)));
    }
    if (b.hasNull)  // keeps the gap of the null points
        sink(QCPGraphData(doc_.x(0, b.lastI), std::numeric_limits<double>::quiet_NaN()));
}

void PESGraph::syncData() {
    const int n = doc_.points();
    bool full =
        doc_.layoutChanged() || (doc_.firstChanged() >= 0 && doc_.firstChanged() < syncedUpTo_);
    if (!full && doc_.firstChanged() >= 0) {
        // Only points after the drawn ones changed: append them, as a recording does.
        const int last = std::min(doc_.lastChanged(), n - 1);
        double prev = syncedLastX_;
        for (int i = doc_.firstChanged(); i <= last && !full; ++i) {
            const double x = doc_.x(0, i);
            if (x == 0)
                continue;
            if (x < prev || (decimated_ && x == prev))
                full = true;
            prev = x;
        }
        if (!full)
            for (int i = doc_.firstChanged(); i <= last; ++i)
                if (doc_.x(0, i) != 0)  // never written: not part of the line
                    appendToSeries(i);
        if (!decimated_ && !zoomed_ && drawnCount_ > kRawLimit)
            full = true;
        if (decimated_ && blocks_ > 2 * kMaxBlocks)
            full = true;
    }
    if (full)
        rebuildSeries();
    doc_.markDrawn();
}

void PESGraph::appendToSeries(int i) {
    QCPGraph* g = plot_->graph(0);
    ++drawnCount_;
    syncedUpTo_ = i + 1;
    syncedLastX_ = doc_.x(0, i);
    if (!decimated_) {
        const float y = doc_.y(0, i);
        g->data()->add(QCPGraphData(doc_.x(0, i), y == doc_.nullY
                                                      ? std::numeric_limits<double>::quiet_NaN()
                                                      : static_cast<double>(y)));
        return;
    }
    if (open_.count > 0)
        g->data()->remove(open_.firstX, std::numeric_limits<double>::infinity());
    addToBlock(open_, i);
    emitBlock(open_, [g](const QCPGraphData& d) { g->data()->add(d); });
    if (open_.count == blockSize_) {
        open_ = Block{};
        ++blocks_;
    }
}

bool PESGraph::loadOverview() {
    if (zoomed_ || overview_.revision != doc_.revision() || !overview_.kept)
        return false;
    QVector<QCPGraphData> v;
    v.reserve(static_cast<qsizetype>(overview_.data.size()));
    for (const auto& [x, y] : overview_.data)
        v.push_back(QCPGraphData(x, y));
    plot_->graph(0)->data()->set(v, true);
    decimated_ = overview_.decimated;
    blockSize_ = overview_.blockSize;
    blocks_ = overview_.blocks;
    open_ = overview_.open;
    drawnCount_ = overview_.drawnCount;
    syncedUpTo_ = overview_.syncedUpTo;
    syncedLastX_ = overview_.syncedLastX;
    return true;
}

void PESGraph::loadZoomedStretch() {
    // The view and as much again on either side, found by halving: a zoom into a month of
    // readings takes what it shows, not the month.
    const QCPRange r = plot_->xAxis->range();
    const double lo = r.lower - r.size(), hi = r.upper + r.size();
    const int last = overview_.lastWritten;
    // The first index from `from` on whose time is past the limit (times are in order).
    const auto firstPast = [this, last](int from, double limit, bool inclusive) {
        int a = from, b = last + 1;
        while (a < b) {
            const int m = a + (b - a) / 2;
            const double x = doc_.x(0, m);
            if (inclusive ? x <= limit : x < limit)
                a = m + 1;
            else
                b = m;
        }
        return a;
    };
    // One point beyond each end, so the line runs to the edges of the view.
    const int from = std::max(0, firstPast(0, lo, false) - 1);
    const int to = std::min(last, firstPast(from, hi, true));
    QVector<QCPGraphData> v;
    v.reserve(std::max(0, to - from + 1));
    for (int i = from; i <= to; ++i) {
        const float y = doc_.y(0, i);
        v.push_back(QCPGraphData(doc_.x(0, i), y == doc_.nullY
                                                   ? std::numeric_limits<double>::quiet_NaN()
                                                   : static_cast<double>(y)));
    }
    plot_->graph(0)->data()->set(v, true);
    decimated_ = false;
    drawnCount_ = overview_.drawnCount;
    syncedUpTo_ = overview_.syncedUpTo;
    syncedLastX_ = overview_.syncedLastX;
}

void PESGraph::rebuildSeries() {
    if (loadOverview())
        return;
    if (zoomed_ && overview_.revision == doc_.revision() && overview_.orderedWithoutHoles) {
        loadZoomedStretch();
        return;
    }
    const int n = doc_.points();
    bool sorted = true;
    bool holes = false;
    int drawn = 0;
    int lastWritten = -1;
    double last = -std::numeric_limits<double>::infinity();
    for (int i = 0; i < n; ++i) {
        const double x = doc_.x(0, i);
        if (x == 0)
            continue;
        if (lastWritten != i - 1)
            holes = true;
        lastWritten = i;
        ++drawn;
        if (x <= last)
            sorted = false;
        last = x;
    }
    decimated_ = sorted && !zoomed_ && drawn > kRawLimit;
    blockSize_ = 1;
    while (decimated_ && drawn / blockSize_ > kMaxBlocks)
        blockSize_ *= 2;
    blocks_ = 0;
    open_ = Block{};
    drawnCount_ = drawn;
    syncedUpTo_ = 0;
    syncedLastX_ = -std::numeric_limits<double>::infinity();

    QVector<QCPGraphData> v;
    v.reserve(decimated_ ? 3 * (drawn / blockSize_ + 1) : drawn);
    const auto push = [&v](const QCPGraphData& d) { v.push_back(d); };
    for (int i = 0; i < n; ++i) {
        const double x = doc_.x(0, i);
        if (x == 0)
            continue;
        syncedUpTo_ = i + 1;
        syncedLastX_ = std::max(syncedLastX_, x);
        if (!decimated_) {
            const float y = doc_.y(0, i);
            push(QCPGraphData(x, y == doc_.nullY ? std::numeric_limits<double>::quiet_NaN()
                                                 : static_cast<double>(y)));
            continue;
        }
        addToBlock(open_, i);
        if (open_.count == blockSize_) {
            emitBlock(open_, push);
            open_ = Block{};
            ++blocks_;
        }
    }
    if (decimated_ && open_.count > 0)
        emitBlock(open_, push);
    plot_->graph(0)->data()->set(v, sorted);
    if (!zoomed_) {
        overview_.revision = doc_.revision();
        overview_.data.clear();
        // Only a picture of few points is worth keeping (the decimated one always is).
        overview_.kept = v.size() <= 3 * (kMaxBlocks + 1);
        if (overview_.kept) {
            overview_.data.reserve(static_cast<std::size_t>(v.size()));
            for (const QCPGraphData& d : v)
                overview_.data.emplace_back(d.key, d.value);
        }
        overview_.blockSize = blockSize_;
        overview_.blocks = blocks_;
        overview_.open = open_;
        overview_.drawnCount = drawnCount_;
        overview_.syncedUpTo = syncedUpTo_;
        overview_.syncedLastX = syncedLastX_;
        overview_.decimated = decimated_;
        overview_.orderedWithoutHoles = sorted && !holes;
        overview_.lastWritten = lastWritten;
    }
}

void PESGraph::applyRanges() {
    if (zoomed_)
        return;
    auto apply = [](QCPAxis* ax, ScaleControl c, double lo, double hi, const QCPRange& data,
                    bool haveData) {
        if (c == ScaleControl::ManualMinAndMax) {
            if (hi <= lo)
                hi = lo + (ax->orientation() == Qt::Horizontal ? 1.0 / 86400.0 : 1.0);
            ax->setRange(lo, hi);
        } else if (haveData) {
            QCPRange r = data;
            if (r.size() <= 0)
                r = QCPRange(r.lower - 0.5 / 86400.0, r.upper + 0.5 / 86400.0);
            ax->setRange(r);
        }
    };
    bool haveKeys = false, haveValues = false;
    const QCPRange keys = plot_->graph(0)->getKeyRange(haveKeys);
    const QCPRange values = plot_->graph(0)->getValueRange(haveValues);
    apply(plot_->xAxis, doc_.scaleControlX, doc_.manualMinX, doc_.manualMaxX, keys, haveKeys);
    apply(plot_->yAxis, doc_.scaleControlY, doc_.manualMinY, doc_.manualMaxY, values, haveValues);
}

int PESGraph::hotSpotAt(QPoint p) const {
    int best = -1;
    double bestD = 6.5 * 6.5;
    for (int i = 0; i < doc_.points(); ++i) {
        if (!doc_.isDrawn(0, i))
            continue;
        const double dx = plot_->xAxis->coordToPixel(doc_.x(0, i)) - p.x();
        const double dy = plot_->yAxis->coordToPixel(doc_.y(0, i)) - p.y();
        const double d = dx * dx + dy * dy;
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

void InitGraph(PESGraph& chart, int subsets, float yMax, float yMin, double xMax, double xMin,
               int points) {
    std::optional<QByteArray> block;
    const QString path = graphTemplatePath();
    if (QFileInfo::exists(path)) {
        QString error;
        block = readGraphBlock(path, &error);
        if (!block)
            Dialogs::instance().error(error);
    }
    initGraphDocument(chart.doc(), subsets, yMax, yMin, xMax, xMin, points,
                      block ? &*block : nullptr);
    chart.PEactions(PESGraph::sgResetImage);
    chart.PEactions(PESGraph::sgInvalidateImage);
}

void PrepareGraph(PESGraph& chart, int subsets, float yMax, float yMin, double xMax, double xMin,
                  int points) {
    prepareGraphDocument(chart.doc(), subsets, yMax, yMin, xMax, xMin, points);
    chart.PEactions(PESGraph::sgResetImage);
    chart.PEactions(PESGraph::sgInvalidateImage);
}

QWidget* PESGraph::canvas() const {
    return plot_;
}

std::vector<QPointF> PESGraph::drawnPoints() const {
    std::vector<QPointF> out;
    const auto data = plot_->graph(0)->data();
    out.reserve(static_cast<std::size_t>(data->size()));
    for (auto it = data->constBegin(); it != data->constEnd(); ++it)
        out.emplace_back(it->key, it->value);
    return out;
}
