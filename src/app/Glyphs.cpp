#include "app/Glyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace glyphs {

namespace {
constexpr int kSize = 24;

void drawGlyph(QPainter& p, Kind kind, bool enabled) {
    const QColor ink = enabled ? QColor(40, 40, 40) : QColor(160, 160, 160);
    const QColor accent = enabled ? QColor(30, 110, 200) : QColor(190, 190, 190);
    p.setPen(QPen(ink, 1.4));
    switch (kind) {
        case Kind::Open: {
            p.setBrush(enabled ? QColor(240, 200, 90) : QColor(220, 220, 220));
            QPainterPath folder;
            folder.moveTo(3, 7);
            folder.lineTo(9, 7);
            folder.lineTo(11, 9);
            folder.lineTo(20, 9);
            folder.lineTo(20, 19);
            folder.lineTo(3, 19);
            folder.closeSubpath();
            p.drawPath(folder);
            p.drawLine(QPointF(3, 12), QPointF(20, 12));
            break;
        }
        case Kind::Save:
            p.setBrush(accent);
            p.drawRoundedRect(QRectF(4, 4, 16, 16), 2, 2);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(7, 4, 10, 6));
            p.drawRect(QRectF(7, 13, 10, 7));
            break;
        case Kind::Print:
            p.setBrush(Qt::white);
            p.drawRect(QRectF(7, 3, 10, 7));
            p.setBrush(enabled ? QColor(200, 200, 205) : QColor(225, 225, 225));
            p.drawRoundedRect(QRectF(3, 9, 18, 8), 2, 2);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(7, 14, 10, 7));
            break;
        case Kind::Logger:
            p.setBrush(enabled ? QColor(60, 60, 70) : QColor(200, 200, 200));
            p.drawRect(QRectF(6, 6, 12, 12));
            for (int i = 0; i < 3; ++i) {
                const double c = 8 + i * 4;
                p.drawLine(QPointF(c, 3), QPointF(c, 6));
                p.drawLine(QPointF(c, 18), QPointF(c, 21));
                p.drawLine(QPointF(3, c), QPointF(6, c));
                p.drawLine(QPointF(18, c), QPointF(21, c));
            }
            break;
        case Kind::TableToGraph:
            p.setBrush(Qt::white);
            p.drawRect(QRectF(3, 4, 9, 12));
            p.drawLine(QPointF(3, 8), QPointF(12, 8));
            p.drawLine(QPointF(3, 12), QPointF(12, 12));
            p.setPen(QPen(accent, 2));
            p.drawPolyline(
                QPolygonF({QPointF(12, 20), QPointF(15, 14), QPointF(18, 17), QPointF(21, 9)}));
            break;
        case Kind::Run:
            p.setBrush(enabled ? QColor(40, 160, 60) : QColor(200, 200, 200));
            p.drawPolygon(QPolygonF({QPointF(7, 4), QPointF(20, 12), QPointF(7, 20)}));
            break;
        case Kind::Stop:
            p.setBrush(enabled ? QColor(200, 40, 40) : QColor(200, 200, 200));
            p.drawRect(QRectF(6, 6, 12, 12));
            break;
        case Kind::Help: {
            p.setBrush(accent);
            p.drawEllipse(QRectF(3, 3, 18, 18));
            QFont f;
            f.setPixelSize(14);
            f.setBold(true);
            p.setFont(f);
            p.setPen(Qt::white);
            p.drawText(QRectF(3, 3, 18, 18), Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
    }
}

QPixmap render(Kind kind, bool enabled) {
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    drawGlyph(p, kind, enabled);
    return pm;
}
}  // namespace

QIcon icon(Kind kind) {
    QIcon i;
    i.addPixmap(render(kind, true), QIcon::Normal);
    i.addPixmap(render(kind, false), QIcon::Disabled);
    return i;
}

QPixmap meterIcon(int size) {
    // A hand-held sound level meter: windscreen ball on its neck, body, display, keys.
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    const QPen outline(QColor(30, 30, 30), 2);
    p.setPen(outline);
    p.setBrush(QColor(50, 52, 56));
    p.drawRect(QRectF(28, 14, 8, 8));
    p.setBrush(QColor(70, 74, 80));
    p.drawRoundedRect(QRectF(17, 20, 30, 42), 7, 7);
    p.setBrush(QColor(215, 215, 210));
    p.drawEllipse(QRectF(24, 1, 16, 16));
    p.setBrush(QColor(180, 190, 150));
    p.drawRect(QRectF(21, 25, 22, 13));
    p.setPen(QPen(QColor(40, 44, 30), 2, Qt::SolidLine, Qt::FlatCap));
    for (int d = 0; d < 3; ++d)
        p.drawLine(QPointF(25 + d * 6, 31.5), QPointF(29 + d * 6, 31.5));
    p.setPen(QPen(QColor(30, 30, 30), 1.5));
    p.setBrush(QColor(210, 210, 210));
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            p.drawRoundedRect(QRectF(21.5 + c * 7.5, 44 + r * 8, 6, 5), 1.5, 1.5);
    return pm;
}

}  // namespace glyphs
