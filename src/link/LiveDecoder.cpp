#include "link/LiveDecoder.h"

#include "core/AppState.h"

int frameWord(const LiveFrameBytes& f, int a) {
    return (f[a] << 8) | f[a + 1];
}

int frameBcd(const LiveFrameBytes& f, int a) {
    return (f[a] >> 4) * 1000 + (f[a] & 0x0F) * 100 + (f[a + 1] >> 4) * 10 + (f[a + 1] & 0x0F);
}

namespace {
QString hexJoin(const LiveFrameBytes& f, int from, QChar sep) {
    QString s;
    for (int i = 0; i < 3; ++i) {
        if (i)
            s += sep;
        s += QStringLiteral("%1").arg(f[from + i], 2, 16, QLatin1Char('0')).toUpper();
    }
    return s;
}
}  // namespace

DecodedFrame decodeLiveFrame(const LiveFrameBytes& f) {
    DecodedFrame d;
    d.status1 = f[1];
    d.status2 = f[2];
    d.meterRecording = f[1] & 0x01;
    d.maxMinMode = f[1] & 0x04;
    d.weightingA = f[1] & 0x08;
    d.fast = f[1] & 0x10;
    d.under = f[1] & 0x40;
    d.over = f[1] & 0x80;
    d.battery = f[2] & 0x03;
    d.selection = f[2] & 0x0C;
    d.memoryFull = f[2] & 0x10;
    d.clockShown = f[2] & 0x20;
    d.readMode = f[2] & 0x40;
    d.storedNumber = static_cast<std::int8_t>(f[3]);
    if (d.maxMinMode) {
        d.displayValue = d.selection == 0x04   ? frameWord(f, 7)
                         : d.selection == 0x08 ? frameWord(f, 9)
                                               : frameWord(f, 5);
        d.level = static_cast<float>(frameWord(f, 5) * 0.1);
    } else {
        d.displayValue = d.readMode ? frameBcd(f, 5) : frameWord(f, 5);
        d.level = static_cast<float>(d.displayValue * 0.1);
    }
    d.seconds = f[13];
    d.clockText = hexJoin(f, 11, QLatin1Char(':'));
    d.dateText = hexJoin(f, 14, QLatin1Char('-'));
    return d;
}

void applyFrameFlags(AppState& state, const DecodedFrame& d) {
    state.MeterRecording = d.meterRecording;
    state.ReadMode = d.readMode;
    state.ClockShown = d.clockShown;
    state.BatteryLevel = d.battery;
}

std::uint8_t frameChecksum(const std::uint8_t* frame) {
    unsigned sum = 0;
    for (int i = 1; i <= 16; ++i)
        sum += frame[i];
    return static_cast<std::uint8_t>(sum & 0xFF);
}
