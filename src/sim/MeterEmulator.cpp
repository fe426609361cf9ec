#include "sim/MeterEmulator.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr qint64 kAnswerUs = 1000;  // the meter's own reaction time
constexpr int kIntervals[] = {1, 2, 5, 10, 30, 60};
constexpr std::size_t kLogLimit = 10000;

bool isKey(char c) {
    switch (c) {
        case 'C':
        case 'F':
        case 'E':
        case 'M':
        case 'N':
        case 'S':
        case 'R':
        case 'Q':
        case 'T':
        case 'e':
            return true;
        default:
            return false;
    }
}
}  // namespace

MeterEmulator::MeterEmulator(const QDateTime& clockStart, std::uint32_t seed)
    : clockStart_(clockStart), rng_(seed) {
    maxTenths_ = minTenths_ = level_;
}

void MeterEmulator::setSilent(bool silent) {
    faults.silent = silent;
}

void MeterEmulator::setLevelTenths(int tenths) {
    pinned_ = tenths;
    if (tenths >= 0)
        level_ = tenths;
}

QDateTime MeterEmulator::clockAt(qint64 us) const {
    return clockStart_.addMSecs(us / 1000 + clockShiftMs_);
}

std::uint8_t MeterEmulator::modeByte() const {
    return static_cast<std::uint8_t>((weightingA ? 0x08 : 0) | (fast ? 0x10 : 0));
}

void MeterEmulator::hostWrite(const QByteArray& bytes, qint64 atMs) {
    processUntil(atMs * 1000);
    hostWrites.push_back(bytes);
    if (hostWrites.size() > kLogLimit)
        hostWrites.pop_front();
    if (faults.silent)
        return;  // the cable is out: nothing reaches the meter
    qint64 t = std::max(atMs * 1000, in_.empty() ? qint64(0) : in_.back().us);
    for (char c : bytes) {
        t += kByteUs;
        in_.push_back({t, static_cast<std::uint8_t>(c)});
    }
}

void MeterEmulator::advanceTo(qint64 ms) {
    processUntil(ms * 1000);
}

qint64 MeterEmulator::available(qint64 ms) {
    processUntil(ms * 1000);
    qint64 n = 0;
    for (const Timed& t : out_) {
        if (t.us > nowUs_)
            break;
        ++n;
    }
    return n;
}

QByteArray MeterEmulator::read(qint64 max) {
    QByteArray data;
    while (!out_.empty() && out_.front().us <= nowUs_ && data.size() < max) {
        data.append(static_cast<char>(out_.front().byte));
        out_.pop_front();
    }
    return data;
}

void MeterEmulator::queueOut(const QByteArray& bytes, qint64 fromUs) {
    if (faults.silent)
        return;
    qint64 t = std::max(fromUs, lineFreeUs_);
    for (char c : bytes) {
        t += kByteUs;
        out_.push_back({t, static_cast<std::uint8_t>(c)});
    }
    lineFreeUs_ = t;
    sent_ += static_cast<quint64>(bytes.size());
}

void MeterEmulator::processUntil(qint64 us) {
    for (;;) {
        qint64 next = us + 1;
        int what = 0;
        if (!in_.empty() && in_.front().us < next) {
            next = in_.front().us;
            what = 1;
        }
        if (streaming_ && nextFrameUs_ < next) {
            next = nextFrameUs_;
            what = 2;
        }
        if (memory_.recording() && nextLogUs_ < next) {
            next = nextLogUs_;
            what = 3;
        }
        if (what == 0)
            break;
        nowUs_ = std::max(nowUs_, next);
        if (what == 1) {
            const std::uint8_t b = in_.front().byte;
            in_.pop_front();
            if (inFrame_.isEmpty() && b != 0x02)
                continue;
            inFrame_.append(static_cast<char>(b));
            if (inFrame_.size() == 8) {
                if (static_cast<std::uint8_t>(inFrame_[7]) == 0x03) {
                    const QByteArray frame = inFrame_;
                    inFrame_.clear();
                    handleFrame(frame, nowUs_);
                } else {
                    const qsizetype start = inFrame_.indexOf('\x02', 1);
                    inFrame_ = start < 0 ? QByteArray() : inFrame_.mid(start);
                }
            }
        } else if (what == 2) {
            stepLevel(next);
            if (faults.noise) {
                QByteArray noise;
                const int n = 2 + static_cast<int>(rng_() % 7);
                for (int i = 0; i < n; ++i)
                    noise.append(rng_() % 4 == 0 ? '\x02' : static_cast<char>(rng_() & 0xFF));
                queueOut(noise, next);
            }
            QByteArray frame = liveFrame();
            ++frameNo_;
            if (faults.badChecksumEvery > 0 && frameNo_ % faults.badChecksumEvery == 0)
                frame[17] = static_cast<char>(frame[17] + 1);
            queueOut(frame, next);
            nextFrameUs_ += faults.framePeriodMs > 0 ? faults.framePeriodMs * 1000 : kFramePeriodUs;
        } else {
            logTick(next);
        }
    }
    nowUs_ = std::max(nowUs_, us);
}

void MeterEmulator::handleFrame(const QByteArray& frame, qint64 us) {
    receivedFrames.push_back(frame);
    ++framesReceived_;
    if (receivedFrames.size() > kLogLimit)
        receivedFrames.pop_front();
    const char letter = frame[1];
    const qint64 answerAt = us + kAnswerUs + static_cast<qint64>(faults.answerDelayMs) * 1000;
    if (transferring() && (letter == 'y' || letter == 'n' || letter == 'Q')) {
        handleLogger(frame, answerAt);
        return;
    }
    transferBlock_ = -1;
    if (handleSetup(frame, us, answerAt))
        return;
    switch (letter) {
        case 'r':
        case 'w':
        case 'P':
            streaming_ = false;
            handleLogger(frame, answerAt);
            return;
        case 'a':
        case 'A':
            if (!streaming_)
                nextFrameUs_ = answerAt + 20000;
            streaming_ = true;
            return;
        case 'X':
            return;
        case 'K':
            streaming_ = false;
            if (!faults.noEcho)
                queueOut(faults.modelAnswer, answerAt);
            return;
        case 'l':
        case 'L':
        case 'W':
            applyKey(letter, us);
            return;
        default:
            break;
    }
    // Any other command frame pauses the stream until the next 'a'.
    streaming_ = false;
    if (!isKey(letter))
        return;
    if (!faults.noEcho)
        queueOut(frame, answerAt);
    applyKey(letter, us);
}

QByteArray MeterEmulator::memoryBlock(int k) const {
    QByteArray block = memory_.bytes().mid(static_cast<qsizetype>(k) * 64, 64);
    unsigned sum = 0;
    for (char c : block)
        sum += static_cast<std::uint8_t>(c);
    block.append(static_cast<char>(sum & 0xFF));
    return block;
}

void MeterEmulator::sendBlock(qint64 at) {
    if (transferBlock_ >= LoggerMemory::kSize / 64)
        return;  // past the end of the memory: nothing more to send
    if (faults.stopAfterBlocks >= 0 && transferSent_ >= faults.stopAfterBlocks)
        return;
    QByteArray block = memoryBlock(transferBlock_);
    ++blocksSent_;
    ++transferSent_;
    if (faults.badBlockEvery > 0 && blocksSent_ % faults.badBlockEvery == 0)
        block[64] = static_cast<char>(block[64] + 1);
    if (transferBlock_ == faults.cutBlock && !cutDone_) {
        cutDone_ = true;
        block.truncate(30);
    }
    queueOut(block, at);
    if (transferBlock_ == faults.extraBlockAfter) {
        ++transferBlock_;
        sendBlock(at);
    }
}

void MeterEmulator::handleLogger(const QByteArray& frame, qint64 answerAt) {
    const char letter = frame[1];
    const auto byte = [&frame](int i) { return static_cast<std::uint8_t>(frame[i]); };
    switch (letter) {
        case 'y':
            ++transferBlock_;
            sendBlock(answerAt);
            return;
        case 'n':
            sendBlock(answerAt);
            return;
        case 'Q':
            transferBlock_ = -1;
            return;
        case 'P':
            if (!faults.noEcho)
                queueOut(frame, answerAt);
            transferBlock_ = 0;
            transferSent_ = 0;
            sendBlock(answerAt);
            return;
        default:
            break;
    }
    // 'r' and 'w' address the memory with "E" and a 24-bit address.
    if (byte(2) != 'E')
        return;
    const int address = byte(3) << 16 | byte(4) << 8 | byte(5);
    if (address >= LoggerMemory::kSize)
        return;
    if (!faults.noEcho)
        queueOut(frame, answerAt);
    if (letter == 'w') {
        // A cell that does not work keeps its old value.
        if (address != faults.badCell)
            memory_.bytes()[address] = static_cast<char>(byte(6));
        queueOut(QByteArray(1, static_cast<char>(byte(6))), answerAt);
        return;
    }
    const char value =
        address == faults.badCell ? static_cast<char>(0x5A) : memory_.bytes()[address];
    queueOut(QByteArray(std::max(0, faults.readAnswerBytes), value), answerAt);
}

bool MeterEmulator::handleSetup(const QByteArray& frame, qint64 us, qint64 answerAt) {
    const auto byte = [&frame](int i) { return static_cast<std::uint8_t>(frame[i]); };
    const QByteArray body = frame.mid(1, 6);
    const auto echo = [&] {
        if (!faults.noEcho)
            queueOut(frame, answerAt);
    };
    if (expectClock_) {
        expectClock_ = false;
        const QDate date(2000 + fromBcd(byte(1)), fromBcd(byte(2)), fromBcd(byte(3)));
        const QTime time(fromBcd(byte(4)), fromBcd(byte(5)), fromBcd(byte(6)));
        if (date.isValid() && time.isValid()) {
            streaming_ = false;
            echo();
            clockShiftMs_ = 0;
            clockShiftMs_ = clockAt(us).msecsTo(QDateTime(date, time));
            return true;
        }
    }
    if (body.startsWith("rtc")) {
        streaming_ = false;
        echo();
        expectClock_ = true;
        return true;
    }
    if (body.startsWith("int")) {
        streaming_ = false;
        echo();
        memory_.setIntervalSeconds(fromBcd(byte(4)) * 60 + fromBcd(byte(5)));
        return true;
    }
    if (body.startsWith("boot")) {
        streaming_ = false;
        ++boots;
        return true;
    }
    if (body.startsWith("erase")) {
        streaming_ = false;
        memory_.erase();
        full_ = false;
        return true;
    }
    if (body.startsWith("ti")) {
        streaming_ = false;
        if (faults.noTimeReply)
            return true;
        const QDateTime now = clockAt(us);
        QByteArray reply(8, '\0');
        reply[0] = static_cast<char>(toBcd(now.date().year() % 100));
        reply[2] = static_cast<char>(toBcd(now.date().month()));
        reply[3] = static_cast<char>(toBcd(now.date().day()));
        reply[4] = static_cast<char>(toBcd(now.time().hour()));
        reply[5] = static_cast<char>(toBcd(now.time().minute()));
        reply[6] = static_cast<char>(toBcd(now.time().second()));
        queueOut(reply, answerAt);
        return true;
    }
    if (body.startsWith("Pi")) {
        streaming_ = false;
        echo();
        queueOut(memoryBlock(0), answerAt);
        return true;
    }
    if (body.startsWith("Qi"))
        return true;
    if (byte(1) == 'V') {
        streaming_ = false;
        if (!faults.noVersionReply) {
            echo();
            queueOut(QByteArray(1, static_cast<char>(firmwareVersion)), answerAt);
        }
        return true;
    }
    if (byte(1) == 'J') {
        calibrationLo = byte(2);
        calibrationHi = byte(3);
        return true;
    }
    return false;
}

void MeterEmulator::applyKey(char letter, qint64 us) {
    keyLog.push_back(QByteArray(1, letter));
    if (keyLog.size() > kLogLimit)
        keyLog.pop_front();
    const int stored = memory_.storedCount();
    switch (letter) {
        case 'C':
            weightingA = !weightingA;
            break;
        case 'F':
            fast = !fast;
            break;
        case 'S':
            clockShown = !clockShown;
            break;
        case 'W':
            backlight = !backlight;
            break;
        case 'N':
            maxMinMode = 0;
            break;
        case 'M':
            if (maxMinMode == 0) {
                maxTenths_ = minTenths_ = level_;
                maxMinMode = 1;
            } else {
                maxMinMode = maxMinMode % 3 + 1;
            }
            break;
        case 'E':
            if (memory_.recording()) {
                memory_.endSet();
            } else if (!full_) {
                if (memory_.startSet(modeByte(), clockAt(us))) {
                    nextLogUs_ = us;
                } else {
                    full_ = true;
                }
            }
            break;
        case 'R':
            memory_.storeReading(modeByte(), clockAt(us), level_);
            break;
        case 'Q':
            if (!readMode) {
                if (stored > 0) {
                    readMode = true;
                    readIndex = 0;
                }
            } else if (++readIndex >= stored) {
                readMode = false;
                readIndex = 0;
            }
            break;
        case 'l':
        case 'L':
            if (readMode && stored > 0)
                readIndex = (readIndex + (letter == 'l' ? 1 : stored - 1)) % stored;
            break;
        case 'T': {
            const int current = memory_.intervalSeconds();
            const auto* it = std::find(std::begin(kIntervals), std::end(kIntervals), current);
            const auto* next = (it == std::end(kIntervals) || it + 1 == std::end(kIntervals))
                                   ? std::begin(kIntervals)
                                   : it + 1;
            memory_.setIntervalSeconds(*next);
            break;
        }
        case 'e':
            memory_.erase();
            full_ = false;
            readMode = false;
            readIndex = 0;
            break;
        default:
            break;
    }
}

void MeterEmulator::logTick(qint64 us) {
    if (!memory_.addReading(level_)) {
        memory_.endSet();
        full_ = true;
        return;
    }
    nextLogUs_ = us + static_cast<qint64>(std::max(1, memory_.intervalSeconds())) * 1000000;
}

void MeterEmulator::stepLevel(qint64) {
    if (pinned_ >= 0) {
        level_ = pinned_;
    } else {
        std::normal_distribution<double> step(0.0, 0.35);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        ambient_ += step(rng_) + (55.0 - ambient_) * 0.01;
        ambient_ = std::clamp(ambient_, 45.0, 65.0);
        double raw = ambient_;
        if (eventTicks_ > 0) {
            --eventTicks_;
            const double e = eventLevel_ - 6.0 * std::abs(eventTicks_ % 20 - 10) / 10.0;
            raw = 10.0 * std::log10(std::pow(10.0, raw / 10.0) + std::pow(10.0, e / 10.0));
        } else if (unit(rng_) < 0.008) {
            eventTicks_ = 12 + static_cast<int>(rng_() % 28);
            eventLevel_ = 70.0 + unit(rng_) * 25.0;
        }
        raw += step(rng_) * 2.0;
        if (!weightingA)
            raw += 3.0;
        weighted_ += (raw - weighted_) * (fast ? 0.7 : 0.25);
        level_ = std::clamp(static_cast<int>(std::lround(weighted_ * 10.0)), 0, 1400);
    }
    maxTenths_ = std::max(maxTenths_, level_);
    minTenths_ = std::min(minTenths_, level_);
}

QByteArray MeterEmulator::liveFrame() const {
    QByteArray f(19, '\0');
    auto put = [&f](int i, int v) { f[i] = static_cast<char>(v & 0xFF); };
    put(0, 0x02);
    put(1, (memory_.recording() ? 0x01 : 0) | (maxMinMode ? 0x04 : 0) | (weightingA ? 0x08 : 0) |
               (fast ? 0x10 : 0) | (level_ < 300 ? 0x40 : 0) | (level_ > 1300 ? 0x80 : 0));
    static constexpr int kSelection[] = {0x00, 0x04, 0x08, 0x0C};
    put(2, (battery & 0x03) | kSelection[maxMinMode & 3] | (full_ ? 0x10 : 0) |
               (clockShown ? 0x20 : 0) | (readMode ? 0x40 : 0));
    put(3, readMode ? readIndex + 1 : 0);
    int display = level_;
    if (readMode) {
        const int v = std::max(0, memory_.storedLevel(readIndex));
        display = (toBcd(v / 100) << 8) | toBcd(v % 100);
    }
    put(5, display >> 8);
    put(6, display);
    put(7, maxTenths_ >> 8);
    put(8, maxTenths_);
    put(9, minTenths_ >> 8);
    put(10, minTenths_);
    const QDateTime now = clockAt(nowUs_);
    put(11, toBcd(now.time().hour()));
    put(12, toBcd(now.time().minute()));
    put(13, toBcd(now.time().second()));
    put(14, toBcd(now.date().year() % 100));
    put(15, toBcd(now.date().month()));
    put(16, toBcd(now.date().day()));
    int sum = 0;
    for (int i = 1; i <= 16; ++i)
        sum += static_cast<std::uint8_t>(f[i]);
    put(17, sum);
    put(18, 0x03);
    return f;
}

void MeterEmulator::seedDemoData() {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const QDateTime day = clockStart_.addDays(-1);
    const struct {
        int hour, interval, count;
        bool a;
        double base;
    } sets[] = {{9, 1, 600, true, 58.0}, {14, 2, 900, false, 66.0}};
    for (const auto& s : sets) {
        memory_.setIntervalSeconds(s.interval);
        memory_.startSet(static_cast<std::uint8_t>((s.a ? 0x08 : 0) | 0x10),
                         QDateTime(day.date(), QTime(s.hour, 0, 0)));
        for (int i = 0; i < s.count; ++i) {
            const double wave = 6.0 * std::sin(i / 40.0) + 4.0 * unit(rng_);
            memory_.addReading(static_cast<int>(std::lround((s.base + wave) * 10.0)));
        }
        memory_.endSet();
    }
    memory_.setIntervalSeconds(1);
    const int stored[] = {623, 781, 545};
    for (int i = 0; i < 3; ++i)
        memory_.storeReading(0x18, QDateTime(day.date(), QTime(16, 10 + i * 7, 12)), stored[i]);
}
