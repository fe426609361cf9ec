#pragma once

#include <QHash>
#include <QLabel>
#include <QPoint>
#include <QWidget>

#include <memory>

#include "panel/PanelUpdate.h"

class Clock;
class ClockTimer;
class MeterLink;
class QToolButton;

// A key area on the meter's picture: transparent, with the hand pointer.
class KeyArea : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
Q_SIGNALS:
    void pressed();
    void released();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};

// The bar graph: the bar picture drawn unscaled from its left edge, opaque.
class BarGraph : public QWidget {
    Q_OBJECT
public:
    explicit BarGraph(QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
};

// The control panel: the meter's front with a live copy of its display, and keys that work it.
class TfrmPanel : public QWidget, public PanelDisplay {
    Q_OBJECT
public:
    TfrmPanel(MeterLink& link, Clock& clock, QWidget* parent = nullptr);
    ~TfrmPanel() override;

    // PanelDisplay
    void setDigit(int place, int image) override;
    bool isShown(PanelItem item) const override;
    void setShown(PanelItem item, bool shown) override;
    QString text(PanelItem item) const override;
    void setText(PanelItem item, const QString& text) override;
    void setBarWidth(int width) override;

    void setNoConnectionShown(bool shown);
    // Start-up and connection: hide the other model's pictures, clear lblREC, show the clock.
    void resetForConnection();
    // MAX and MIN blink together.
    void setBlink(bool on);

    // Keys
    void btnPowerClick();
    void sendKey(char letter);   // with echo check, then 'a'
    void writeKey(char letter);  // written directly
    void btnMaxMinMouseDown();
    void btnMaxMinMouseUp();
    void MMATimerTimer();
    ClockTimer& MMATimer() { return *mmaTimer_; }
    static bool maxMinHeld();

    QLabel* element(const QString& name) const;
    int digitImage(int place) const { return digitIndex_[place]; }
    // Changes made to the display so far (pictures replaced, indicators shown or hidden, texts
    // changed); for measuring what a frame redraws.
    int changes() const { return changes_; }

Q_SIGNALS:
    void closing();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QLabel* label(const char* name, int x, int y, const QString& text, int px, bool bold,
                  bool shown);
    QLabel* picture(const char* name, int x, int y, const QPixmap& pm, bool shown);
    void closePanel();
    void waitForReceive();

    MeterLink& link_;
    Clock& clock_;
    std::unique_ptr<ClockTimer> mmaTimer_;
    QHash<QString, QLabel*> elements_;
    QLabel* items_[17] = {};
    QLabel* digits_[4] = {};
    int digitIndex_[4] = {-1, -1, -1, -1};
    BarGraph* bar_ = nullptr;
    int changes_ = 0;
    QPoint dragFrom_;
    bool dragging_ = false;
};
