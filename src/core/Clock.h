#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>
#include <vector>

#include "core/TDateTime.h"

class QTimer;

// A repeating timer on a Clock: a QTimer on the real clock, virtual time in tests.
class ClockTimer {
public:
    virtual ~ClockTimer() = default;
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    void setEnabled(bool on) { on ? start() : stop(); }
    std::function<void()> onTimeout;
};

// The millisecond tick, busy waits and the current date and time. Link code takes its time only
// from here, so tests can run it on virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic milliseconds since the clock was made.
    virtual qint64 msecs() const = 0;
    // The 32-bit millisecond tick counter; it may wrap.
    virtual quint32 tickCount() const = 0;
    // Local wall-clock date and time.
    virtual TDateTime now() const = 0;
    // Busy wait that processes no events: returns once more than ms have passed on the tick.
    virtual void delay(quint32 ms) = 0;
    virtual std::unique_ptr<ClockTimer> createTimer() = 0;
};

class RealClock final : public Clock {
public:
    RealClock();
    qint64 msecs() const override;
    quint32 tickCount() const override;
    TDateTime now() const override;
    void delay(quint32 ms) override;
    std::unique_ptr<ClockTimer> createTimer() override;

private:
    qint64 startNs_;
};

// Virtual time for tests: delay() returns at once having moved the time on; advance() moves the
// time on and fires the due timers in order, as an event loop would.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(TDateTime start = 46000.5, quint32 tickBase = 0);
    ~VirtualClock() override;
    qint64 msecs() const override { return ms_; }
    quint32 tickCount() const override { return static_cast<quint32>(ms_) + tickBase_; }
    TDateTime now() const override;
    void delay(quint32 ms) override;
    std::unique_ptr<ClockTimer> createTimer() override;

    // Runs due timers until the clock reaches msecs() + ms.
    void advance(qint64 ms);
    // Advances in small steps until pred() holds or limitMs passed; returns pred().
    bool advanceUntil(const std::function<bool()>& pred, qint64 limitMs, qint64 stepMs = 1);
    // Sets the wall clock back (negative) or forward without moving the monotonic time, as the
    // end of daylight saving time or a time sync does.
    void shiftWallClock(qint64 ms) { wallShiftMs_ += ms; }

private:
    class Timer;
    friend class Timer;
    void fireDue(qint64 until);

    qint64 ms_ = 0;
    qint64 wallShiftMs_ = 0;
    quint32 tickBase_;
    TDateTime start_;
    std::vector<Timer*> timers_;
};
