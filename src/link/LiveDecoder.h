#pragma once

#include <QString>

#include <array>
#include <cstdint>

struct AppState;

using LiveFrameBytes = std::array<std::uint8_t, 19>;

// What one live frame says, field by field.
struct DecodedFrame {
    std::uint8_t status1 = 0;
    std::uint8_t status2 = 0;
    bool meterRecording = false;  // logger recording (REC)
    bool maxMinMode = false;
    bool weightingA = false;  // else C
    bool fast = false;        // else SLOW
    bool under = false;
    bool over = false;
    int battery = 0;             // 0..3
    std::uint8_t selection = 0;  // MAX/MIN selection: 0x00, 0x04 MAX, 0x08 MIN, 0x0C both
    bool memoryFull = false;
    bool clockShown = false;
    bool readMode = false;
    int storedNumber = 0;  // signed stored-reading number
    int displayValue = 0;  // tenths of a dB, what the four digits show
    float level = 0;       // dB
    std::uint8_t seconds = 0;
    QString clockText;  // "hh:mm:ss" from the BCD bytes
    QString dateText;   // "yy-mm-dd" from the BCD bytes
};

// BE(a): the big-endian 16-bit number at offset a.
int frameWord(const LiveFrameBytes& f, int offset);
// BCD(a): four decimal digits from the nibbles of offsets a and a + 1.
int frameBcd(const LiveFrameBytes& f, int offset);

DecodedFrame decodeLiveFrame(const LiveFrameBytes& frame);

// Sets MeterRecording, ReadMode, ClockShown and BatteryLevel from a decoded frame.
void applyFrameFlags(AppState& state, const DecodedFrame& d);

// The 8-bit sum of offsets 1..16, as the frame carries it at offset 17.
std::uint8_t frameChecksum(const std::uint8_t* frame);
