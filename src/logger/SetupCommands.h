#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "core/CommandFrame.h"

class Clock;
class TComPort;

namespace logger {

// The BCD byte of a number 0..99: tens in the high four bits.
std::uint8_t bcdByte(int value);

// The interval boxes as BCD bytes (minutes, seconds), or nothing when they are no valid
// interval: not numbers, minutes above 1, seconds above 60, or both 0.
std::optional<std::pair<std::uint8_t, std::uint8_t>> intervalInput(const QString& minutes,
                                                                   const QString& seconds);

// The frames of the setup commands.
CommandFrame setupFrame(const char* text);  // letters, the rest 0x00
CommandFrame clockFrame(const QDateTime& now);
CommandFrame intervalFrame(std::uint8_t minutes, std::uint8_t seconds);
CommandFrame calibrationFrame(int lo, int hi);

// "Meter time updated successfully ..." for the clock frame that was sent.
QString clockSuccessText(const CommandFrame& clock);
// The meter's "ti" answer as the window shows it: the date in the order dateOrder gives (1 day
// first, 2 month first, 3 year-month-day, 4 year-day-month), two spaces, hh:mm:ss.
QString meterTimeText(const QByteArray& answer, int dateOrder, const QString& separator);
// The firmware version byte in hundredths: "1.23".
QString versionText(std::uint8_t hundredths);
// Header bytes 14-15 as stored: "00:02(mm:ss)".
QString storedIntervalText(const QByteArray& firstBlock);
// Header bytes 9-10.
int storedSetCount(const QByteArray& firstBlock);
// The readings that still fit: (64255 - used) / 2, never below 0.
int memoryAvailable(const QByteArray& firstBlock);

// The test addresses of the memory test: 0x8F00 to 0xFF00 in steps of 0x1000.
inline constexpr int kTestAddresses[] = {0x8F00, 0x9F00, 0xAF00, 0xBF00,
                                         0xCF00, 0xDF00, 0xEF00, 0xFF00};
inline constexpr std::uint8_t kTestValue = 0x96;

// The setup commands on a port of their own (the device taken from the live link).
class SetupSession {
public:
    SetupSession(TComPort& port, Clock& clock);

    // Up to 3 tries of writing the frame and waiting at most 2.5 s for exactly its echo. With
    // dataFollows the meter's answer may already stand behind the echo and stays in the port.
    bool SendFrameWithEcho(const CommandFrame& frame, bool dataFollows = false);
    void write(const CommandFrame& frame);
    // 'c' to quiet the meter, and both queues emptied.
    void preamble();
    // Waits at most ms for exactly count bytes; their bytes, or nothing.
    std::optional<QByteArray> answer(int count, int ms);

    // The meter's clock set to now; the clock frame sent, or nothing when it failed.
    std::optional<CommandFrame> setClock(const QDateTime& now);
    // The interval set (then "boot"); false when "int" was not echoed.
    bool setInterval(std::uint8_t minutes, std::uint8_t seconds, bool boot = true);
    std::optional<std::uint8_t> readVersion();
    std::optional<QByteArray> readMeterTime();
    // The first memory block (header bytes 0..63), then "Qi".
    std::optional<QByteArray> readFirstBlock();
    // The memory test on the eight test addresses. Each cell is read first and its value written
    // back (and checked) after the test, so that no recorded reading is changed. log gets each
    // reply and the milliseconds it took; false at the first failure.
    bool runMemoryTest(const std::function<void(const QByteArray& reply, qint64 ms)>& log);
    // "erase" (no answer), and the 2.5 s the meter needs.
    void erase();

    // The stages of the factory sequence, as its notice names them.
    enum class FactoryStage { Clock, Interval, Erase, Test };
    // The factory sequence after the preamble: the clock set to now, the interval (nothing
    // further when it is no valid interval), the memory erased, then readBack (the window's
    // reading of the information). The meter is restarted with "boot" whatever happened.
    // stage is told as each stage begins; false when a stage failed.
    bool runFactorySequence(const QDateTime& now, const QString& minutes, const QString& seconds,
                            const std::function<void(FactoryStage)>& stage,
                            const std::function<bool()>& readBack);

private:
    // A pause and both queues emptied between the stages of the factory sequence.
    void settle();
    std::optional<QByteArray> cellExchange(char letter, int address, std::uint8_t value);

    TComPort& port_;
    Clock& clock_;
};

}  // namespace logger
