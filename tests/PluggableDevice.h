#pragma once

#include <memory>

#include "link/TComPort.h"

// A device that can be pulled out: while unplugged every operation fails as a vanished USB
// adapter's does.
class PluggableDevice : public ComDevice {
public:
    PluggableDevice(std::unique_ptr<ComDevice> inner, const bool& unplugged)
        : inner_(std::move(inner)), unplugged_(unplugged) {
        inner_->bytesArrived = [this] {
            if (bytesArrived)
                bytesArrived();
        };
    }
    qint64 bytesWaiting() override { return check(), inner_->bytesWaiting(); }
    QByteArray read(qint64 count) override { return check(), inner_->read(count); }
    bool waitForBytes(qint64 count, int ms) override {
        return check(), inner_->waitForBytes(count, ms);
    }
    void write(const QByteArray& bytes, bool wait) override {
        check();
        inner_->write(bytes, wait);
    }
    void purgeReceive() override {
        check();
        inner_->purgeReceive();
    }
    void purgeTransmit() override {}
    void close() override { inner_->close(); }

private:
    void check() const {
        if (unplugged_)
            throw EComError(5, QStringLiteral("Input/output error"));
    }
    std::unique_ptr<ComDevice> inner_;
    const bool& unplugged_;
};
