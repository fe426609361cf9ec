#include "logger/LoggerTransfer.h"

#include <algorithm>

#include "core/Clock.h"
#include "core/CommandFrame.h"
#include "link/TComPort.h"
#include "logger/MemoryImageParser.h"

namespace logger {

namespace {
constexpr int kBlockBytes = 65;
constexpr int kBlockData = 64;

bool checksumOk(const QByteArray& block) {
    unsigned sum = 0;
    for (int i = 0; i < kBlockData; ++i)
        sum += static_cast<std::uint8_t>(block[i]);
    return static_cast<std::uint8_t>(sum & 0xFF) == static_cast<std::uint8_t>(block[kBlockData]);
}
}  // namespace

LoggerSession::LoggerSession(TComPort& port, Clock& clock, CommandFrame& frame)
    : port_(port), clock_(clock), frame_(frame) {}

bool LoggerSession::SendLoggerCommand() {
    const QByteArray wanted = frame_.toBytes();
    for (int attempt = 0; attempt < 3; ++attempt) {
        port_.PurgeReceive();
        port_.WriteText(wanted);
        // The echo is judged as soon as it is whole, at the latest after 200 ms.
        if (!port_.WaitForBytes(8, kEchoWaitMs))
            continue;
        char echo[8];
        port_.ReadBytes(echo, 8, true);
        if (QByteArray(echo, 8) == wanted)
            return true;
    }
    return false;
}

void LoggerSession::writeLetter(char letter) {
    frame_.setLetter(letter);
    port_.WriteText(frame_.toBytes());
}

void LoggerSession::setAddressFrame(char letter, int address, int value) {
    frame_.bytes = {0x02,
                    static_cast<std::uint8_t>(letter),
                    'E',
                    static_cast<std::uint8_t>((address >> 16) & 0xFF),
                    static_cast<std::uint8_t>((address >> 8) & 0xFF),
                    static_cast<std::uint8_t>(address & 0xFF),
                    static_cast<std::uint8_t>(value & 0xFF),
                    0x03};
}

int LoggerSession::readHeaderByte(int address) {
    setAddressFrame('r', address, 0);
    const qint64 sent = clock_.msecs();
    if (!SendLoggerCommand())
        return -1;
    // The byte follows the echo within the echo's 200 ms; a few byte times more show whether
    // anything else follows it.
    const qint64 left = kEchoWaitMs - (clock_.msecs() - sent);
    port_.WaitForBytes(1, static_cast<int>(std::clamp<qint64>(left, 1, kEchoWaitMs)));
    clock_.delay(kSettleMs);
    // Exactly the one byte asked for: none or more is a line that cannot be trusted.
    if (port_.BytesWaiting() != 1)
        return -1;
    char b = 0;
    port_.ReadBytes(&b, 1, true);
    return static_cast<std::uint8_t>(b);
}

bool LoggerSession::writeHeaderByte(int address, int value) {
    setAddressFrame('w', address, value);
    const qint64 sent = clock_.msecs();
    if (!SendLoggerCommand())
        return false;
    // A meter that answers the written byte after the echo sends it within the echo's 200 ms;
    // it must not be taken for the start of the next answer.
    const qint64 left = kEchoWaitMs - (clock_.msecs() - sent);
    if (port_.WaitForBytes(1, static_cast<int>(std::clamp<qint64>(left, 1, kEchoWaitMs))))
        clock_.delay(kSettleMs);
    port_.PurgeReceive();
    return true;
}

int LoggerSession::ReadUsedMemorySize() {
    int last = 0;
    for (int address : {11, 12, 13}) {
        const int b = readHeaderByte(address);
        if (b < 0)
            return 0;
        last = last << 8 | b;
    }
    return last + 1;
}

void LoggerSession::quietLine() {
    port_.PurgeReceive();
    clock_.delay(300);
    // Stop the stream and drain what was still on its way.
    writeLetter('c');
    const qint64 t = clock_.msecs();
    clock_.delay(1000);
    do {
        const int waiting = port_.BytesWaiting();
        if (waiting == 0)
            break;
        QByteArray drop(waiting, '\0');
        port_.ReadBytes(drop.data(), waiting, true);
        port_.PurgeReceive();
        clock_.delay(500);
    } while (clock_.msecs() - t <= 6000);
}

int LoggerSession::receiveBlocks(int size, QByteArray& image, TransferView& view) {
    image.reserve(size + kBlockData);
    view.startProgress(size);
    struct EndProgress {
        TransferView& v;
        ~EndProgress() { v.endProgress(); }
    } endProgress{view};
    const auto cancelled = [&](int received) {
        if (view.progress(received))
            return false;
        writeLetter('Q');
        return true;
    };

    int received = 0, errors = 0;
    qint64 t0 = clock_.msecs();
    QByteArray block(kBlockBytes, '\0');
    while (clock_.msecs() - t0 < kSilenceLimitMs) {
        if (errors > kMaxBlockErrors) {
            writeLetter('Q');
            break;
        }
        const int waiting = port_.BytesWaiting();
        if (waiting >= kBlockBytes) {
            port_.ReadBytes(block.data(), kBlockBytes, true);
            t0 = clock_.msecs();
            if (!checksumOk(block)) {
                ++errors;
                if (cancelled(received))
                    return kCancelled;
                writeLetter('n');
                continue;
            }
            image.append(block.constData(), kBlockData);
            received += kBlockData;
            if (received >= size) {
                // All that is needed has come: end now instead of asking for more.
                writeLetter('Q');
                break;
            }
            // Ask for the next block and wait for its first byte, asking again only after
            // 100 ms of silence.
            for (int ask = 0; ask < 10; ++ask) {
                writeLetter('y');
                if (port_.WaitForBytes(1, 100))
                    break;
            }
            if (cancelled(received))
                return kCancelled;
            t0 = clock_.msecs();
        } else if (waiting > 0 && clock_.msecs() - t0 > kPartialBlockMs) {
            // A block cut short: drop it and ask for it again.
            QByteArray drop(waiting, '\0');
            port_.ReadBytes(drop.data(), waiting, true);
            ++errors;
            if (cancelled(received))
                return kCancelled;
            writeLetter('n');
            t0 = clock_.msecs();
        } else {
            const qint64 sinceBlock = clock_.msecs() - t0;
            const qint64 until =
                waiting > 0 ? kPartialBlockMs - sinceBlock + 1 : kSilenceLimitMs - sinceBlock;
            port_.WaitForBytes(kBlockBytes, static_cast<int>(std::clamp<qint64>(until, 1, 50)));
        }
    }
    return received < size ? kShortTransfer : kOk;
}

Download LoggerSession::DownloadMemoryImage(TransferView& view) {
    Download d;
    view.showInfo();
    struct CloseInfo {
        TransferView& v;
        ~CloseInfo() { v.closeInfo(); }
    } closeInfo{view};
    quietLine();
    view.closeInfo();
    int size = ReadUsedMemorySize();
    d.lastAddress = size - 1;
    if (size > kMaxUsedSize || size < kMinUsedSize) {
        d.code = kBadSize;
        return d;
    }
    size = (size + kBlockData - 1) / kBlockData * kBlockData;
    frame_.setLetter('P');
    if (!SendLoggerCommand()) {
        d.code = kNoEcho;
        return d;
    }
    d.code = receiveBlocks(size, d.image, view);
    return d;
}

QByteArray LoggerSession::RecallHeader(TransferView& view) {
    quietLine();
    frame_.setLetter('P');
    SendLoggerCommand();  // a missing echo only means that no block will come
    QByteArray buffer;
    const int code = receiveBlocks(kHeaderBytes, buffer, view);
    writeLetter('X');
    return code == kOk && buffer.size() >= kHeaderBytes ? buffer.left(kHeaderBytes) : QByteArray();
}

std::array<std::pair<int, int>, 5> repairWrites(int badSetIndex, int badSetEnd) {
    return {{{9, badSetIndex / 256},
             {10, badSetIndex % 256},
             {11, badSetEnd / 65536},
             {12, badSetEnd % 65536 / 256},
             {13, badSetEnd % 256}}};
}

}  // namespace logger
