#include "link/SerialDevice.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSignalBlocker>

namespace {

class SerialDevice final : public ComDevice {
public:
    explicit SerialDevice(const QString& name) {
        port_.setPortName(name);
        if (!port_.open(QIODevice::ReadWrite))
            throw EComError(errorCode(), port_.errorString());
        port_.clear();
        port_.setReadBufferSize(0);
        const bool lineOk =
            port_.setBaudRate(QSerialPort::Baud9600) && port_.setDataBits(QSerialPort::Data8) &&
            port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
            port_.setFlowControl(QSerialPort::NoFlowControl);
        if (!lineOk) {
            const EComError e(errorCode(), port_.errorString());
            port_.close();
            throw e;
        }
        // A device without modem lines (a pseudo-terminal) refuses these; that is no failure.
        port_.setDataTerminalReady(false);
        port_.setRequestToSend(true);
        port_.clearError();
        QObject::connect(&port_, &QSerialPort::readyRead, [this] {
            if (bytesArrived)
                bytesArrived();
        });
    }

    qint64 bytesWaiting() override {
        {
            // Pull what the driver holds without running the event loop or emitting readyRead.
            const QSignalBlocker quiet(port_);
            while (port_.waitForReadyRead(0)) {
            }
        }
        check();
        return port_.bytesAvailable();
    }

    QByteArray read(qint64 count) override {
        QByteArray data = port_.read(count);
        check();
        return data;
    }

    bool waitForBytes(qint64 count, int ms) override {
        QElapsedTimer t;
        t.start();
        while (bytesWaiting() < count) {
            if (t.elapsed() >= ms)
                return false;
            const QSignalBlocker quiet(port_);
            port_.waitForReadyRead(20);
            check();
        }
        return true;
    }

    void write(const QByteArray& bytes, bool wait) override {
        if (port_.write(bytes) != bytes.size())
            throw EComError(errorCode(), port_.errorString());
        // Hand the bytes to the driver now: the caller may busy-wait without an event loop.
        port_.flush();
        if (wait) {
            QElapsedTimer t;
            t.start();
            while (port_.bytesToWrite() > 0 && t.elapsed() < 5000)
                port_.waitForBytesWritten(50);
            if (port_.bytesToWrite() > 0)
                throw EComError(0, QStringLiteral("Timeout"));
        }
        check();
    }

    void purgeReceive() override {
        port_.clear(QSerialPort::Input);
        check();
    }
    void purgeTransmit() override {
        port_.clear(QSerialPort::Output);
        check();
    }

    void close() override { port_.close(); }

private:
    int errorCode() const { return static_cast<int>(port_.error()); }

    // Timeouts of the polling waits are not failures; anything else is.
    void check() {
        const auto e = port_.error();
        if (e == QSerialPort::NoError)
            return;
        if (e == QSerialPort::TimeoutError) {
            port_.clearError();
            return;
        }
        const EComError error(static_cast<int>(e), port_.errorString());
        port_.clearError();
        throw error;
    }

    QSerialPort port_;
};

}  // namespace

std::unique_ptr<ComDevice> openSerialDevice(const QString& name) {
    return std::make_unique<SerialDevice>(name);
}

QStringList systemSerialPorts() {
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << info.systemLocation();
    return names;
}
