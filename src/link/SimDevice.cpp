#include "link/SimDevice.h"

#include "core/Clock.h"
#include "sim/MeterEmulator.h"

namespace {

class SimDevice final : public ComDevice {
public:
    SimDevice(MeterEmulator& meter, Clock& clock)
        : meter_(meter), clock_(clock), poll_(clock.createTimer()) {
        seen_ = meter_.bytesSent();
        poll_->setInterval(10);
        poll_->onTimeout = [this] {
            meter_.advanceTo(clock_.msecs());
            // An event for every arrival, as a driver signals new bytes.
            const quint64 sent = meter_.bytesSent();
            if (sent != seen_ && meter_.available(clock_.msecs()) > 0) {
                seen_ = sent;
                if (bytesArrived)
                    bytesArrived();
            }
        };
        poll_->start();
    }

    qint64 bytesWaiting() override { return meter_.available(clock_.msecs()); }
    QByteArray read(qint64 count) override {
        meter_.advanceTo(clock_.msecs());
        return meter_.read(count);
    }
    bool waitForBytes(qint64 count, int ms) override {
        const qint64 until = clock_.msecs() + ms;
        while (meter_.available(clock_.msecs()) < count) {
            if (clock_.msecs() >= until)
                return false;
            clock_.delay(0);
        }
        return true;
    }
    void write(const QByteArray& bytes, bool wait) override {
        meter_.hostWrite(bytes, clock_.msecs());
        if (wait)
            clock_.delay(static_cast<quint32>(bytes.size() * MeterEmulator::kByteUs / 1000));
    }
    void purgeReceive() override {
        meter_.advanceTo(clock_.msecs());
        meter_.purgeOutput();
    }
    void purgeTransmit() override {}
    void close() override { poll_->stop(); }

private:
    MeterEmulator& meter_;
    Clock& clock_;
    std::unique_ptr<ClockTimer> poll_;
    quint64 seen_ = 0;
};

}  // namespace

std::unique_ptr<ComDevice> openSimDevice(MeterEmulator& meter, Clock& clock) {
    return std::make_unique<SimDevice>(meter, clock);
}
