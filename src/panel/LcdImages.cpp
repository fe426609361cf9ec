#include "panel/LcdImages.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <vector>

namespace LcdImages {

namespace {
std::vector<QImage>& store() {
    static std::vector<QImage> images;
    return images;
}

// Segments a (top), b (top right), c (bottom right), d (bottom), e (bottom left), f (top left),
// g (middle), as bits 0..6.
constexpr std::array<std::uint8_t, kCount> kSegments = {
    0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F,  // 0..9
    0x00,                                                        // blank
    0x40, 0x40,                                                  // dash
    0x38,                                                        // L
    0x79,                                                        // E
    0x50,                                                        // r
};

// A segment as a hexagon from p to q, t thick.
QPolygonF segment(QPointF p, QPointF q, double t) {
    const QPointF dir = (q - p) / std::hypot(q.x() - p.x(), q.y() - p.y());
    const QPointF n(-dir.y(), dir.x());
    const double h = t / 2;
    return QPolygonF(
        {p, p + dir * h + n * h, q - dir * h + n * h, q, q - dir * h - n * h, p + dir * h - n * h});
}
}  // namespace

QImage draw(int index) {
    QImage img(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    if (index < 0 || index >= kCount)
        return img;
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 30, 26));
    // Slant the upright figure to the right, as the meter's LCD does.
    p.setTransform(QTransform(1, 0, -0.14, 1, 2.6, 0));
    const double l = 3.0, r = 13.6, top = 2.0, mid = 13.8, bot = 25.6, t = 2.6, gap = 0.9;
    const QPointF pts[] = {{l, top}, {r, top}, {l, mid}, {r, mid}, {l, bot}, {r, bot}};
    auto seg = [&](int from, int to, bool horizontal) {
        QPointF a = pts[from], b = pts[to];
        const QPointF off = horizontal ? QPointF(gap, 0) : QPointF(0, gap);
        p.drawPolygon(segment(a + off, b - off, t));
    };
    const std::uint8_t s = kSegments[static_cast<std::size_t>(index)];
    if (s & 0x01)
        seg(0, 1, true);
    if (s & 0x02)
        seg(1, 3, false);
    if (s & 0x04)
        seg(3, 5, false);
    if (s & 0x08)
        seg(4, 5, true);
    if (s & 0x10)
        seg(2, 4, false);
    if (s & 0x20)
        seg(0, 2, false);
    if (s & 0x40)
        seg(2, 3, true);
    return img;
}

void load() {
    auto& images = store();
    images.clear();
    for (int i = 0; i < kCount; ++i)
        images.push_back(draw(i));
}

void release() {
    store().clear();
}

bool loaded() {
    return store().size() == kCount;
}

const QImage& image(int index) {
    if (!loaded())
        load();
    return store()[static_cast<std::size_t>(std::clamp(index, 0, kCount - 1))];
}

}  // namespace LcdImages
