#include "graph/Ugraph.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/LocaleText.h"
#include "files/GraphFile.h"
#include "graph/Annotations.h"
#include "graph/GraphSetup.h"
#include "graph/PESGraph.h"
#include "graph/Recording.h"
#include "graph/Tslider2.h"
#include "graph/UannoEdit.h"
#include "logger/DataSetCollection.h"
#include "logger/MemoryImageParser.h"

namespace {

using tdt::kSecond;

// The toolbar's pictures, drawn here so they stay sharp at any scale.
QIcon toolIcon(const QString& kind) {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen ink(QColor(40, 40, 40), 1.6);
    p.setPen(ink);
    if (kind == QLatin1String("stat")) {
        p.setBrush(QColor(250, 250, 235));
        p.drawRect(3, 4, 18, 16);
        for (int y : {9, 13, 17})
            p.drawLine(6, y, 18, y);
        p.setPen(QPen(QColor(30, 90, 200), 2));
        p.drawLine(6, 6, 12, 6);
    } else if (kind == QLatin1String("cursors")) {
        p.fillRect(2, 3, 20, 18, Qt::black);
        p.setPen(QPen(QColor(64, 160, 255), 2));
        p.drawLine(8, 4, 8, 20);
        p.setPen(QPen(QColor(255, 80, 80), 2));
        p.drawLine(16, 4, 16, 20);
    } else if (kind == QLatin1String("arrow")) {
        QPainterPath a;
        a.moveTo(7, 3);
        a.lineTo(7, 19);
        a.lineTo(11, 15);
        a.lineTo(14, 21);
        a.lineTo(16, 20);
        a.lineTo(13, 14);
        a.lineTo(18, 14);
        a.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(a);
    } else if (kind == QLatin1String("cross")) {
        p.setPen(QPen(QColor(200, 30, 30), 2.2));
        p.drawLine(5, 12, 19, 12);
        p.drawLine(12, 5, 12, 19);
    } else if (kind == QLatin1String("text")) {
        QFont f(QStringLiteral("Serif"));
        f.setPixelSize(19);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("T"));
    } else if (kind == QLatin1String("erase")) {
        p.setBrush(QColor(240, 150, 170));
        QPolygonF r({QPointF(4, 15), QPointF(12, 7), QPointF(20, 13), QPointF(12, 21)});
        p.drawPolygon(r);
        p.drawLine(8, 11, 16, 17);
    } else if (kind == QLatin1String("clear")) {
        p.setBrush(Qt::white);
        p.drawRect(4, 3, 16, 18);
        p.setPen(QPen(QColor(200, 30, 30), 2.2));
        p.drawLine(7, 7, 17, 17);
        p.drawLine(17, 7, 7, 17);
    } else if (kind == QLatin1String("unzoom")) {
        p.setBrush(QColor(220, 235, 255));
        p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
        p.setPen(QPen(QColor(40, 40, 40), 3));
        p.drawLine(15, 15, 21, 21);
        p.setPen(QPen(QColor(40, 40, 40), 1.8));
        p.drawLine(7, 10, 13, 10);
    }
    p.end();
    return QIcon(pm);
}

}  // namespace

TfrmGraph::TfrmGraph(GraphHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    setObjectName(QStringLiteral("frmGraph"));
    setWindowTitle(QStringLiteral("Graph"));
    resize(1275, 709);

    auto* top = new QHBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    mainSplitter_ = new QSplitter(Qt::Horizontal, this);
    top->addWidget(mainSplitter_);

    // Data sets (the DataLogger graph only)
    pnlDataSets = new QWidget(mainSplitter_);
    pnlDataSets->setObjectName(QStringLiteral("pnlDataSets"));
    auto* dsLayout = new QVBoxLayout(pnlDataSets);
    dsLayout->setContentsMargins(2, 2, 2, 2);
    auto* dsTitle = new QLabel(QStringLiteral("Data Sets"), pnlDataSets);
    dsTitle->setAlignment(Qt::AlignCenter);
    dsLayout->addWidget(dsTitle);
    Grid2 = new QTableWidget(1, 6, pnlDataSets);
    Grid2->setObjectName(QStringLiteral("Grid2"));
    dsLayout->addWidget(Grid2);
    pnlDataSets->resize(375, pnlDataSets->height());
    pnlDataSets->setVisible(false);
    mainSplitter_->addWidget(pnlDataSets);

    auto* right = new QWidget(mainSplitter_);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    buildToolbar(right);
    rightLayout->addWidget(ToolBar1);
    rightLayout->addWidget(buildGraphStatistic());

    auto* vSplit = new QSplitter(Qt::Vertical, right);
    pnlGraph = new QWidget(vSplit);
    pnlGraph->setObjectName(QStringLiteral("pnlGraph"));
    auto* graphLayout = new QVBoxLayout(pnlGraph);
    graphLayout->setContentsMargins(0, 0, 0, 0);
    PESGraph1 = new PESGraph(pnlGraph);
    graphLayout->addWidget(PESGraph1);
    Panel12 = new QLabel(pnlGraph);
    Panel12->setObjectName(QStringLiteral("Panel12"));
    Panel12->setFixedSize(167, 21);
    Panel12->setAlignment(Qt::AlignCenter);
    Panel12->setFrameShape(QFrame::Panel);
    Panel12->setFrameShadow(QFrame::Raised);
    Panel12->setAutoFillBackground(true);
    Panel12->raise();
    pnlGraph->installEventFilter(this);
    vSplit->addWidget(pnlGraph);
    vSplit->addWidget(buildCursorStatistic());
    vSplit->setStretchFactor(0, 1);
    vSplit->setStretchFactor(1, 0);
    vSplit->setCollapsible(0, false);
    rightLayout->addWidget(vSplit, 1);
    mainSplitter_->addWidget(right);
    mainSplitter_->setStretchFactor(1, 1);

    // FormCreate: the data set grid's heading row and its empty first row.
    Grid2->setHorizontalHeaderLabels({QStringLiteral("Set"), QStringLiteral("DATE"),
                                      QStringLiteral("TIME"), QStringLiteral("Rate"),
                                      QStringLiteral("Nums"), QStringLiteral("Weighting")});
    const int widths[] = {25, 60, 60, 65, 40, 40};
    for (int c = 0; c < 6; ++c)
        Grid2->setColumnWidth(c, widths[c]);
    Grid2->verticalHeader()->setVisible(false);
    Grid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid2->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid2->setWordWrap(false);
    connect(Grid2, &QTableWidget::itemSelectionChanged, this, &TfrmGraph::Grid2Click);

    Slider1->OnValueChange1 = [this] { Slider1ValueChange1(); };
    Slider1->OnValueChange2 = [this] { Slider1ValueChange1(); };
    connect(PESGraph1, &PESGraph::OnMouseMove, this, &TfrmGraph::PESGraph1MouseMove);
    connect(PESGraph1, &PESGraph::OnClick, this, &TfrmGraph::PESGraph1Click);
    connect(PESGraph1, &PESGraph::OnDataHotSpot, this, &TfrmGraph::PESGraph1DataHotSpot);
    connect(PESGraph1, &PESGraph::OnZoomIn, this, &TfrmGraph::PESGraph1ZoomIn);
    connect(PESGraph1, &PESGraph::OnCustomizeDlg, this, &TfrmGraph::PESGraph1CustomizeDlg);
    connect(PESGraph1, &PESGraph::replotted, this, &TfrmGraph::FormResize);
}

TfrmGraph::~TfrmGraph() {
    AppState& st = appState();
    if (st.RealTimeGraphWindow == this)
        st.RealTimeGraphWindow = nullptr;
    if (st.DataLoggerWindow == this)
        st.DataLoggerWindow = nullptr;
}

void TfrmGraph::buildToolbar(QWidget* parent) {
    ToolBar1 = new QToolBar(parent);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(20, 20));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    auto add = [this](const char* name, const char* hint, const char* icon) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(QLatin1String(hint));
        b->setAutoRaise(true);
        if (icon)
            b->setIcon(toolIcon(QLatin1String(icon)));
        tools_.insert(QLatin1String(name), b);
        return ToolBar1->addWidget(b);
    };
    add("ToolButton1", "Toggle Graph Statistic", "stat");
    add("ToolButton2", "Toggle Line Cursor Statistic", "cursors");
    ToolBar1->addSeparator();
    add("ToolButton4", "Normal Cursor", "arrow");
    add("ToolButton5", "Draw A Cross On Graph", "cross");
    add("ToolButton9", "Text", "text");
    add("ToolButton13", "Erase Annotation", "erase");
    ToolBar1->addSeparator();
    tbntSep3 = ToolBar1->addSeparator();
    tbntSep3->setObjectName(QStringLiteral("tbntSep3"));
    clearAction_ = add("tbntClr", "Clear", "clear");
    add("UndoZoom", "Undo Zoom", "unzoom");
    add("Button1", "Graph Customization", nullptr);
    add("Button2", "", nullptr);

    for (const char* name : {"ToolButton1", "ToolButton2"}) {
        QToolButton* b = tools_.value(QLatin1String(name));
        b->setCheckable(true);
        b->setChecked(true);
    }
    connect(tools_.value(QStringLiteral("ToolButton1")), &QToolButton::toggled, this,
            [this](bool down) {
                pnlGraphStatistic->setVisible(down);
                pnlGraphResize();
            });
    connect(tools_.value(QStringLiteral("ToolButton2")), &QToolButton::toggled, this,
            [this](bool down) {
                pnlStatistic->setVisible(down);
                PESGraph1->doc().look.showVertLineAnnotations = down;
                redraw();
            });
    const std::pair<const char*, int> tools[] = {
        {"ToolButton4", -99}, {"ToolButton5", 2}, {"ToolButton9", 0}};
    for (auto [name, tool] : tools) {
        QToolButton* b = tools_.value(QLatin1String(name));
        b->setCheckable(true);
        b->setAutoExclusive(true);
        connect(b, &QToolButton::clicked, this, [this, tool = tool] { setTool(tool); });
    }
    tools_.value(QStringLiteral("ToolButton4"))->setChecked(true);
    connect(tools_.value(QStringLiteral("ToolButton13")), &QToolButton::clicked, this,
            &TfrmGraph::ToolButton13Click);
    connect(tools_.value(QStringLiteral("tbntClr")), &QToolButton::clicked, this,
            &TfrmGraph::tbntClrClick);
    QToolButton* undo = tools_.value(QStringLiteral("UndoZoom"));
    undo->setEnabled(false);
    connect(undo, &QToolButton::clicked, this, &TfrmGraph::UndoZoomClick);
    QToolButton* option = tools_.value(QStringLiteral("Button1"));
    option->setText(QStringLiteral("Graph Option"));
    option->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(option, &QToolButton::clicked, this, &TfrmGraph::Button1Click);
    QToolButton* exportButton = tools_.value(QStringLiteral("Button2"));
    exportButton->setText(QStringLiteral("Export Statistic"));
    exportButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(exportButton, &QToolButton::clicked, this, &TfrmGraph::Button2Click);
    tbntSep3->setVisible(false);
    clearAction_->setVisible(false);
}

QLineEdit* TfrmGraph::addField(const char* name, int width, const QString& text) {
    auto* e = new QLineEdit(text);
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setFixedWidth(width);
    fields_.insert(QLatin1String(name), e);
    return e;
}

QWidget* TfrmGraph::buildGraphStatistic() {
    pnlGraphStatistic = new QFrame;
    pnlGraphStatistic->setObjectName(QStringLiteral("pnlGraphStatistic"));
    pnlGraphStatistic->setFixedHeight(74);
    static_cast<QFrame*>(pnlGraphStatistic)->setFrameShape(QFrame::StyledPanel);
    auto* g = new QGridLayout(pnlGraphStatistic);
    g->setContentsMargins(8, 4, 8, 4);
    g->setHorizontalSpacing(6);
    auto label = [this](const QString& t) { return new QLabel(t, pnlGraphStatistic); };
    g->addWidget(label(QStringLiteral("Start Time")), 0, 0);
    g->addWidget(addField("txtStartTime", 150), 0, 1, 1, 3);
    g->addWidget(label(QStringLiteral("Sampling Rate")), 0, 4);
    pnlSamplingRate = new QWidget(pnlGraphStatistic);
    pnlSamplingRate->setObjectName(QStringLiteral("pnlSamplingRate"));
    auto* rateLayout = new QHBoxLayout(pnlSamplingRate);
    rateLayout->setContentsMargins(0, 0, 0, 0);
    txtSamplingRate = new QComboBox(pnlSamplingRate);
    txtSamplingRate->setObjectName(QStringLiteral("txtSamplingRate"));
    txtSamplingRate->setEditable(true);
    txtSamplingRate->addItems(rateListTexts());
    txtSamplingRate->setFixedWidth(72);
    txtSamplingRate->setCurrentIndex(-1);
    rateLayout->addWidget(txtSamplingRate);
    rateLayout->addWidget(new QLabel(QStringLiteral("Sec"), pnlSamplingRate));
    pnlSamplingRate->setEnabled(false);
    g->addWidget(pnlSamplingRate, 0, 5);
    g->addWidget(label(QStringLiteral("Data No.")), 0, 6);
    g->addWidget(addField("txtDataNo", 70, QStringLiteral("0")), 0, 7);
    g->addWidget(label(QStringLiteral("Avg")), 0, 8);
    g->addWidget(addField("txtAvgAll", 80, QStringLiteral("***.* dB ")), 0, 9);
    g->addWidget(label(QStringLiteral("Maximum ")), 1, 0);
    g->addWidget(addField("txtMax", 60), 1, 1);
    g->addWidget(label(QStringLiteral("@")), 1, 2);
    g->addWidget(addField("txtMaxTime", 150), 1, 3);
    g->addWidget(label(QStringLiteral("Minimum")), 1, 4);
    auto* minRow = new QHBoxLayout;
    minRow->addWidget(addField("txtMin", 60));
    minRow->addWidget(label(QStringLiteral("@")));
    minRow->addWidget(addField("txtMinTime", 150));
    g->addLayout(minRow, 1, 5, 1, 3);
    // The energy mean and the levels exceeded 10, 50 and 90 % of the time.
    auto* acoustic = new QHBoxLayout;
    for (const auto& [name, caption] :
         {std::pair{"txtLeq", "Leq"}, {"txtL10", "L10"}, {"txtL50", "L50"}, {"txtL90", "L90"}}) {
        acoustic->addWidget(label(QLatin1String(caption)));
        acoustic->addWidget(addField(name, 52));
    }
    g->addLayout(acoustic, 1, 8, 1, 2);
    g->setColumnStretch(10, 1);
    connect(txtSamplingRate, &QComboBox::activated, this, &TfrmGraph::txtSamplingRateChange);
    return pnlGraphStatistic;
}

QWidget* TfrmGraph::buildCursorStatistic() {
    pnlStatistic = new QFrame;
    pnlStatistic->setObjectName(QStringLiteral("pnlStatistic"));
    static_cast<QFrame*>(pnlStatistic)->setFrameShape(QFrame::StyledPanel);
    pnlStatistic->setMinimumHeight(139);
    pnlStatistic->setMaximumHeight(139);
    auto* v = new QVBoxLayout(pnlStatistic);
    v->setContentsMargins(0, 4, 8, 4);
    sliderRow_ = new QWidget(pnlStatistic);
    sliderRow_->setFixedHeight(23);
    Slider1 = new Tslider2(sliderRow_);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    Slider1->setGeometry(0, 0, 622, 23);
    Slider1->ThumbHeight = 10;
    Slider1->ThumbWidth = 4;
    Slider1->TrackColor = QColor(255, 255, 0);
    Slider1->ThumbColor = QColor(0, 255, 0);
    v->addWidget(sliderRow_);
    auto* g = new QGridLayout;
    g->setContentsMargins(8, 0, 0, 0);
    g->setHorizontalSpacing(6);
    auto label = [this](const QString& t, const QColor& c = QColor()) {
        auto* l = new QLabel(t, pnlStatistic);
        if (c.isValid())
            l->setStyleSheet(QStringLiteral("color: %1; font-weight: bold;").arg(c.name()));
        return l;
    };
    g->addWidget(label(QStringLiteral("Cursor A"), QColor(0, 0, 255)), 0, 0);
    g->addWidget(addField("txtCursorA", 60), 0, 1);
    g->addWidget(label(QStringLiteral("@")), 0, 2);
    g->addWidget(addField("txtCursorATime", 150), 0, 3);
    g->addWidget(label(QStringLiteral("Cursor B"), QColor(255, 0, 0)), 0, 5);
    g->addWidget(addField("txtCursorB", 60), 0, 6);
    g->addWidget(label(QStringLiteral("@")), 0, 7);
    g->addWidget(addField("txtCursorBTime", 150), 0, 8);
    g->addWidget(label(QStringLiteral("Max.Between A and B")), 1, 0);
    g->addWidget(addField("txtMaxAB", 60), 1, 1);
    g->addWidget(label(QStringLiteral("@")), 1, 2);
    g->addWidget(addField("txtMaxABTime", 150), 1, 3);
    g->addWidget(label(QStringLiteral("Min.Between A and B")), 1, 5);
    g->addWidget(addField("txtMinAB", 60), 1, 6);
    g->addWidget(label(QStringLiteral("@")), 1, 7);
    g->addWidget(addField("txtMinABTime", 150), 1, 8);
    g->addWidget(label(QStringLiteral("Avg Between A and B")), 2, 0);
    g->addWidget(addField("txtAvgAB", 60), 2, 1);
    auto* acoustic = new QHBoxLayout;
    for (const auto& [name, caption] : {std::pair{"txtLeqAB", "Leq"},
                                        {"txtL10AB", "L10"},
                                        {"txtL50AB", "L50"},
                                        {"txtL90AB", "L90"}}) {
        acoustic->addWidget(label(QLatin1String(caption)));
        acoustic->addWidget(addField(name, 52));
    }
    acoustic->addStretch(1);
    g->addLayout(acoustic, 2, 3, 1, 6);
    g->setColumnMinimumWidth(4, 30);
    g->setColumnStretch(9, 1);
    v->addLayout(g);
    v->addStretch();
    return pnlStatistic;
}

QLineEdit* TfrmGraph::field(const QString& name) const {
    return fields_.value(name);
}
QToolButton* TfrmGraph::toolButton(const QString& name) const {
    return tools_.value(name);
}
int TfrmGraph::graphTool() const {
    return appState().GraphTool;
}

void TfrmGraph::setCaption(const QString& caption) {
    setWindowTitle(caption);
    pnlDataSets->setVisible(caption == dataLoggerCaption());
    if (parentWidget())
        parentWidget()->setWindowTitle(caption);
}

void TfrmGraph::setStatistic(const QString& name, const QString& text) {
    if (QLineEdit* e = field(name))
        e->setText(text);
}

void TfrmGraph::clearStatistics() {
    for (const char* name :
         {"txtAvgAll",    "txtMax",         "txtMin",       "txtMaxTime",     "txtMinTime",
          "txtCursorA",   "txtCursorATime", "txtCursorB",   "txtCursorBTime", "txtMaxAB",
          "txtMaxABTime", "txtMinAB",       "txtMinABTime", "txtAvgAB",       "txtLeq",
          "txtL10",       "txtL50",         "txtL90",       "txtLeqAB",       "txtL10AB",
          "txtL50AB",     "txtL90AB"})
        setStatistic(QLatin1String(name), QString());
}

void TfrmGraph::showAcoustic(const AcousticStatistics& a, const char* suffix) {
    const QString s = QLatin1String(suffix);
    const bool any = a.count > 0;
    setStatistic(QStringLiteral("txtLeq") + s, any ? localetext::fixed1(a.leq) : QString());
    setStatistic(QStringLiteral("txtL10") + s, any ? localetext::fixed1(a.l10) : QString());
    setStatistic(QStringLiteral("txtL50") + s, any ? localetext::fixed1(a.l50) : QString());
    setStatistic(QStringLiteral("txtL90") + s, any ? localetext::fixed1(a.l90) : QString());
}

StatisticTexts TfrmGraph::statisticTexts() const {
    auto f = [this](const char* name) { return field(QLatin1String(name))->text(); };
    StatisticTexts t;
    t.startTime = f("txtStartTime");
    t.samplingRate = txtSamplingRate->currentText();
    t.dataNo = f("txtDataNo");
    t.avgAll = f("txtAvgAll");
    t.max = f("txtMax");
    t.maxTime = f("txtMaxTime");
    t.min = f("txtMin");
    t.minTime = f("txtMinTime");
    t.cursorA = f("txtCursorA");
    t.cursorATime = f("txtCursorATime");
    t.cursorB = f("txtCursorB");
    t.cursorBTime = f("txtCursorBTime");
    t.maxAB = f("txtMaxAB");
    t.maxABTime = f("txtMaxABTime");
    t.minAB = f("txtMinAB");
    t.minABTime = f("txtMinABTime");
    t.avgAB = f("txtAvgAB");
    t.leq = f("txtLeq");
    t.l10 = f("txtL10");
    t.l50 = f("txtL50");
    t.l90 = f("txtL90");
    t.leqAB = f("txtLeqAB");
    t.l10AB = f("txtL10AB");
    t.l50AB = f("txtL50AB");
    t.l90AB = f("txtL90AB");
    return t;
}

void TfrmGraph::makeRealTime(float rate) {
    setCaption(realTimeCaption());
    tbntSep3->setVisible(true);
    clearAction_->setVisible(true);
    txtSamplingRate->setEditable(false);
    pnlSamplingRate->setEnabled(true);
    selectRate(rate);
}

void TfrmGraph::selectRate(double rate) {
    const int entry = rateEntry(rate);
    if (entry < 0)
        return;
    updatingRate_ = true;
    txtSamplingRate->setCurrentIndex(entry);
    updatingRate_ = false;
}

void TfrmGraph::redraw() {
    PESGraph1->PEnarg1 = PESGraph1->PEnarg2 = 0;
    PESGraph1->PEactions(PESGraph::sgResetImage);
    PESGraph1->PEactions(PESGraph::sgInvalidateImage);
}

void TfrmGraph::FormShow() {
    setTool(-99);
    tools_.value(QStringLiteral("ToolButton4"))->setChecked(true);
    // The rate list in the locale's number format, keeping the selection.
    updatingRate_ = true;
    const int selected = txtSamplingRate->currentIndex();
    const QString edit = txtSamplingRate->currentText();
    const QStringList texts = rateListTexts();
    for (int i = 0; i < texts.size() && i < txtSamplingRate->count(); ++i)
        txtSamplingRate->setItemText(i, texts[i]);
    txtSamplingRate->setCurrentIndex(selected);
    if (selected < 0 && txtSamplingRate->isEditable())
        txtSamplingRate->setEditText(edit);
    updatingRate_ = false;
}

void TfrmGraph::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
    FormResize();
}

void TfrmGraph::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

bool TfrmGraph::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pnlGraph && event->type() == QEvent::Resize)
        pnlGraphResize();
    return QWidget::eventFilter(watched, event);
}

void TfrmGraph::FormResize() {
    const QRect r = PESGraph1->plottingRect();
    const QPoint left = sliderRow_->mapFrom(this, PESGraph1->mapTo(this, r.topLeft()));
    Slider1->setGeometry(left.x(), 0, std::max(1, r.width()), sliderRow_->height());
}

void TfrmGraph::pnlGraphResize() {
    Panel12->move(PESGraph1->pos());
    Panel12->raise();
}

void TfrmGraph::setTool(int tool) {
    appState().GraphTool = tool;
    PESGraph1->setPointer(tool == 2   ? PointerKind::Cross
                          : tool == 0 ? PointerKind::Text
                                      : PointerKind::Arrow);
}

void TfrmGraph::UpdateGraphStatistics() {
    const GraphDocument& d = PESGraph1->doc();
    const GraphStatistics s = graphStatistics(d);
    setStatistic(QStringLiteral("txtDataNo"), QString::number(s.count));
    if (s.count == 0)
        return;
    setStatistic(QStringLiteral("txtStartTime"),
                 s.timed > 0 ? localetext::dateTimeText(s.first) : QString());
    if (txtSamplingRate->isEditable())
        txtSamplingRate->setEditText(localetext::fixed1(s.samplingRate));
    if (s.levels > 0) {
        setStatistic(QStringLiteral("txtAvgAll"), localetext::fixed1(s.average));
        setStatistic(QStringLiteral("txtMax"), localetext::fixed1(s.max));
        setStatistic(QStringLiteral("txtMaxTime"), localetext::dateTimeText(d.x(s.maxIndex)));
        setStatistic(QStringLiteral("txtMin"), localetext::fixed1(s.min));
        setStatistic(QStringLiteral("txtMinTime"), localetext::dateTimeText(d.x(s.minIndex)));
    } else {
        for (const char* name : {"txtAvgAll", "txtMax", "txtMaxTime", "txtMin", "txtMinTime"})
            setStatistic(QLatin1String(name), QString());
    }
    showAcoustic(acousticOf(d, 0, s.count - 1), "");
    resetSlider(s.count);
}

void TfrmGraph::resetSlider(int count) {
    FormResize();
    Slider1->setMinimum(0);
    // A set without readings still gets a slider (0..0) rather than an inverted one.
    Slider1->setMaximum(std::max(count - 1, 0));
    Slider1->setValue1(count / 3);
    Slider1->setValue2(2 * count / 3);
}

void TfrmGraph::Slider1ValueChange1() {
    AppState& st = appState();
    st.CursorIndexA = Slider1->Value1();
    st.CursorIndexB = Slider1->Value2();
    if (Slider1->Maximum() == 0)
        return;
    GraphDocument& d = PESGraph1->doc();
    const int cursors[2] = {st.CursorIndexA, st.CursorIndexB};
    const char* names[2][2] = {{"txtCursorA", "txtCursorATime"}, {"txtCursorB", "txtCursorBTime"}};
    for (int k = 0; k < 2; ++k) {
        const int i = cursors[k];
        if (!d.inRange(0, i))
            continue;
        setStatistic(QLatin1String(names[k][0]), localetext::fixed1(d.y(i)));
        setStatistic(QLatin1String(names[k][1]), localetext::dateTimeText(d.x(i)));
        d.vertLines[static_cast<std::size_t>(k)] = {d.x(i), cursorLabel(d.x(i), d.y(i))};
    }
    UpdateCursorStatistics();
    pnlStatistic->update();
    redraw();
}

void TfrmGraph::UpdateCursorStatistics() {
    const AppState& st = appState();
    const CursorStatistics c = cursorStatistics(PESGraph1->doc(), st.CursorIndexA, st.CursorIndexB);
    showAcoustic(acousticOf(PESGraph1->doc(), c.lo, c.hi), "AB");
    if (c.levels == 0) {
        for (const char* name :
             {"txtMaxAB", "txtMaxABTime", "txtMinAB", "txtMinABTime", "txtAvgAB"})
            setStatistic(QLatin1String(name), QString());
        return;
    }
    setStatistic(QStringLiteral("txtMaxAB"), localetext::fixed1(c.max));
    setStatistic(QStringLiteral("txtMaxABTime"), localetext::dateTimeText(c.maxX));
    setStatistic(QStringLiteral("txtMinAB"), localetext::fixed1(c.min));
    setStatistic(QStringLiteral("txtMinABTime"), localetext::dateTimeText(c.minX));
    setStatistic(QStringLiteral("txtAvgAB"), localetext::fixed1(c.average));
}

void TfrmGraph::PESGraph1MouseMove() {
    const QPoint p = PESGraph1->lastMouse();
    if (!PESGraph1->plottingRect().contains(p))
        return;
    const QPointF v = PESGraph1->pixelToValue(p);
    Panel12->setText(::mouseReadout(v.x(), v.y()));
}

void TfrmGraph::PESGraph1Click() {
    AppState& st = appState();
    const int tool = st.GraphTool;
    if (tool == -99)
        return;
    QPoint p = PESGraph1->lastMouse();
    // From the pointer's hot spot to the point its picture shows.
    p += tool == 0 ? QPoint(1, 7) : QPoint(15, 15);
    const QPointF v = PESGraph1->pixelToValue(p);
    if (!PESGraph1->plottingRect().contains(p))
        return;
    GraphDocument& d = PESGraph1->doc();
    if (tool == 2) {
        placeAnnotation(d, st.LastAnnotationIndex, AnnotationType::Cross, v.x(), v.y(), QString());
    } else {
        TfrmAnnoEdit dialog(this);
        if (dialog.exec() == QDialog::Accepted)
            placeAnnotation(d, st.LastAnnotationIndex, AnnotationType::Text, v.x(), v.y(),
                            dialog.Edit1->text());
    }
    redraw();
}

void TfrmGraph::PESGraph1DataHotSpot(int subset, int point) {
    markDataPoint(PESGraph1->doc(), subset, point);
    redraw();
}

void TfrmGraph::PESGraph1ZoomIn() {
    tools_.value(QStringLiteral("UndoZoom"))->setEnabled(true);
}

void TfrmGraph::UndoZoomClick() {
    PESGraph1->PEactions(PESGraph::sgUndoZoom);
    PESGraph1->PEnarg1 = PESGraph1->PEnarg2 = 0;
    PESGraph1->PEactions(PESGraph::sgResetImage);
    tools_.value(QStringLiteral("UndoZoom"))->setEnabled(false);
}

void TfrmGraph::Button2Click() {
    QGuiApplication::clipboard()->setText(exportStatisticText(statisticTexts()));
    Dialogs::instance().message(QStringLiteral("The statistic has been copy to clipboard"));
}

void TfrmGraph::ToolButton13Click() {
    TfrmDelAnno dialog(this);
    QTableWidget* grid = dialog.StringGrid1;
    const std::vector<AnnotationRow> rows = listAnnotations(PESGraph1->doc());
    std::vector<int> map(rows.size() + 1, -1);  // grid row -> annotation index
    if (!rows.empty())
        grid->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int row = static_cast<int>(r);
        grid->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
        grid->setItem(row, 1, new QTableWidgetItem(localetext::dateTimeText(rows[r].x)));
        grid->setItem(row, 2, new QTableWidgetItem(rows[r].contents));
        map[r + 1] = rows[r].index;
        dialog.btnDelete->setEnabled(true);
    }
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QModelIndexList selected = grid->selectionModel()->selectedRows();
    for (const QModelIndex& i : selected) {
        const std::size_t row = static_cast<std::size_t>(i.row()) + 1;
        if (row < map.size() && map[row] >= 0)
            eraseAnnotation(PESGraph1->doc(), map[row]);
    }
    redraw();
}

void TfrmGraph::tbntClrClick() {
    AppState& st = appState();
    setCaption(realTimeCaption());
    host_.setRealTimeGraphTicked(true);
    tbntSep3->setVisible(true);
    clearAction_->setVisible(true);
    const TDateTime now = host_.clock().now();
    GraphDocument& d = PESGraph1->doc();
    InitGraph(*PESGraph1, 1, 130, 30, now + 30 * kSecond, now, 200);
    d.fillX(0);
    d.fillY(0);
    st.SampleCount = 0;
    moveOutOfView(d, 3, std::max(st.LastAnnotationIndex, lastUsedAnnotation(d)));
    // Back to where a new window starts; the next annotation still goes after every index in use.
    st.LastAnnotationIndex = kFirstUserAnnotation - 1;
    // Nothing recorded is left to describe.
    clearStatistics();
    setStatistic(QStringLiteral("txtStartTime"), QString());
    setStatistic(QStringLiteral("txtDataNo"), QStringLiteral("0"));
    redraw();
    unsavedRecovery = false;
    emit cleared();
}

void TfrmGraph::txtSamplingRateChange(int index) {
    if (updatingRate_)
        return;
    AppState& st = appState();
    if (!st.RealTimeRunning) {
        bool ok = false;
        const double rate = localetext::toDouble(txtSamplingRate->itemText(index), &ok);
        if (ok)
            st.RealTimeRate = static_cast<float>(rate);
        return;
    }
    selectRate(st.RealTimeRate);
    Dialogs::instance().message(
        QStringLiteral("Can not change Sampling Rate while Real-Time is running."));
}

bool TfrmGraph::FormCloseQuery() {
    AppState& st = appState();
    // Yes saves, No lets the data go; either way the question is answered. Cancel keeps the
    // window open.
    auto ask = [this](const QString& text, bool& unsaved, bool clearOnNo) {
        switch (Dialogs::instance().question(text, Dialogs::Buttons::YesNoCancel)) {
            case Dialogs::Answer::Yes:
                unsaved = false;
                // Nothing saved (the file dialog cancelled): the window and its data stay.
                if (!host_.saveGraph(this)) {
                    unsaved = true;
                    return false;
                }
                return true;
            case Dialogs::Answer::No:
                if (clearOnNo)
                    unsaved = false;
                return true;
            default:
                return false;
        }
    };
    if (st.LoggerDataUnsaved && isDataLogger())
        return ask(QStringLiteral("Save DataLogger Data ?"), st.LoggerDataUnsaved, false);
    if (st.RealTimeUnsaved && isRealTime())
        return ask(QStringLiteral("Save Real-Time Graph ?"), st.RealTimeUnsaved, true);
    if (unsavedRecovery)
        return ask(QStringLiteral("Save the recovered recording ?"), unsavedRecovery, true);
    return true;
}

void TfrmGraph::FormClose() {
    AppState& st = appState();
    if (isDataLogger()) {
        st.LoggerDataUnsaved = false;
        if (st.DataLoggerWindow == this)
            st.DataLoggerWindow = nullptr;
    } else if (isRealTime() && st.RealTimeGraphWindow == this) {
        st.RealTimeGraphWindow = nullptr;
        st.RealTimeRunning = false;
        st.SampleCount = 0;
        host_.realTimeGraphClosed();
    }
    emit closed();
}

void TfrmGraph::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TfrmGraph::setDataSets(const DataSetCollection* sets) {
    dataSets_ = sets;
    const QSignalBlocker quiet(Grid2);
    Grid2->clearContents();
    const int n = sets ? sets->size() : 0;
    Grid2->setRowCount(std::max(n, 1));
    for (int i = 0; i < n; ++i) {
        const QStringList cells = logger::dataSetRow(*sets, i);
        for (int c = 0; c < cells.size(); ++c)
            Grid2->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    // Dates and times read whole, whatever the locale writes.
    Grid2->resizeColumnsToContents();
    if (n > 0)
        Grid2->setCurrentCell(0, 0);
}

void TfrmGraph::Grid2Click() {
    const QList<QTableWidgetItem*> selected = Grid2->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = selected.front()->row();
    const QTableWidgetItem* date = Grid2->item(row, 1);
    if (date && !date->text().isEmpty())
        ShowDataSet(row);
}

void TfrmGraph::ShowDataSet(int i) {
    if (!dataSets_ || i < 0 || i >= dataSets_->size())
        return;
    const DataSetCollection& s = *dataSets_;
    const auto si = static_cast<std::size_t>(i);
    const qsizetype offset = s.offset(i);
    const int n = s.counts[si];
    const auto [start, end] = s.timeRange(i);
    PrepareGraph(*PESGraph1, 1, 130, 30, end, start, n);
    GraphDocument& d = PESGraph1->doc();
    d.setXData(s.readingTimes.data() + offset, n);
    d.setYData(s.readings.data() + offset, n);
    clearStatistics();
    setStatistic(QStringLiteral("txtStartTime"), localetext::dateTimeText(start));
    if (txtSamplingRate->isEditable())
        txtSamplingRate->setEditText(QString::number(s.intervals[si]));
    setStatistic(QStringLiteral("txtDataNo"), QString::number(n));
    if (n > 0) {
        const int hi = s.maxIndexes[si], lo = s.minIndexes[si];
        setStatistic(QStringLiteral("txtMax"), localetext::fixed1(d.y(hi)));
        setStatistic(QStringLiteral("txtMaxTime"), localetext::dateTimeText(d.x(hi)));
        setStatistic(QStringLiteral("txtMin"), localetext::fixed1(d.y(lo)));
        setStatistic(QStringLiteral("txtMinTime"), localetext::dateTimeText(d.x(lo)));
        setStatistic(QStringLiteral("txtAvgAll"), localetext::fixed1(s.averages[si]));
    }
    resetSlider(n);
    redraw();
}

void TfrmGraph::Button1Click() {
    PESGraph1->PEactions(PESGraph::sgCustomize);
}

void TfrmGraph::PESGraph1CustomizeDlg() {
    if (PESGraph1->DialogResult != 1)
        return;
    if (Dialogs::instance().question(QStringLiteral("Do you want to save the changes ?"),
                                     Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return;
    const QString path = userTemplatePath();
    const QString folder = QFileInfo(path).absolutePath() + QLatin1Char('/');
    if (!QDir().mkpath(folder)) {
        Dialogs::instance().error(QStringLiteral("Cannot create ") +
                                  QDir::toNativeSeparators(folder) + QStringLiteral(" directory."));
        return;
    }
    QString error;
    if (!writeGraphFile(PESGraph1->doc(), path, &error))
        Dialogs::instance().error(error);
}
