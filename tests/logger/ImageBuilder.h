#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

// Builds logger memory images by hand: a 1024-byte header, then data sets one after another.
class ImageBuilder {
public:
    struct Set {
        std::vector<int> tenths;                                      // readings as 12-bit values
        std::uint8_t mode = 0x18;                                     // A weighting, FAST
        std::uint8_t date[6] = {0x26, 0x12, 0x10, 0x09, 0x30, 0x00};  // 2026-12-10 09:30:00
        std::uint8_t minutes = 0x00;                                  // interval, offset 9
        std::uint8_t seconds = 0x01;                                  // interval, offset 10 (BCD)
        bool goodStart = true;
        bool goodEnd = true;
        int countField = -1;  // the count written; -1: the true count
    };

    ImageBuilder() : image(1024, '\0') {}

    // Appends a set; returns its offset.
    int add(const Set& s) {
        const int q = static_cast<int>(image.size());
        const int n = static_cast<int>(s.tenths.size());
        put(s.goodStart ? 0xA5 : 0xFF);
        put(s.goodStart ? 0x5A : 0xFF);
        put(s.mode);
        for (std::uint8_t b : s.date)
            put(b);
        put(s.minutes);
        put(s.seconds);
        const int count = s.countField >= 0 ? s.countField : n;
        put(count >> 16);
        put(count >> 8);
        put(count);
        for (int t : s.tenths) {
            put(t >> 8);
            put(t);
        }
        put(s.goodEnd ? 0x5A : 0x00);
        put(s.goodEnd ? 0xA5 : 0x00);
        ++sets;
        return q;
    }
    // A set of n readings of 60.0 dB.
    int add(int n) {
        Set s;
        s.tenths.assign(static_cast<std::size_t>(n), 600);
        return add(s);
    }
    // Writes the set count and the 24-bit last used address (the last byte written, unless
    // given) into the header.
    QByteArray finish(int count = -1, int lastAddress = -1) {
        const int n = count >= 0 ? count : sets;
        const int last = lastAddress >= 0 ? lastAddress : static_cast<int>(image.size()) - 1;
        image[9] = static_cast<char>(n >> 8);
        image[10] = static_cast<char>(n);
        image[11] = static_cast<char>(last >> 16);
        image[12] = static_cast<char>(last >> 8);
        image[13] = static_cast<char>(last);
        return image;
    }

    QByteArray image;
    int sets = 0;

private:
    void put(int b) { image.append(static_cast<char>(b & 0xFF)); }
};
