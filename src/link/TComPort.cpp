#include "link/TComPort.h"

#include <QTimer>

#include "core/Guard.h"

TComPort::TComPort(DeviceOpener opener, QObject* parent)
    : QObject(parent), opener_(std::move(opener)) {}

TComPort::~TComPort() = default;

void TComPort::fail(int code, const QString& message) {
    EComError error(code, message);
    TComAction action = TComAction::caFail;
    if (OnError)
        OnError(this, error, action);
    if (action == TComAction::caAbort)
        throw EAbort();
    throw error;
}

template <typename F>
auto TComPort::guarded(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const EComError& e) {
        // A device that failed (unplugged adapter) is closed; the watchdog reports the loss.
        if (e.code() != 0)
            retireDevice();
        fail(e.code(), QString::fromStdString(e.what()));
    }
}

void TComPort::retireDevice() {
    if (!device_)
        return;
    device_->bytesArrived = nullptr;
    device_->close();
    // The device may be the one whose signal is running right now: free it once that is over.
    std::shared_ptr<ComDevice> old(device_.release());
    QTimer::singleShot(0, [old] {});
}

void TComPort::requireOpen() {
    if (!device_)
        fail(0, QStringLiteral("Can't perform this operation on a closed port"));
}

void TComPort::setDeviceName(const QString& name) {
    if (device_)
        fail(0, QStringLiteral("Can't perform this operation on an open port"));
    deviceName_ = name;
}

void TComPort::setActive(bool on) {
    if (on == Active())
        return;
    if (!on) {
        retireDevice();
        return;
    }
    std::unique_ptr<ComDevice> device;
    try {
        device = opener_(deviceName_);
    } catch (const EComError& e) {
        fail(e.code(), QString::fromStdString(e.what()));
    }
    if (!device)
        fail(0, QStringLiteral("Can't open %1").arg(deviceName_));
    device_ = std::move(device);
    device_->bytesArrived = [this] { dispatch(); };
}

void TComPort::setOnRxChar(RxHandler handler) {
    onRxChar_ = std::move(handler);
    if (onRxChar_ && device_) {
        // Bytes that waited while no handler was assigned get an event of their own.
        QTimer::singleShot(0, this, [this] {
            try {
                if (device_ && device_->bytesWaiting() > 0)
                    dispatch();
            } catch (const EComError&) {
            }
        });
    }
}

void TComPort::dispatch() {
    if (!onRxChar_ || !device_)
        return;
    if (inHandler_) {
        // One call at a time: an event that comes while the handler runs is delivered after it.
        eventPending_ = true;
        return;
    }
    do {
        eventPending_ = false;
        FlagGuard busy(inHandler_);
        RxHandler handler = onRxChar_;
        try {
            handler(this);
        } catch (const EAbort&) {
            // A port failure inside the handler ends it silently.
        }
    } while (eventPending_ && onRxChar_ && device_);
    // What the handler left in the queue is taken by another event.
    if (onRxChar_ && device_) {
        bool more = false;
        try {
            more = device_->bytesWaiting() > 0;
        } catch (const EComError&) {
        }
        if (more)
            QTimer::singleShot(0, this, [this] {
                try {
                    if (device_ && device_->bytesWaiting() > 0)
                        dispatch();
                } catch (const EComError&) {
                }
            });
    }
}

int TComPort::BytesWaiting() {
    requireOpen();
    return static_cast<int>(guarded([&] { return device_->bytesWaiting(); }));
}

void TComPort::ReadBytes(char* buf, int count, bool /*waitOnCompletion*/) {
    requireOpen();
    if (count <= 0)
        return;
    guarded([&] {
        if (!device_->waitForBytes(count, kReadLimitMs))
            throw EComError(0, QStringLiteral("Timeout"));
        const QByteArray data = device_->read(count);
        if (data.size() != count)
            throw EComError(0, QStringLiteral("Timeout"));
        std::memcpy(buf, data.constData(), static_cast<size_t>(count));
    });
}

void TComPort::WriteBytes(const char* buf, int count, bool waitOnCompletion) {
    requireOpen();
    if (count <= 0)
        return;
    guarded([&] { device_->write(QByteArray(buf, count), waitOnCompletion); });
}

bool TComPort::WaitForBytes(int count, int ms) {
    requireOpen();
    return guarded([&] { return device_->waitForBytes(count, ms); });
}

void TComPort::WriteText(const QByteArray& text) {
    WriteBytes(text.constData(), static_cast<int>(text.size()), false);
}

void TComPort::PurgeReceive() {
    if (device_)
        guarded([&] { device_->purgeReceive(); });
}

void TComPort::PurgeTransmit() {
    if (device_)
        guarded([&] { device_->purgeTransmit(); });
}

void abortOnComError(TComPort*, const EComError&, TComAction& action) {
    action = TComAction::caAbort;
}
