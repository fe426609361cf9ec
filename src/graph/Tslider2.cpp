#include "graph/Tslider2.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include <algorithm>

Tslider2::Tslider2(QWidget* parent) : QWidget(parent) {
    resize(200, 50);
    TrackColor = palette().color(QPalette::Button);
    ThumbColor = palette().color(QPalette::Button);
}

void Tslider2::setMinimum(int v) {
    min_ = v;
    for (int k = 0; k < 2; ++k)
        if (value_[k] < min_)
            setValue(k, min_);
    update();
}

void Tslider2::setMaximum(int v) {
    max_ = v;
    for (int k = 0; k < 2; ++k)
        if (value_[k] > max_)
            setValue(k, max_);
    update();
}

void Tslider2::setValue(int k, int v) {
    // Clamp to Maximum first, then Minimum, so a range with Maximum below Minimum stays defined.
    v = std::max(std::min(v, max_), min_);
    if (v == value_[k])
        return;
    value_[k] = v;
    update();
    const auto& handler = k == 0 ? OnValueChange1 : OnValueChange2;
    if (handler)
        handler();
}

int Tslider2::length() const {
    return orientation == slHoriz ? width() : height();
}

int Tslider2::thumbPosition(int k) const {
    // 64 bits: the room times a value of millions of points overflows int.
    const qint64 span = static_cast<qint64>(max_) - min_;
    if (span <= 0)
        return 0;
    return static_cast<int>(static_cast<qint64>(length() - ThumbHeight) *
                            (static_cast<qint64>(value_[k]) - min_) / span);
}

void Tslider2::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool h = orientation == slHoriz;
    const int across = h ? height() : width();
    const int t = (across - TrackWidth) / 2;
    const QRect track = h ? QRect(0, t, width(), TrackWidth) : QRect(t, 0, TrackWidth, height());
    p.fillRect(track, TrackColor);
    p.setPen(TrackColor.darker(160));
    p.drawRect(track.adjusted(0, 0, -1, -1));
    for (int k = 0; k < 2; ++k) {
        const int x = thumbPosition(k);
        const QRect thumb =
            h ? QRect(x, 0, ThumbHeight, height()) : QRect(0, x, width(), ThumbHeight);
        p.fillRect(thumb, ThumbColor);
        p.setPen(ThumbColor.darker(200));
        p.drawRect(thumb.adjusted(0, 0, -1, -1));
        // Thumb 1 (cursor A) is marked with a dark centre line so the two can be told apart.
        if (k == 0) {
            p.setPen(QColor(0, 64, 160));
            if (h)
                p.drawLine(x + ThumbHeight / 2, 2, x + ThumbHeight / 2, height() - 3);
            else
                p.drawLine(2, x + ThumbHeight / 2, width() - 3, x + ThumbHeight / 2);
        }
    }
}

void Tslider2::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int a = along(event->position().toPoint());
    dragging_ = -1;
    for (int k = 0; k < 2 && dragging_ < 0; ++k) {
        const int x = thumbPosition(k);
        if (a >= x && a <= x + ThumbHeight)
            dragging_ = k;
    }
    if (dragging_ >= 0) {
        pressAlong_ = a;
        pressValue_ = value_[dragging_];
    }
}

void Tslider2::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ < 0 || !(event->buttons() & Qt::LeftButton))
        return;
    const int room = length() - ThumbHeight;
    if (room <= 0)
        return;
    const int moved = along(event->position().toPoint()) - pressAlong_;
    // Integer division truncates towards zero, as the drag rule wants.
    setValue(dragging_, pressValue_ + static_cast<int>(static_cast<qint64>(moved) *
                                                       (static_cast<qint64>(max_) - min_) / room));
}

void Tslider2::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragging_ = -1;
}
