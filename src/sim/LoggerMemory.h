#pragma once

#include <QByteArray>
#include <QDateTime>

#include <cstdint>

// The NX410's 98,304-byte logger memory as the meter keeps it.
//
// Header (addresses 0..1023): 9-10 number of data sets, 11-13 last used address, 14-15 the
// recording interval (minutes, seconds; BCD), 20 the number of readings stored with MEM, and from
// 26 on ten bytes per stored reading (mode, BCD date and time, BCD level in tenths of a dB).
// Data sets follow from address 1024: A5 5A, mode, BCD date and time, interval, a 24-bit reading
// count, two bytes per reading (12 bits, tenths of a dB), and 5A A5.
class LoggerMemory {
public:
    static constexpr int kSize = 98304;
    static constexpr int kFirstSet = 1024;
    static constexpr int kMaxStored = 99;

    LoggerMemory();

    const QByteArray& bytes() const { return mem_; }
    QByteArray& bytes() { return mem_; }

    int setCount() const;
    int lastAddress() const;
    int intervalSeconds() const;
    void setIntervalSeconds(int seconds);
    int storedCount() const;

    // Starts a data set; false when there is no room for its header and one reading.
    bool startSet(std::uint8_t mode, const QDateTime& start);
    // Adds a reading to the open set; false when the memory is full.
    bool addReading(int tenths);
    void endSet() { open_ = false; }
    bool recording() const { return open_; }

    // Stores one reading (the MEM key); false when 99 are stored already.
    bool storeReading(std::uint8_t mode, const QDateTime& when, int tenths);
    // The stored reading k (0-based): its level in tenths of a dB, -1 when there is none.
    int storedLevel(int k) const;

    void erase();

    // Damage, as a recording cut off by a flat battery leaves it: the last set loses its end
    // marker. False when there is no set.
    bool cutOffLastSet();
    // Writes a set count into the header that need not match the sets (a damaged header).
    void setSetCount(int count) { put16(9, count); }
    // Replaces the memory with an image (a saved collection, say); the rest is left erased.
    void load(const QByteArray& image);

private:
    void put16(int address, int value);
    void put24(int address, int value);
    void setLastAddress(int address);

    QByteArray mem_;
    bool open_ = false;
    int setStart_ = 0;
    int setReadings_ = 0;
};

std::uint8_t toBcd(int value);
int fromBcd(std::uint8_t bcd);
