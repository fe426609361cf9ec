#include "panel/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace pictures {

namespace {
const QColor kLcdInk(28, 30, 26);
const KeyArea kKeys[] = {
    {"btnPower", {149, 176, 41, 36}, ""},          {"btnRECALL", {95, 239, 42, 27}, "RECALL"},
    {"btnLevel", {153, 242, 30, 28}, ""},          {"btnREC", {61, 281, 33, 28}, "REC"},
    {"btnMEM", {103, 287, 41, 25}, "MEM"},         {"btnDown", {155, 280, 30, 28}, ""},
    {"Label1", {49, 334, 41, 25}, "CLOCK"},        {"btnINTV", {99, 334, 41, 25}, "INTV"},
    {"btnMaxMin", {153, 329, 32, 25}, "MIN\nMAX"}, {"btnBackLight", {37, 378, 41, 25}, ""},
    {"btnAC", {84, 378, 41, 25}, "A/C"},           {"btnFast", {142, 376, 44, 25}, "FAST\nSLOW"},
};

QPixmap canvas(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

QFont pixelFont(int px, bool bold = true) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

void drawKey(QPainter& p, const KeyArea& k) {
    const QRectF r = QRectF(k.rect).adjusted(2.5, 2.5, -2.5, -2.5);
    // Shadow, then the rubber key with a soft top light.
    const bool power = QLatin1String(k.name) == QLatin1String("btnPower");
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    if (power)
        p.drawEllipse(r.center() + QPointF(0, 1.5), 13, 13);
    else
        p.drawRoundedRect(r.translated(0, 1.5), 5, 5);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    const bool rec = QLatin1String(k.name) == QLatin1String("btnREC");
    if (power) {
        g.setColorAt(0, QColor(236, 120, 80));
        g.setColorAt(1, QColor(176, 60, 34));
    } else {
        g.setColorAt(0, QColor(222, 224, 226));
        g.setColorAt(1, QColor(168, 171, 176));
    }
    p.setBrush(g);
    p.setPen(QPen(QColor(30, 32, 36), 1));
    if (power)
        p.drawEllipse(r.center(), 13, 13);
    else
        p.drawRoundedRect(r, 5, 5);

    p.setPen(QPen(QColor(40, 42, 46), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF c = r.center();
    const QString name = QLatin1String(k.name);
    if (power) {
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(c.x() - 6, c.y() - 5, 12, 12), 120 * 16, 300 * 16);
        p.drawLine(QPointF(c.x(), c.y() - 7), QPointF(c.x(), c.y() - 1));
    } else if (name == QLatin1String("btnLevel") || name == QLatin1String("btnDown")) {
        const double s = name == QLatin1String("btnLevel") ? -1 : 1;
        p.setBrush(QColor(40, 42, 46));
        p.setPen(Qt::NoPen);
        p.drawPolygon(
            QPolygonF({QPointF(c.x() - 6, c.y() - 3 * s), QPointF(c.x() + 6, c.y() - 3 * s),
                       QPointF(c.x(), c.y() + 4 * s)}));
    } else if (name == QLatin1String("btnBackLight")) {
        p.drawEllipse(c, 3.2, 3.2);
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4;
            p.drawLine(c + QPointF(std::cos(a) * 5.5, std::sin(a) * 5.5),
                       c + QPointF(std::cos(a) * 8, std::sin(a) * 8));
        }
    } else {
        p.setPen(rec ? QColor(170, 20, 20) : QColor(34, 36, 40));
        const QString legend = QString::fromUtf8(k.legend);
        p.setFont(pixelFont(legend.contains(QLatin1Char('\n')) ? 7 : 8));
        p.drawText(r, Qt::AlignCenter, legend);
    }
}
}  // namespace

const KeyArea* keyAreas(int* count) {
    *count = static_cast<int>(std::size(kKeys));
    return kKeys;
}

QPixmap meterFront() {
    QPixmap pm(214, 599);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // Drawn in the panel's client coordinates; the picture sits 4 pixels down.
    p.translate(0, -4);
    QLinearGradient bg(0, 0, 214, 603);
    bg.setColorAt(0, QColor(236, 237, 239));
    bg.setColorAt(1, QColor(206, 208, 212));
    p.fillRect(QRect(0, 0, 214, 603), bg);

    // Microphone: a foam windscreen on a tapered neck.
    QLinearGradient neck(80, 0, 134, 0);
    neck.setColorAt(0, QColor(70, 72, 76));
    neck.setColorAt(0.45, QColor(150, 152, 156));
    neck.setColorAt(1, QColor(60, 62, 66));
    p.setPen(QPen(QColor(35, 36, 40), 1));
    p.setBrush(neck);
    p.drawPolygon(
        QPolygonF({QPointF(95, 70), QPointF(119, 70), QPointF(136, 152), QPointF(78, 152)}));
    QRadialGradient foam(QPointF(96, 38), 52);
    foam.setColorAt(0, QColor(120, 124, 130));
    foam.setColorAt(1, QColor(44, 46, 50));
    p.setBrush(foam);
    p.drawEllipse(QPointF(107, 50), 42, 42);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    for (int y = 14; y < 92; y += 5)
        for (int x = 69; x < 146; x += 5)
            if (std::hypot(x - 107.0, y - 50.0) < 39)
                p.drawEllipse(QPointF(x + (y % 2) * 2.5, y), 1, 1);

    // Housing and face plate.
    QLinearGradient body(22, 0, 192, 0);
    body.setColorAt(0, QColor(34, 36, 40));
    body.setColorAt(0.5, QColor(66, 70, 76));
    body.setColorAt(1, QColor(30, 32, 36));
    p.setPen(QPen(QColor(20, 20, 22), 1.5));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(20, 140, 174, 458), 26, 26);
    p.setPen(QPen(QColor(100, 104, 110), 1));
    p.setBrush(QColor(56, 60, 66));
    p.drawRoundedRect(QRectF(29, 158, 156, 432), 18, 18);

    // Maker's marks.
    p.setPen(QColor(236, 238, 240));
    p.setFont(pixelFont(17));
    p.drawText(QRectF(38, 170, 100, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("NX410"));
    p.setFont(pixelFont(8, false));
    p.setPen(QColor(190, 194, 200));
    p.drawText(QRectF(38, 193, 110, 12), Qt::AlignLeft, QStringLiteral("SOUND LEVEL METER"));
    p.setPen(QPen(QColor(230, 120, 40), 2));
    p.drawLine(QPointF(38, 210), QPointF(140, 210));

    // Keypad plate and keys.
    p.setPen(QPen(QColor(40, 42, 46), 1));
    p.setBrush(QColor(72, 76, 82));
    p.drawRoundedRect(QRectF(33, 230, 156, 178), 10, 10);
    int n = 0;
    const KeyArea* keys = keyAreas(&n);
    for (int i = 0; i < n; ++i)
        drawKey(p, keys[i]);

    // Display window: bezel and LCD glass.
    p.setPen(QPen(QColor(18, 18, 20), 1.5));
    p.setBrush(QColor(26, 28, 30));
    p.drawRoundedRect(QRectF(38, 404, 158, 140), 8, 8);
    QLinearGradient glass(0, 426, 0, 540);
    glass.setColorAt(0, QColor(196, 204, 182));
    glass.setColorAt(1, QColor(170, 180, 156));
    p.setBrush(glass);
    p.setPen(QPen(QColor(90, 96, 84), 1));
    p.drawRoundedRect(QRectF(44, 428, 146, 110), 4, 4);
    // Faint ticks under the bar graph, printed on the glass.
    p.setPen(QPen(QColor(110, 118, 100), 1));
    for (int i = 0; i <= 10; ++i) {
        const double x = 57.5 + i * 10;
        p.drawLine(QPointF(x, 455), QPointF(x, i % 5 == 0 ? 458 : 456.5));
    }

    // Foot of the housing.
    p.setPen(QColor(170, 174, 180));
    p.setFont(pixelFont(8, false));
    p.drawText(QRectF(29, 552, 156, 12), Qt::AlignHCenter,
               QStringLiteral("CLASS 2  \u2022  30-130 dB"));
    p.setBrush(QColor(40, 42, 46));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(92, 572, 30, 8), 3, 3);
    return pm;
}

QPixmap barPicture() {
    QPixmap pm(101, 9);
    pm.fill(QColor(183, 192, 169));
    QPainter p(&pm);
    p.fillRect(QRect(0, 1, 101, 5), kLcdInk);
    for (int x = 0; x <= 100; x += 10)
        p.fillRect(QRect(x, 6, 1, x % 50 == 0 ? 3 : 2), kLcdInk);
    // Thin gaps between the bar's segments, as on the LCD.
    for (int x = 4; x < 101; x += 5)
        p.fillRect(QRect(x, 1, 1, 5), QColor(70, 76, 64));
    return pm;
}

namespace {
QPixmap word(int w, int h, const QString& text, int px, bool inverse) {
    QPixmap pm = canvas(w, h);
    QPainter p(&pm);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (inverse)
        p.fillRect(pm.rect(), kLcdInk);
    p.setPen(inverse ? QColor(190, 200, 176) : kLcdInk);
    p.setFont(pixelFont(px));
    p.drawText(pm.rect(), Qt::AlignCenter, text);
    return pm;
}
}  // namespace

QPixmap readWord() {
    return word(30, 12, QStringLiteral("READ"), 10, false);
}
QPixmap underWord() {
    return word(21, 7, QStringLiteral("UNDER"), 6, true);
}
QPixmap overWord() {
    return word(17, 7, QStringLiteral("OVER"), 6, true);
}
QPixmap memWord() {
    return word(27, 12, QStringLiteral("MEM"), 10, false);
}

QPixmap battery(int bars) {
    QPixmap pm = canvas(22, 12);
    QPainter p(&pm);
    p.setPen(QPen(kLcdInk, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(0, 1, 19, 9));
    p.fillRect(QRect(20, 4, 2, 4), kLcdInk);
    for (int i = 0; i < bars; ++i)
        p.fillRect(QRect(2 + i * 6, 3, 4, 6), kLcdInk);
    return pm;
}

QPixmap clockSymbol() {
    QPixmap pm = canvas(7, 7);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kLcdInk, 1));
    p.drawEllipse(QRectF(0.5, 0.5, 6, 6));
    p.drawLine(QPointF(3.5, 3.5), QPointF(3.5, 1.5));
    p.drawLine(QPointF(3.5, 3.5), QPointF(5, 3.5));
    return pm;
}

QPixmap titleButton(bool close) {
    QPixmap pm = canvas(16, 14);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.6));
    if (close) {
        p.drawLine(QPointF(4, 3), QPointF(12, 11));
        p.drawLine(QPointF(12, 3), QPointF(4, 11));
    } else {
        p.drawLine(QPointF(4, 10), QPointF(12, 10));
    }
    return pm;
}

}  // namespace pictures
