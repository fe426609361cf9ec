// The logger download against a meter that answers anything: each write of ours releases the
// next answer of the input (a length byte, then that many bytes), on virtual time.
#include "FuzzSupport.h"
#include "core/Clock.h"
#include "core/CommandFrame.h"
#include "link/TComPort.h"
#include "logger/LoggerTransfer.h"
#include "logger/MemoryImageParser.h"

namespace {
class ScriptDevice final : public ComDevice {
public:
    ScriptDevice(Clock& clock, const std::uint8_t* data, std::size_t size)
        : clock_(clock), data_(data), size_(size) {}
    qint64 bytesWaiting() override { return out_.size(); }
    QByteArray read(qint64 count) override {
        QByteArray d = out_.left(count);
        out_.remove(0, d.size());
        return d;
    }
    bool waitForBytes(qint64 count, int ms) override {
        if (out_.size() < count)
            clock_.delay(static_cast<quint32>(std::max(ms, 0)));
        return out_.size() >= count;
    }
    void write(const QByteArray&, bool) override {
        if (pos_ >= size_)
            return;
        const std::size_t n = std::min<std::size_t>(data_[pos_], size_ - pos_ - 1);
        out_.append(reinterpret_cast<const char*>(data_ + pos_ + 1), static_cast<qsizetype>(n));
        pos_ += n + 1;
    }
    void purgeReceive() override { out_.clear(); }
    void purgeTransmit() override {}
    void close() override {}

private:
    Clock& clock_;
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    QByteArray out_;
};
}  // namespace

SONODESK_FUZZ_TARGET(fuzzBlockTransfer) {
    fuzz::ensureApp();
    VirtualClock clock;
    TComPort port(
        [&](const QString&) { return std::make_unique<ScriptDevice>(clock, data, size); });
    port.OnError = abortOnComError;
    port.Open();
    CommandFrame frame;
    logger::LoggerSession session(port, clock, frame);
    logger::TransferView view;
    const qint64 start = clock.msecs();
    const logger::Download d = session.DownloadMemoryImage(view);
    // Bounded in virtual time whatever the meter says, and never more than was asked for.
    fuzz::require(clock.msecs() - start < 20 * 60 * 1000);
    fuzz::require(d.image.size() <= logger::kMaxUsedSize + 64);
    if (d.code == logger::kOk)
        logger::parseMemoryImage(d.image, d.lastAddress, clock.now());
    return 0;
}
