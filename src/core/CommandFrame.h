#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

// Everything said to the meter: 0x02, a command letter, five argument bytes, 0x03. No checksum.
struct CommandFrame {
    std::array<std::uint8_t, 8> bytes{0x02, 0, 0, 0, 0, 0, 0, 0x03};

    static CommandFrame withLetter(char letter) {
        CommandFrame f;
        f.setLetter(letter);
        return f;
    }
    void setLetter(char letter) { bytes[1] = static_cast<std::uint8_t>(letter); }
    char letter() const { return static_cast<char>(bytes[1]); }
    QByteArray toBytes() const {
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), 8);
    }
    bool operator==(const CommandFrame&) const = default;
};
