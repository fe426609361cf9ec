#pragma once

#include <QByteArray>
#include <QDateTime>

#include <cstdint>
#include <deque>
#include <random>

#include "sim/LoggerMemory.h"

// A model of the NX410 meter: its display, keys, clock and logger memory, and its side of the
// serial line at 9600 baud (about 1.04 ms a byte each way). It is driven by time, not by a
// thread: advanceTo(ms) plays everything up to that moment, so it runs the same on a real clock
// and on a test's virtual clock.
//
// The line:
//  - 8-byte frames 02 <letter> <5 bytes> 03 come from the computer. 'K' answers "410" and a
//    carriage return (4 bytes). 'a' and 'A' start the live stream: a 19-byte frame about every
//    250 ms. 'X' (the answer to each live frame) is taken silently. Every other command frame
//    pauses the stream until the next 'a'.
//  - Keys: the frame is echoed, then the key acts.
//      'C' A/C weighting     'F' FAST/SLOW           'S' clock shown or hidden
//      'E' logger recording on/off (a new data set at the logger interval; memory full sets FULL)
//      'M' MAX/MIN mode: off -> MAX -> MIN -> MAX and MIN blinking -> MAX ... (entering it starts
//          the maximum and minimum afresh)
//      'N' leaves MAX/MIN mode
//      'R' (MEM) stores the current reading (at most 99)
//      'Q' (RECALL) READ mode: first press shows stored reading 1, each press the next; after the
//          last it leaves READ mode. With nothing stored it does nothing.
//      'T' (INTV) steps the logger interval through 1, 2, 5, 10, 30 and 60 s
//      'e' erases the logger memory and the stored readings
//  - 'l', 'L' (up and down arrows) and 'W' (backlight) come without echo: in READ mode the
//    arrows step through the stored readings; the backlight only toggles its lamp.
//  - The logger: 'c' stops the stream and answers nothing. 'r' and 'w' with "E" in byte 2 and
//    a 24-bit address in bytes 3-5 are echoed; 'r' then sends the byte at that address, 'w'
//    stores byte 6 there. 'P' is echoed and starts a transfer of the memory from address 0 in
//    65-byte blocks (64 bytes and their 8-bit sum): 'y' asks for the next block, 'n' for the
//    same again, 'Q' ends the transfer (outside a transfer 'Q' is the RECALL key).
//  - The setup: "rtc" (echoed) makes the next frame the clock: six BCD bytes (year, month, day,
//    hour, minute, second), echoed, after which the meter's clock runs from there. "int" with BCD
//    minutes and seconds (echoed) sets the logger interval of the next set; "boot" restarts (no
//    answer). 'V' answers its echo and the firmware version in hundredths; "ti" answers eight
//    bytes, the clock in BCD (year, -, month, day, hour, minute, second, -). "Pi" is echoed and
//    answered with the first block only; "Qi" ends it. 'r' and 'w' answer their echo and the
//    byte read or written (a memory test reads and writes 0x96 this way). "erase" erases
//    without an echo; the key 'e' is echoed. 'J' keeps the calibration pair (Lo, Hi).
//
// The level: an ambient level wandering between about 45 and 65 dB with occasional events of a
// few seconds up to about 95 dB, smoothed by the FAST or SLOW time weighting; C weighting reads
// about 3 dB higher. Below 30 dB UNDER and above 130 dB OVER are flagged.
//
// Faults, on request: noise between frames, every n-th frame with a bad checksum, no echo,
// silence (the cable pulled: nothing goes either way) and slow answers.
class MeterEmulator {
public:
    struct Faults {
        bool noise = false;
        int badChecksumEvery = 0;  // 0: none
        bool noEcho = false;
        bool silent = false;
        int answerDelayMs = 0;
        int framePeriodMs = 0;                         // 0: about every 250 ms
        QByteArray modelAnswer = QByteArray("410\r");  // the answer to 'K'; another model's too
        // The logger transfer
        int badBlockEvery = 0;     // every n-th block sent with a wrong sum; 0: none
        int cutBlock = -1;         // this block is sent short (its first 30 bytes) once
        int extraBlockAfter = -1;  // after this block the next one follows unasked
        int stopAfterBlocks = -1;  // the meter goes quiet after this many blocks of a transfer
        int readAnswerBytes = 1;   // bytes sent after the echo of 'r' (0 or 2: a faulty answer)
        // The setup
        bool noVersionReply = false;  // 'V' gets no answer
        bool noTimeReply = false;     // "ti" gets no answer
        int badCell = -1;             // a memory address that does not keep what is written
    };

    explicit MeterEmulator(const QDateTime& clockStart = QDateTime::currentDateTime(),
                           std::uint32_t seed = 410);

    // The line, as seen from the computer. Times are milliseconds of the caller's clock.
    void hostWrite(const QByteArray& bytes, qint64 atMs);
    void advanceTo(qint64 ms);
    qint64 available(qint64 ms);
    QByteArray read(qint64 max);
    // Drops what has reached the computer; bytes still on the wire arrive later.
    void purgeOutput() {
        while (!out_.empty() && out_.front().us <= nowUs_)
            out_.pop_front();
    }
    quint64 bytesSent() const { return sent_; }

    Faults faults;
    void setSilent(bool silent);

    // What the meter received, frame by frame; for the simulator's log and for tests.
    std::deque<QByteArray> receivedFrames;
    // Every write of the computer as it went onto the line, heard or not (a silent meter hears
    // nothing); the latest ones, for tests.
    std::deque<QByteArray> hostWrites;
    std::deque<QByteArray> keyLog;  // letters of the key frames acted on

    // Fills the logger with two recorded data sets and three stored readings, as a meter that has
    // been used would have; for the demo.
    void seedDemoData();

    // The display frame the meter would send now.
    QByteArray liveFrame() const;
    // Block k of the memory as the transfer sends it: 64 bytes and their 8-bit sum.
    QByteArray memoryBlock(int k) const;
    bool transferring() const { return transferBlock_ >= 0; }
    // The meter's own clock now (set by the clock frame).
    QDateTime clockNow() const { return clockAt(nowUs_); }
    int firmwareVersion = 123;                   // hundredths: 1.23
    int calibrationLo = -1, calibrationHi = -1;  // the last 'J' pair
    int boots = 0;
    int blocksSent() const { return blocksSent_; }
    int framesSent() const { return frameNo_; }
    // Frames the computer sent, counted past the receive log's limit.
    quint64 framesReceived() const { return framesReceived_; }

    // State, for tests and the demo.
    bool streaming() const { return streaming_; }
    bool weightingA = true;
    bool fast = true;
    int maxMinMode = 0;  // 0 off, 1 MAX, 2 MIN, 3 both blinking
    bool clockShown = true;
    bool backlight = false;
    bool readMode = false;
    int readIndex = 0;  // 0-based stored reading shown in READ mode
    int battery = 3;
    int levelTenths() const { return level_; }
    void setLevelTenths(int tenths);  // pins the level (tests); -1 lets it wander again
    LoggerMemory& memory() { return memory_; }
    bool loggerRecording() const { return memory_.recording(); }
    bool memoryFull() const { return full_; }

    static constexpr qint64 kByteUs = 1042;  // one byte on a 9600-baud line, microseconds
    static constexpr qint64 kFramePeriodUs = 250000;

private:
    struct Timed {
        qint64 us;
        std::uint8_t byte;
    };
    void processUntil(qint64 us);
    void handleFrame(const QByteArray& frame, qint64 us);
    void applyKey(char letter, qint64 us);
    void handleLogger(const QByteArray& frame, qint64 answerAt);
    bool handleSetup(const QByteArray& frame, qint64 us, qint64 answerAt);
    void sendBlock(qint64 at);
    void queueOut(const QByteArray& bytes, qint64 fromUs);
    void stepLevel(qint64 us);
    void logTick(qint64 us);
    QDateTime clockAt(qint64 us) const;
    std::uint8_t modeByte() const;

    QDateTime clockStart_;
    std::mt19937 rng_;
    std::deque<Timed> in_;   // bytes on their way to the meter
    std::deque<Timed> out_;  // bytes on their way to the computer
    QByteArray inFrame_;
    qint64 nowUs_ = 0;
    qint64 lineFreeUs_ = 0;  // when the meter's transmitter is free again
    qint64 nextFrameUs_ = 0;
    qint64 nextLogUs_ = 0;
    quint64 sent_ = 0;
    bool streaming_ = false;
    int frameNo_ = 0;
    quint64 framesReceived_ = 0;
    bool expectClock_ = false;  // "rtc" came: the next frame is the clock
    qint64 clockShiftMs_ = 0;   // the clock frame's time minus clockStart_ + elapsed
    int transferBlock_ = -1;    // block the transfer is at; -1 outside a transfer
    int blocksSent_ = 0;
    int transferSent_ = 0;  // blocks sent since the transfer began
    bool cutDone_ = false;

    LoggerMemory memory_;
    bool full_ = false;
    double ambient_ = 55.0;
    double eventLevel_ = 0;
    int eventTicks_ = 0;
    double weighted_ = 55.0;
    int level_ = 550;
    int pinned_ = -1;
    int maxTenths_ = 0;
    int minTenths_ = 0;
};
