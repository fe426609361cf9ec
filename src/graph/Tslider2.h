#pragma once

#include <QColor>
#include <QWidget>

#include <functional>

// A track with two thumbs that pick two integer values in Minimum..Maximum. The thumbs are
// independent: either may pass the other.
class Tslider2 : public QWidget {
    Q_OBJECT
public:
    enum Orientation { slHoriz, slVert };

    explicit Tslider2(QWidget* parent = nullptr);

    int Minimum() const { return min_; }
    int Maximum() const { return max_; }
    int Value1() const { return value_[0]; }
    int Value2() const { return value_[1]; }
    void setMinimum(int v);
    void setMaximum(int v);
    void setValue1(int v) { setValue(0, v); }
    void setValue2(int v) { setValue(1, v); }

    int TrackWidth = 5;
    int ThumbHeight = 20;  // the thumb's extent along the track
    int ThumbWidth = 8;
    QColor TrackColor;
    QColor ThumbColor;
    Orientation orientation = slHoriz;

    std::function<void()> OnValueChange1;
    std::function<void()> OnValueChange2;

    // The first pixel along the track of thumb k (0 or 1).
    int thumbPosition(int k) const;
    // Length of the control along its track.
    int length() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setValue(int k, int v);
    int along(QPoint p) const { return orientation == slHoriz ? p.x() : p.y(); }

    int min_ = 0;
    int max_ = 100;
    int value_[2] = {0, 100};
    int dragging_ = -1;
    int pressAlong_ = 0;
    int pressValue_ = 0;
};
