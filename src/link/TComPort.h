#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstring>

#include <functional>
#include <memory>
#include <stdexcept>

// Every failure of a port. code is the system's error code, 0 for the port object's own errors.
class EComError : public std::runtime_error {
public:
    EComError(int code, const QString& message)
        : std::runtime_error(message.toStdString()), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

enum class TComAction { caFail, caAbort };

// One open device behind a TComPort: a real serial device, or the simulated meter. Failures are
// thrown as EComError.
class ComDevice {
public:
    virtual ~ComDevice() = default;
    // Bytes the system holds for us, pulled from the driver without running the event loop.
    virtual qint64 bytesWaiting() = 0;
    virtual QByteArray read(qint64 count) = 0;
    // Waits up to ms until count bytes are waiting; false when they did not come.
    virtual bool waitForBytes(qint64 count, int ms) = 0;
    // Hands the bytes to the driver; with wait, returns once they are on the line.
    virtual void write(const QByteArray& bytes, bool wait) = 0;
    virtual void purgeReceive() = 0;
    virtual void purgeTransmit() = 0;
    // Lets go of the device at once; the object itself may be freed later.
    virtual void close() = 0;
    // Set by the port: called on the GUI thread when new bytes have arrived.
    std::function<void()> bytesArrived;
};

// Opens a device by name; throws EComError when it cannot.
using DeviceOpener = std::function<std::unique_ptr<ComDevice>(const QString& name)>;

// The serial port object the rest of the program sees.
class TComPort : public QObject {
    Q_OBJECT
public:
    using RxHandler = std::function<void(TComPort*)>;
    using ErrorHandler = std::function<void(TComPort*, const EComError&, TComAction&)>;

    explicit TComPort(DeviceOpener opener, QObject* parent = nullptr);
    ~TComPort() override;

    QString DeviceName() const { return deviceName_; }
    void setDeviceName(const QString& name);
    bool Active() const { return device_ != nullptr; }
    void setActive(bool on);
    void Open() { setActive(true); }
    void Close() { setActive(false); }

    RxHandler OnRxChar() const { return onRxChar_; }
    // Received bytes stay queued while no handler is assigned; assigning one again delivers an
    // event for what is waiting.
    void setOnRxChar(RxHandler handler);
    ErrorHandler OnError;

    int BytesWaiting();
    // Reads count bytes into buf. Waits for them in either mode: a read never stays pending
    // behind the caller's back.
    void ReadBytes(char* buf, int count, bool waitOnCompletion);
    void WriteBytes(const char* buf, int count, bool waitOnCompletion);
    void WriteText(const QByteArray& text);
    // Waits up to ms until count bytes are waiting; false when they did not all come.
    bool WaitForBytes(int count, int ms);
    void PurgeReceive();
    void PurgeTransmit();

    // How long a waiting read may take before it fails with "Timeout": a meter that went silent
    // must not hold the program for ever.
    static constexpr int kReadLimitMs = 10000;

private:
    [[noreturn]] void fail(int code, const QString& message);
    void requireOpen();
    void retireDevice();
    void dispatch();
    void scheduleDispatch();
    template <typename F>
    auto guarded(F&& f) -> decltype(f());

    DeviceOpener opener_;
    QString deviceName_;
    std::unique_ptr<ComDevice> device_;
    RxHandler onRxChar_;
    bool inHandler_ = false;
    bool eventPending_ = false;
};

// The default-action error handler of this program: every failure becomes a silent abort.
void abortOnComError(TComPort*, const EComError&, TComAction& action);
