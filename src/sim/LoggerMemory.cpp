#include "sim/LoggerMemory.h"

#include <algorithm>

std::uint8_t toBcd(int value) {
    return static_cast<std::uint8_t>(((value / 10) % 10) << 4 | (value % 10));
}

int fromBcd(std::uint8_t bcd) {
    return (bcd >> 4) * 10 + (bcd & 0x0F);
}

LoggerMemory::LoggerMemory() : mem_(kSize, '\0') {
    erase();
}

void LoggerMemory::put16(int a, int v) {
    mem_[a] = static_cast<char>((v >> 8) & 0xFF);
    mem_[a + 1] = static_cast<char>(v & 0xFF);
}

void LoggerMemory::put24(int a, int v) {
    mem_[a] = static_cast<char>((v >> 16) & 0xFF);
    put16(a + 1, v & 0xFFFF);
}

void LoggerMemory::setLastAddress(int address) {
    put24(11, address);
}

int LoggerMemory::setCount() const {
    return (static_cast<std::uint8_t>(mem_[9]) << 8) | static_cast<std::uint8_t>(mem_[10]);
}

int LoggerMemory::lastAddress() const {
    return (static_cast<std::uint8_t>(mem_[11]) << 16) |
           (static_cast<std::uint8_t>(mem_[12]) << 8) | static_cast<std::uint8_t>(mem_[13]);
}

int LoggerMemory::intervalSeconds() const {
    return fromBcd(static_cast<std::uint8_t>(mem_[14])) * 60 +
           fromBcd(static_cast<std::uint8_t>(mem_[15]));
}

void LoggerMemory::setIntervalSeconds(int seconds) {
    mem_[14] = static_cast<char>(toBcd(seconds / 60));
    mem_[15] = static_cast<char>(toBcd(seconds % 60));
}

int LoggerMemory::storedCount() const {
    return static_cast<std::uint8_t>(mem_[20]);
}

void LoggerMemory::erase() {
    const int interval = mem_[14] || mem_[15] ? intervalSeconds() : 1;
    mem_.fill('\0');
    setIntervalSeconds(interval);
    setLastAddress(kFirstSet - 1);
    open_ = false;
}

bool LoggerMemory::startSet(std::uint8_t mode, const QDateTime& start) {
    const int q = lastAddress() + 1;
    if (q + 18 > kSize)
        return false;
    const int interval = intervalSeconds();
    const char header[] = {
        static_cast<char>(0xA5),
        0x5A,
        static_cast<char>(mode),
        static_cast<char>(toBcd(start.date().year() % 100)),
        static_cast<char>(toBcd(start.date().month())),
        static_cast<char>(toBcd(start.date().day())),
        static_cast<char>(toBcd(start.time().hour())),
        static_cast<char>(toBcd(start.time().minute())),
        static_cast<char>(toBcd(start.time().second())),
        static_cast<char>((interval / 60) & 0x0F),
        static_cast<char>(toBcd(interval % 60)),
    };
    for (int i = 0; i < 11; ++i)
        mem_[q + i] = header[i];
    setStart_ = q;
    setReadings_ = 0;
    put24(q + 11, 0);
    mem_[q + 14] = 0x5A;
    mem_[q + 15] = static_cast<char>(0xA5);
    put16(9, setCount() + 1);
    setLastAddress(q + 15);
    open_ = true;
    return true;
}

bool LoggerMemory::addReading(int tenths) {
    if (!open_)
        return false;
    const int at = setStart_ + 14 + 2 * setReadings_;
    if (at + 4 > kSize) {
        open_ = false;
        return false;
    }
    put16(at, tenths & 0x0FFF);
    ++setReadings_;
    put24(setStart_ + 11, setReadings_);
    mem_[at + 2] = 0x5A;
    mem_[at + 3] = static_cast<char>(0xA5);
    setLastAddress(at + 3);
    return true;
}

bool LoggerMemory::storeReading(std::uint8_t mode, const QDateTime& when, int tenths) {
    const int n = storedCount();
    if (n >= kMaxStored)
        return false;
    const int a = 26 + 10 * n;
    mem_[a] = static_cast<char>(mode);
    mem_[a + 1] = static_cast<char>(toBcd(when.date().year() % 100));
    mem_[a + 2] = static_cast<char>(toBcd(when.date().month()));
    mem_[a + 3] = static_cast<char>(toBcd(when.date().day()));
    mem_[a + 4] = static_cast<char>(toBcd(when.time().hour()));
    mem_[a + 5] = static_cast<char>(toBcd(when.time().minute()));
    mem_[a + 6] = static_cast<char>(toBcd(when.time().second()));
    mem_[a + 7] = static_cast<char>(toBcd(tenths / 100));
    mem_[a + 8] = static_cast<char>(toBcd(tenths % 100));
    mem_[a + 9] = 0;
    mem_[20] = static_cast<char>(n + 1);
    return true;
}

int LoggerMemory::storedLevel(int k) const {
    if (k < 0 || k >= storedCount())
        return -1;
    const int a = 26 + 10 * k;
    return fromBcd(static_cast<std::uint8_t>(mem_[a + 7])) * 100 +
           fromBcd(static_cast<std::uint8_t>(mem_[a + 8]));
}

bool LoggerMemory::cutOffLastSet() {
    const int last = lastAddress();
    if (setCount() == 0 || last < kFirstSet + 15)
        return false;
    open_ = false;
    mem_[last - 1] = static_cast<char>(0xFF);
    mem_[last] = static_cast<char>(0xFF);
    return true;
}

void LoggerMemory::load(const QByteArray& image) {
    mem_.fill('\0');
    mem_.replace(0, std::min<qsizetype>(image.size(), kSize), image.left(kSize));
    open_ = false;
}
