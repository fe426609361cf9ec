#pragma once

#include <QByteArray>
#include <QStringList>

#include <cstdint>

#include "core/TDateTime.h"
#include "logger/DataSetCollection.h"

namespace logger {

// Result codes of the download and the parse (0 = success).
enum Result : int {
    kOk = 0,
    kBadSet = 1,         // a data set failed its checks
    kTooManySets = 2,    // more than 4000 announced
    kShortTransfer = 3,  // fewer bytes received than the used size
    kBadSize = 4,        // used size unreadable or out of 256..98304
    kNoEcho = 5,         // "P" not echoed
    kNoSets = 6,         // no data sets announced
    kCancelled = 7,      // the user stopped the transfer
};

inline constexpr int kFirstSetAddress = 1024;
inline constexpr int kMaxSets = 4000;
inline constexpr int kMinUsedSize = 256;
inline constexpr int kMaxUsedSize = 98304;

// The last used address from header bytes 11-13 (24 bits, big-endian); -1 when the image is
// shorter than 14 bytes. All three bytes count: a memory used beyond 64 KiB must not be cut.
int imageLastAddress(const QByteArray& image);

struct ParseResult {
    int code = kOk;
    DataSetCollection sets;  // the new collection when code is kOk
    int badSetIndex = 0;     // with kBadSet: the first damaged set
    int badSetEnd = 0;       // and the offset just before its first byte
};

// The data sets of a logger memory image up to lastAddress. A pure function: nothing is read
// past the image (a byte that is not there matches no marker), and no count from the image is
// trusted before it is checked. now stands in for a set's start time that is no valid date.
ParseResult parseMemoryImage(const QByteArray& image, int lastAddress, TDateTime now);

// The six cells of the data set grid's row for set i: number from 1, start date in the locale's
// short format, start time "hh:mm:ss", interval "mm:ss", reading count, "A" or "C".
QStringList dataSetRow(const DataSetCollection& sets, int i);

// The level of a stored 12-bit reading in tenths of a dB, held as 50.0 outside 20.0..140.0.
float readingLevel(std::uint8_t high, std::uint8_t low);

}  // namespace logger
