#pragma once

#include <QByteArray>

#include <array>
#include <utility>

class Clock;
class TComPort;
struct CommandFrame;

namespace logger {

// What a transfer shows the user; the main window implements it, tests and the command line
// may show nothing.
class TransferView {
public:
    virtual ~TransferView() = default;
    // The notice "Preparing to load ....." while the line is quieted.
    virtual void showInfo() {}
    virtual void closeInfo() {}
    // The progress of the blocks, total bytes.
    virtual void startProgress(int /*total*/) {}
    // After each block (the window repaints here); false stops the transfer (Cancel).
    virtual bool progress(int /*received*/) { return true; }
    virtual void endProgress() {}
};

struct Download {
    int code = 0;      // kOk, kShortTransfer, kBadSize, kNoEcho or kCancelled
    QByteArray image;  // the blocks received, from address 0
    int lastAddress = -1;
};

// The logger's exchanges on a port whose live frames are quieted (see QuietLink): command frames
// with echo check, header reads and writes, and the download of the memory in 65-byte blocks.
// frame is the logger's own command frame: each command sets only the bytes it names.
class LoggerSession {
public:
    LoggerSession(TComPort& port, Clock& clock, CommandFrame& frame);

    // Sends the frame and verifies its echo: up to 3 tries of 200 ms. Bytes after the echo stay
    // in the port.
    bool SendLoggerCommand();
    // Sets the letter and writes the frame, without echo check.
    void writeLetter(char letter);
    // One header byte read with "r", or -1 when the echo or exactly one byte did not come.
    int readHeaderByte(int address);
    // One byte written with "w"; false when not echoed.
    bool writeHeaderByte(int address, int value);
    // The used size of the logger memory: the 24-bit last used address (header bytes 11-13)
    // plus one; 0 when it cannot be read.
    int ReadUsedMemorySize();
    // Quiets the line, reads the used size and receives the memory up to it.
    Download DownloadMemoryImage(TransferView& view);
    // The header area (the first 1024 bytes, with the readings stored with MEM) by the same
    // block transfer, then 'X'; empty when it did not all come.
    QByteArray RecallHeader(TransferView& view);
    static constexpr int kHeaderBytes = 1024;

    // How long the transfer waits for the next block before it gives up.
    static constexpr int kSilenceLimitMs = 3000;
    // How long a partial block may stay incomplete before it is asked for again.
    static constexpr int kPartialBlockMs = 1500;
    static constexpr int kMaxBlockErrors = 20;
    static constexpr int kEchoWaitMs = 200;
    // After a header byte: ten byte times on a 9600-baud line.
    static constexpr int kSettleMs = 10;

private:
    void setAddressFrame(char letter, int address, int value);
    // 'c', then what was on its way to us is drained (at most 6 s).
    void quietLine();
    // Receives blocks until size bytes have come ('Q' then), the line stays silent for 3 s or
    // more than 20 blocks were bad; the result code.
    int receiveBlocks(int size, QByteArray& image, TransferView& view);

    TComPort& port_;
    Clock& clock_;
    CommandFrame& frame_;
};

// The five header writes of the repair: the set count becomes badSetIndex and the last used
// address badSetEnd (24 bits), so that the meter keeps only the sets before the damaged one.
std::array<std::pair<int, int>, 5> repairWrites(int badSetIndex, int badSetEnd);

}  // namespace logger
