#include "panel/Upanel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/Guard.h"
#include "link/MeterLink.h"
#include "panel/LcdImages.h"
#include "panel/Pictures.h"

namespace {
// The MIN MAX key's long-press state, shared by every panel the process opens.
bool gHeld = false;
int gTicks = 0;

constexpr int kReceiveWaitMs = 3000;
}  // namespace

void KeyArea::mousePressEvent(QMouseEvent* e) {
    e->accept();
    Q_EMIT pressed();
}

void KeyArea::mouseReleaseEvent(QMouseEvent* e) {
    e->accept();
    Q_EMIT released();
    if (rect().contains(e->position().toPoint()))
        Q_EMIT clicked();
}

BarGraph::BarGraph(QWidget* parent) : QWidget(parent) {
    // Opaque: the bar paints every pixel it covers, so its parent is not erased beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void BarGraph::paintEvent(QPaintEvent*) {
    static const QPixmap picture = pictures::barPicture();
    QPainter p(this);
    p.drawPixmap(0, 0, picture);
}

bool TfrmPanel::maxMinHeld() {
    return gHeld;
}

TfrmPanel::TfrmPanel(MeterLink& link, Clock& clock, QWidget* parent)
    : QWidget(parent), link_(link), clock_(clock), mmaTimer_(clock.createTimer()) {
    setObjectName(QStringLiteral("frmPanel"));
    setWindowTitle(QStringLiteral("Control Panel"));
    setFixedSize(215, 603);
    setAttribute(Qt::WA_OpaquePaintEvent);
    mmaTimer_->setInterval(1000);
    mmaTimer_->onTimeout = [this] { MMATimerTimer(); };

    QLabel* front = picture("imgPanel", 0, 4, pictures::meterFront(), true);
    front->setAttribute(Qt::WA_OpaquePaintEvent);
    front->installEventFilter(this);
    // The strip above the picture.
    auto* strip = new QLabel(this);
    strip->setGeometry(0, 0, 215, 4);
    strip->setStyleSheet(QStringLiteral("background: #ecedef"));

    static const int kDigitX[] = {66, 84, 101, 123};
    for (int i = 0; i < 4; ++i) {
        digits_[i] = new QLabel(this);
        digits_[i]->setObjectName(QStringLiteral("MainD%1").arg(i + 1));
        digits_[i]->setGeometry(kDigitX[i], 492, 17, 28);
        digits_[i]->installEventFilter(this);
        elements_.insert(digits_[i]->objectName(), digits_[i]);
    }
    QPixmap point(5, 5);
    point.fill(QColor(28, 30, 26));
    picture("imgPoint", 118, 513, point, true);

    bar_ = new BarGraph(this);
    bar_->setObjectName(QStringLiteral("imgColorBar"));
    bar_->setGeometry(57, 447, 2, 8);

    label("lblRangeLow", 55, 456, QStringLiteral("30"), 9, false, true);
    label("lblRangeHigh", 154, 456, QStringLiteral("130"), 9, false, true);
    items_[int(PanelItem::lblMAX)] =
        label("lblMAX", 83, 433, QStringLiteral("MAX"), 9, true, false);
    items_[int(PanelItem::lblMIN)] =
        label("lblMIN", 105, 433, QStringLiteral("MIN"), 9, true, false);
    items_[int(PanelItem::lblFAST)] =
        label("lblFAST", 125, 433, QStringLiteral("FAST"), 9, true, true);
    items_[int(PanelItem::lbldBA)] =
        label("lbldBA", 145, 499, QStringLiteral("dBA"), 11, true, true);
    items_[int(PanelItem::lblREC)] = label("lblREC", 108, 520, QString(), 11, true, true);
    items_[int(PanelItem::lblTime)] = label("lblTime", 80, 477, QString(), 11, true, true);
    items_[int(PanelItem::lblDate)] = label("lblDate", 80, 466, QString(), 11, true, true);
    items_[int(PanelItem::lblReadNo)] =
        label("lblReadNo", 163, 472, QStringLiteral("08"), 13, true, false);
    items_[int(PanelItem::imgREAD)] = picture("imgREAD", 132, 479, pictures::readWord(), false);
    items_[int(PanelItem::imgUNDER)] = picture("imgUNDER", 56, 526, pictures::underWord(), false);
    items_[int(PanelItem::imgOVER)] = picture("imgOVER", 149, 526, pictures::overWord(), false);
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "imgBatBar" + QByteArray::number(i);
        items_[int(PanelItem::imgBatBar0) + i] =
            picture(name.constData(), 49, 432, pictures::battery(i), false);
    }
    items_[int(PanelItem::imgAutoOff)] =
        picture("imgAutoOff", 74, 434, pictures::clockSymbol(), false);
    QLabel* noConnection =
        label("lblNoConnection", 49, 408, QStringLiteral("No Connection"), 16, true, false);
    noConnection->setStyleSheet(QStringLiteral("color: #e00000"));
    items_[int(PanelItem::lblNoConnection)] = noConnection;
    picture("Image1", 135, 467, pictures::memWord(), false);
    label("lblSegTIME", 81, 523, QStringLiteral("TIME"), 11, true, false);
    // Pictures of another model's front, kept outside the client area and never shown.
    QPixmap bezel(144, 154);
    bezel.fill(QColor(60, 60, 60));
    picture("imgLowerBezel", 240, 506, bezel, false);
    QPixmap mask(100, 11);
    mask.fill(QColor(128, 128, 128));
    picture("imgMask1", 240, 449, mask, false);

    // Key areas over the picture.
    int n = 0;
    const pictures::KeyArea* keys = pictures::keyAreas(&n);
    for (int i = 0; i < n; ++i) {
        auto* key = new KeyArea(this);
        key->setObjectName(QLatin1String(keys[i].name));
        key->setGeometry(keys[i].rect);
        key->setCursor(Qt::PointingHandCursor);
        key->setAttribute(Qt::WA_TranslucentBackground);
        elements_.insert(key->objectName(), key);
    }
    auto key = [this](const char* name) {
        return static_cast<KeyArea*>(element(QLatin1String(name)));
    };
    key("btnMaxMin")
        ->setToolTip(QStringLiteral(
            "single click to change MAX/MIN mode, mouse down 2 seconds  to cancel ."));
    // Hints the meter's picture carries but never shows.
    key("btnPower")->setProperty("hint", QStringLiteral("Close Control Panel"));
    key("btnFast")->setProperty("hint", QStringLiteral("Time weighting select button"));
    for (const char* name : {"btnAC", "btnBackLight", "btnINTV", "btnMEM", "btnRECALL", "Label1"})
        key(name)->setProperty("hint", QStringLiteral("Frequency Weighting select button"));

    connect(key("btnPower"), &KeyArea::clicked, this, &TfrmPanel::btnPowerClick);
    const struct {
        const char* name;
        char letter;
        bool direct;
    } sends[] = {{"btnRECALL", 'Q', false}, {"btnLevel", 'l', true},     {"btnREC", 'E', false},
                 {"btnMEM", 'R', false},    {"btnDown", 'L', true},      {"Label1", 'S', false},
                 {"btnINTV", 'T', false},   {"btnBackLight", 'W', true}, {"btnAC", 'C', false},
                 {"btnFast", 'F', false}};
    for (const auto& s : sends) {
        const char letter = s.letter;
        if (s.direct)
            connect(key(s.name), &KeyArea::clicked, this, [this, letter] { writeKey(letter); });
        else
            connect(key(s.name), &KeyArea::clicked, this, [this, letter] { sendKey(letter); });
    }
    connect(key("btnMaxMin"), &KeyArea::pressed, this, &TfrmPanel::btnMaxMinMouseDown);
    connect(key("btnMaxMin"), &KeyArea::released, this, &TfrmPanel::btnMaxMinMouseUp);

    auto* minimize = new QToolButton(this);
    minimize->setObjectName(QStringLiteral("SpeedButton1"));
    minimize->setGeometry(169, 0, 16, 14);
    minimize->setAutoRaise(true);
    minimize->setIcon(pictures::titleButton(false));
    connect(minimize, &QToolButton::clicked, this, [this] {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->showMinimized();
        else
            showMinimized();
    });
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("SpeedButton2"));
    close->setGeometry(191, 0, 16, 14);
    close->setAutoRaise(true);
    close->setIcon(pictures::titleButton(true));
    connect(close, &QToolButton::clicked, this, &TfrmPanel::closePanel);
    minimize->raise();
    close->raise();
}

TfrmPanel::~TfrmPanel() {
    if (appState().PanelWindow == this)
        appState().PanelWindow = nullptr;
}

QLabel* TfrmPanel::label(const char* name, int x, int y, const QString& text, int px, bool bold,
                         bool shown) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QLatin1String(name));
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(px);
    f.setBold(bold);
    l->setFont(f);
    l->setStyleSheet(QStringLiteral("color: #1c1e1a; background: transparent"));
    l->move(x, y);
    l->adjustSize();
    l->setVisible(shown);
    elements_.insert(l->objectName(), l);
    return l;
}

QLabel* TfrmPanel::picture(const char* name, int x, int y, const QPixmap& pm, bool shown) {
    auto* l = new QLabel(this);
    l->setObjectName(QLatin1String(name));
    l->setPixmap(pm);
    l->setGeometry(x, y, pm.width(), pm.height());
    l->setVisible(shown);
    elements_.insert(l->objectName(), l);
    return l;
}

QLabel* TfrmPanel::element(const QString& name) const {
    return elements_.value(name);
}

void TfrmPanel::setDigit(int place, int image) {
    digits_[place]->setPixmap(QPixmap::fromImage(LcdImages::image(image)));
    digitIndex_[place] = image;
    ++changes_;
}

bool TfrmPanel::isShown(PanelItem item) const {
    return !items_[int(item)]->isHidden();
}

void TfrmPanel::setShown(PanelItem item, bool shown) {
    if (isShown(item) == shown)
        return;
    items_[int(item)]->setVisible(shown);
    ++changes_;
}

QString TfrmPanel::text(PanelItem item) const {
    return items_[int(item)]->text();
}

void TfrmPanel::setText(PanelItem item, const QString& text) {
    QLabel* l = items_[int(item)];
    if (l->text() == text)
        return;
    l->setText(text);
    l->adjustSize();
    ++changes_;
}

void TfrmPanel::setBarWidth(int width) {
    if (bar_->width() == width && bar_->isVisible() == (width > 0))
        return;
    bar_->setVisible(width > 0);
    if (width > 0)
        bar_->resize(width, 8);
    ++changes_;
}

void TfrmPanel::setNoConnectionShown(bool shown) {
    setShown(PanelItem::lblNoConnection, shown);
}

void TfrmPanel::resetForConnection() {
    element(QStringLiteral("imgLowerBezel"))->hide();
    element(QStringLiteral("imgMask1"))->hide();
    setText(PanelItem::lblREC, QString());
    setShown(PanelItem::lblTime, true);
    setShown(PanelItem::lblDate, true);
}

void TfrmPanel::setBlink(bool on) {
    setShown(PanelItem::lblMAX, on);
    setShown(PanelItem::lblMIN, on);
}

void TfrmPanel::closePanel() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void TfrmPanel::btnPowerClick() {
    closePanel();
}

void TfrmPanel::closeEvent(QCloseEvent* e) {
    while (appState().BlinkBusy)
        QCoreApplication::processEvents();
    mmaTimer_->stop();
    if (appState().PanelWindow == this)
        appState().PanelWindow = nullptr;
    Q_EMIT closing();
    e->accept();
}

void TfrmPanel::sendKey(char letter) {
    try {
        link_.sendKey(letter);
    } catch (const EAbort&) {
    }
}

void TfrmPanel::writeKey(char letter) {
    try {
        link_.writeKey(letter);
    } catch (const EAbort&) {
    }
}

void TfrmPanel::waitForReceive() {
    // At most three seconds, without processing messages.
    const qint64 until = clock_.msecs() + kReceiveWaitMs;
    while (appState().ReceiveBusy && clock_.msecs() < until)
        clock_.delay(1);
}

void TfrmPanel::btnMaxMinMouseDown() {
    gHeld = true;
    gTicks = 0;
    mmaTimer_->start();
}

void TfrmPanel::MMATimerTimer() {
    if (++gTicks <= 2)
        return;
    waitForReceive();
    if (appState().Connected)
        sendKey('N');
    gHeld = false;
    gTicks = 0;
    mmaTimer_->stop();
}

void TfrmPanel::btnMaxMinMouseUp() {
    if (!appState().Connected) {
        // The timer runs out by itself at its third tick, sending nothing.
        Dialogs::instance().message(QStringLiteral("No Connection"));
        return;
    }
    if (!gHeld)
        return;
    gHeld = false;
    gTicks = 0;
    mmaTimer_->stop();
    waitForReceive();
    if (appState().Connected)
        sendKey('M');
}

bool TfrmPanel::eventFilter(QObject* watched, QEvent* e) {
    // The picture and the digits drag the window, as its caption would.
    QWidget* moving = parentWidget() ? parentWidget() : this;
    switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() != Qt::LeftButton)
                return true;
            dragging_ = true;
            dragFrom_ = me->globalPosition().toPoint() - moving->pos();
            return true;
        }
        case QEvent::MouseMove:
            if (dragging_) {
                moving->move(static_cast<QMouseEvent*>(e)->globalPosition().toPoint() - dragFrom_);
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            dragging_ = false;
            return true;
        default:
            break;
    }
    return QWidget::eventFilter(watched, e);
}
