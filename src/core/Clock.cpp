#include "Clock.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace {
qint64 steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class QtClockTimer final : public ClockTimer {
public:
    QtClockTimer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTimeout)
                onTimeout();
        });
    }
    void setInterval(int ms) override { timer_.setInterval(ms); }
    int interval() const override { return timer_.interval(); }
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};
}  // namespace

RealClock::RealClock() : startNs_(steadyNs()) {}

qint64 RealClock::msecs() const {
    return (steadyNs() - startNs_) / 1000000;
}

quint32 RealClock::tickCount() const {
    return static_cast<quint32>(msecs());
}

TDateTime RealClock::now() const {
    return tdt::fromDateTime(QDateTime::currentDateTime());
}

void RealClock::delay(quint32 ms) {
    const quint32 start = tickCount();
    while (static_cast<quint32>(tickCount() - start) <= ms)
        QThread::usleep(200);
}

std::unique_ptr<ClockTimer> RealClock::createTimer() {
    return std::make_unique<QtClockTimer>();
}

class VirtualClock::Timer final : public ClockTimer {
public:
    explicit Timer(VirtualClock* clock) : clock_(clock) { clock_->timers_.push_back(this); }
    ~Timer() override {
        if (clock_)
            std::erase(clock_->timers_, this);
    }
    void setInterval(int ms) override {
        interval_ = ms;
        if (active_)
            due_ = clock_->ms_ + std::max(ms, 1);
    }
    int interval() const override { return interval_; }
    void start() override {
        active_ = true;
        due_ = clock_->ms_ + std::max(interval_, 1);
    }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }

    VirtualClock* clock_;
    int interval_ = 0;
    bool active_ = false;
    qint64 due_ = 0;
};

VirtualClock::VirtualClock(TDateTime start, quint32 tickBase)
    : tickBase_(tickBase), start_(start) {}

VirtualClock::~VirtualClock() {
    for (Timer* t : timers_)
        t->clock_ = nullptr;
}

TDateTime VirtualClock::now() const {
    return start_ + static_cast<double>(ms_ + wallShiftMs_) / tdt::kMsPerDay;
}

void VirtualClock::delay(quint32 ms) {
    ms_ += static_cast<qint64>(ms) + 1;
}

std::unique_ptr<ClockTimer> VirtualClock::createTimer() {
    return std::make_unique<Timer>(this);
}

void VirtualClock::fireDue(qint64 until) {
    for (;;) {
        Timer* next = nullptr;
        for (Timer* t : timers_)
            if (t->active_ && t->due_ <= until && (!next || t->due_ < next->due_))
                next = t;
        if (!next)
            return;
        ms_ = std::max(ms_, next->due_);
        next->due_ = ms_ + std::max(next->interval_, 1);
        if (next->onTimeout)
            next->onTimeout();
    }
}

void VirtualClock::advance(qint64 ms) {
    const qint64 until = ms_ + ms;
    fireDue(until);
    ms_ = std::max(ms_, until);
}

bool VirtualClock::advanceUntil(const std::function<bool()>& pred, qint64 limitMs, qint64 stepMs) {
    const qint64 until = ms_ + limitMs;
    while (!pred()) {
        if (ms_ >= until)
            return false;
        advance(stepMs);
    }
    return true;
}
