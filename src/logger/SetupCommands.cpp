#include "logger/SetupCommands.h"

#include <algorithm>

#include "core/Clock.h"
#include "link/TComPort.h"

namespace logger {

namespace {
constexpr int kAnswerMs = 2500;
constexpr int kCellMs = 1500;

std::uint8_t byteAt(const QByteArray& a, int i) {
    return i >= 0 && i < a.size() ? static_cast<std::uint8_t>(a[i]) : 0;
}

QString hex2(std::uint8_t b) {
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

// A box of the interval: one or two decimal digits.
std::optional<int> boxNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 2)
        return std::nullopt;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    return t.toInt();
}
}  // namespace

std::uint8_t bcdByte(int value) {
    value = std::clamp(value, 0, 99);
    return static_cast<std::uint8_t>((value / 10) << 4 | (value % 10));
}

std::optional<std::pair<std::uint8_t, std::uint8_t>> intervalInput(const QString& minutes,
                                                                   const QString& seconds) {
    const auto m = boxNumber(minutes);
    const auto s = boxNumber(seconds);
    if (!m || !s || *m > 1 || *s > 60 || (*m == 0 && *s == 0))
        return std::nullopt;
    return std::make_pair(bcdByte(*m), bcdByte(*s));
}

CommandFrame setupFrame(const char* text) {
    CommandFrame f;
    for (int i = 0; i < 6 && text[i]; ++i)
        f.bytes[static_cast<std::size_t>(i + 1)] = static_cast<std::uint8_t>(text[i]);
    return f;
}

CommandFrame clockFrame(const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    CommandFrame f;
    f.bytes = {0x02,
               bcdByte(d.year() % 100),
               bcdByte(d.month()),
               bcdByte(d.day()),
               bcdByte(t.hour()),
               bcdByte(t.minute()),
               bcdByte(t.second()),
               0x03};
    return f;
}

CommandFrame intervalFrame(std::uint8_t minutes, std::uint8_t seconds) {
    CommandFrame f = setupFrame("int");
    f.bytes[4] = minutes;
    f.bytes[5] = seconds;
    return f;
}

CommandFrame calibrationFrame(int lo, int hi) {
    CommandFrame f = setupFrame("J");
    f.bytes[2] = static_cast<std::uint8_t>(lo & 0xFF);
    f.bytes[3] = static_cast<std::uint8_t>(hi & 0xFF);
    return f;
}

QString clockSuccessText(const CommandFrame& c) {
    const auto b = [&c](int i) { return hex2(c.bytes[static_cast<std::size_t>(i)]); };
    return QStringLiteral("Meter time updated successfully \n") + QStringLiteral("Today is Day ") +
           b(3) + QStringLiteral(" of Month ") + b(2) + QStringLiteral(" of Year 20") + b(1) +
           QStringLiteral("\n") + QStringLiteral("The time is Second") + b(6) +
           QStringLiteral(" of Minute ") + b(5) + QStringLiteral(" of Hour ") + b(4);
}

QString meterTimeText(const QByteArray& a, int dateOrder, const QString& sep) {
    const auto b = [&a](int i) { return hex2(byteAt(a, i)); };
    const QString day = b(3), month = b(2), year = b(0);
    QStringList parts;
    switch (dateOrder) {
        case 1:
            parts = {day, month, year};
            break;
        case 3:
            parts = {year, month, day};
            break;
        case 4:
            parts = {year, day, month};
            break;
        default:
            parts = {month, day, year};
            break;
    }
    return parts.join(sep) + QStringLiteral("  ") + b(4) + QLatin1Char(':') + b(5) +
           QLatin1Char(':') + b(6);
}

QString versionText(std::uint8_t hundredths) {
    return QString::number(hundredths * 0.01, 'f', 2);
}

QString storedIntervalText(const QByteArray& block) {
    return hex2(byteAt(block, 14)) + QLatin1Char(':') + hex2(byteAt(block, 15)) +
           QStringLiteral("(mm:ss)");
}

int storedSetCount(const QByteArray& block) {
    return byteAt(block, 9) << 8 | byteAt(block, 10);
}

int memoryAvailable(const QByteArray& block) {
    const auto b = [&block](int i) { return byteAt(block, i); };
    const int used = b(11) << 16 | b(12) << 8 | b(13);
    return std::max(0, (64255 - used) / 2);
}

SetupSession::SetupSession(TComPort& port, Clock& clock) : port_(port), clock_(clock) {}

void SetupSession::write(const CommandFrame& frame) {
    port_.WriteText(frame.toBytes());
}

std::optional<QByteArray> SetupSession::answer(int count, int ms) {
    port_.WaitForBytes(count, ms);
    // Exactly the answer: more is a line that cannot be trusted.
    if (port_.BytesWaiting() != count)
        return std::nullopt;
    QByteArray bytes(count, '\xFF');
    port_.ReadBytes(bytes.data(), count, true);
    return bytes;
}

bool SetupSession::SendFrameWithEcho(const CommandFrame& frame, bool dataFollows) {
    const QByteArray wanted = frame.toBytes();
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (dataFollows && attempt > 0)
            port_.PurgeReceive();
        write(frame);
        if (!dataFollows) {
            const auto echo = answer(8, kAnswerMs);
            if (echo && *echo == wanted)
                return true;
            continue;
        }
        // The answer runs on behind the echo: a reader a little late finds both waiting.
        port_.WaitForBytes(8, kAnswerMs);
        if (port_.BytesWaiting() >= 8) {
            QByteArray echo(8, '\xFF');
            port_.ReadBytes(echo.data(), 8, true);
            if (echo == wanted)
                return true;
        }
    }
    return false;
}

void SetupSession::preamble() {
    clock_.delay(100);
    write(setupFrame("c"));
    clock_.delay(100);
    port_.PurgeReceive();
    port_.PurgeTransmit();
}

std::optional<CommandFrame> SetupSession::setClock(const QDateTime& now) {
    clock_.delay(100);
    if (!SendFrameWithEcho(setupFrame("rtc")))
        return std::nullopt;
    clock_.delay(100);
    const CommandFrame f = clockFrame(now);
    if (!SendFrameWithEcho(f))
        return std::nullopt;
    return f;
}

bool SetupSession::setInterval(std::uint8_t minutes, std::uint8_t seconds, bool boot) {
    if (!SendFrameWithEcho(intervalFrame(minutes, seconds)))
        return false;
    if (boot) {
        clock_.delay(100);
        write(setupFrame("boot"));
    }
    return true;
}

std::optional<std::uint8_t> SetupSession::readVersion() {
    write(setupFrame("V"));
    const auto a = answer(9, kAnswerMs);
    if (!a)
        return std::nullopt;
    return static_cast<std::uint8_t>((*a)[8]);
}

std::optional<QByteArray> SetupSession::readMeterTime() {
    write(setupFrame("ti"));
    return answer(8, kAnswerMs);
}

std::optional<QByteArray> SetupSession::readFirstBlock() {
    const CommandFrame p = setupFrame("Pi");
    if (!SendFrameWithEcho(p, true))
        return std::nullopt;
    std::optional<QByteArray> block;
    for (int attempt = 0; attempt < 3 && !block; ++attempt) {
        port_.WaitForBytes(65, kAnswerMs);
        if (port_.BytesWaiting() == 65) {
            block = QByteArray(65, '\0');
            port_.ReadBytes(block->data(), 65, true);
        } else if (attempt < 2) {
            port_.PurgeReceive();
            if (!SendFrameWithEcho(p, true))
                return std::nullopt;
        }
    }
    if (!block)
        return std::nullopt;
    write(setupFrame("Qi"));
    clock_.delay(100);
    port_.PurgeReceive();
    return block;
}

std::optional<QByteArray> SetupSession::cellExchange(char letter, int address, std::uint8_t value) {
    CommandFrame f;
    f.bytes = {0x02,
               static_cast<std::uint8_t>(letter),
               'E',
               static_cast<std::uint8_t>((address >> 16) & 0xFF),
               static_cast<std::uint8_t>((address >> 8) & 0xFF),
               static_cast<std::uint8_t>(address & 0xFF),
               value,
               0x03};
    port_.PurgeReceive();
    write(f);
    const auto reply = answer(9, kCellMs);
    if (!reply || reply->left(8) != f.toBytes())
        return std::nullopt;
    return reply;
}

bool SetupSession::runMemoryTest(
    const std::function<void(const QByteArray& reply, qint64 ms)>& log) {
    for (int address : kTestAddresses) {
        // What the cell holds now: a recorded reading, maybe.
        const auto before = cellExchange('r', address, 0);
        if (!before)
            return false;
        const std::uint8_t kept = static_cast<std::uint8_t>((*before)[8]);
        const qint64 start = clock_.msecs();
        const auto written = cellExchange('w', address, kTestValue);
        if (log)
            log(written.value_or(QByteArray(9, '\xFF')), clock_.msecs() - start);
        const bool ok = written && static_cast<std::uint8_t>((*written)[8]) == kTestValue;
        const auto read = ok ? cellExchange('r', address, 0) : std::nullopt;
        const bool same = read && static_cast<std::uint8_t>((*read)[8]) == kTestValue;
        // Put the old value back whatever the test found, and make sure it is back.
        const auto restored = cellExchange('w', address, kept);
        const auto check = restored ? cellExchange('r', address, 0) : std::nullopt;
        if (!ok || !same || !check || static_cast<std::uint8_t>((*check)[8]) != kept)
            return false;
    }
    return true;
}

void SetupSession::erase() {
    write(setupFrame("erase"));
    clock_.delay(2500);
}

void SetupSession::settle() {
    clock_.delay(100);
    port_.PurgeReceive();
    port_.PurgeTransmit();
    clock_.delay(100);
}

bool SetupSession::runFactorySequence(const QDateTime& now, const QString& minutes,
                                      const QString& seconds,
                                      const std::function<void(FactoryStage)>& stage,
                                      const std::function<bool()>& readBack) {
    // The meter restarts however the sequence ends.
    struct Boot {
        SetupSession& s;
        ~Boot() {
            try {
                s.clock_.delay(100);
                s.write(setupFrame("boot"));
                s.clock_.delay(100);
            } catch (...) {
            }
        }
    } boot{*this};
    stage(FactoryStage::Clock);
    clock_.delay(100);
    if (!setClock(now))
        return false;
    stage(FactoryStage::Interval);
    const auto interval = intervalInput(minutes, seconds);
    if (!interval)
        return false;
    settle();
    if (!setInterval(interval->first, interval->second, false))
        return false;
    stage(FactoryStage::Erase);
    settle();
    erase();
    stage(FactoryStage::Test);
    settle();
    return readBack();
}

}  // namespace logger
