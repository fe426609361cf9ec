#pragma once

#include <QByteArray>
#include <QStringList>

#include <vector>

#include "core/TDateTime.h"

namespace logger {

// A reading stored with the meter's MEM key (header address 26 + 10k).
struct StoredReading {
    float level = 0;         // dB; above 150.0 shown as "----"
    TDateTime time = 0;      // 0 when its date or time is no valid one
    bool weightingA = true;  // mode bit 3
    bool fast = true;        // mode bit 4
};

inline constexpr int kMaxStoredReadings = 99;

// The stored readings of a header area (at least 1024 bytes): as many as byte 20 says, none
// when it says more than 99.
std::vector<StoredReading> storedReadings(const QByteArray& header);
// The five cells of the data capture window: value, date, time, "dBA"/"dBC", "FAST"/"SLOW". A
// reading without a valid date and time shows no date and time.
QStringList storedReadingRow(const StoredReading& r);

}  // namespace logger
