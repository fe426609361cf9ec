// Live frame reception: the bytes from the line, split at points the input chooses into
// separate events, through the receive handler (handshake included).
#include "FuzzSupport.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Guard.h"
#include "link/MeterLink.h"
#include "link/TComPort.h"

namespace {
class FeedDevice final : public ComDevice {
public:
    QByteArray input;
    qint64 bytesWaiting() override { return input.size(); }
    QByteArray read(qint64 count) override {
        QByteArray d = input.left(count);
        input.remove(0, d.size());
        return d;
    }
    bool waitForBytes(qint64 count, int) override { return input.size() >= count; }
    void write(const QByteArray&, bool) override {}
    void purgeReceive() override { input.clear(); }
    void purgeTransmit() override {}
    void close() override {}
};
}  // namespace

SONODESK_FUZZ_TARGET(fuzzLiveFrames) {
    fuzz::ensureApp();
    if (size < 2)
        return 0;
    resetAppState();
    AppState& st = appState();
    st.Connected = (data[0] & 1) != 0;
    VirtualClock clock;
    FeedDevice* feed = nullptr;
    TComPort port([&feed](const QString&) {
        auto d = std::make_unique<FeedDevice>();
        feed = d.get();
        return d;
    });
    port.OnError = abortOnComError;
    LinkView view;
    MeterLink link(st, clock, port, view);
    port.Open();
    // Each event takes 1..64 bytes, as the second byte's bits and the data decide.
    std::size_t pos = 2;
    unsigned salt = data[1];
    while (pos < size && port.Active()) {
        const std::size_t n = std::min<std::size_t>(size - pos, 1 + (data[pos] ^ salt) % 64);
        feed->input.append(reinterpret_cast<const char*>(data + pos), static_cast<qsizetype>(n));
        pos += n;
        salt = salt * 33 + 7;
        try {
            link.Comm1RxChar();
        } catch (const EAbort&) {
        }
        fuzz::require(st.ReceiveBuffer.size() <= 18 + 256);
        fuzz::require(!st.ReceiveBusy);
    }
    resetAppState();
    // The port's queued events go with it.
    QCoreApplication::processEvents();
    return 0;
}
