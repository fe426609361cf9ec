#pragma once

#include <QtGlobal>

#include <utility>
#include <vector>

#include "core/TDateTime.h"

// The data sets of the logger memory as parallel sequences: entry i of each per-set sequence
// describes set i; readings and readingTimes hold the readings of all sets, set after set.
// Only a successful parse of a memory image builds one, and it replaces the old one whole.
struct DataSetCollection {
    std::vector<TDateTime> startTimes;
    std::vector<int> intervals;  // seconds, 0..60
    std::vector<int> counts;
    std::vector<unsigned char> modeFlags;  // bit 3: A weighting, else C
    std::vector<int> imageStarts;          // offset of the set's first byte (its start marker)
    std::vector<int> imageEnds;            // offset of the 0xA5 of its end marker
    std::vector<int> maxIndexes;           // first highest reading within the set
    std::vector<int> minIndexes;           // first lowest
    std::vector<double> averages;          // arithmetic mean of the dB values
    std::vector<float> readings;           // dB, 20.0..140.0
    std::vector<double> readingTimes;      // TDateTime of each reading

    int size() const { return static_cast<int>(startTimes.size()); }
    bool empty() const { return startTimes.empty(); }
    // Where the readings of set i begin in readings and readingTimes.
    qsizetype offset(int i) const {
        qsizetype sum = 0;
        for (int k = 0; k < i && k < size(); ++k)
            sum += counts[static_cast<std::size_t>(k)];
        return sum;
    }
    bool weightingA(int i) const { return (modeFlags[static_cast<std::size_t>(i)] & 0x08) != 0; }
    // The time set i covers, from its start to count x interval later; readings 0 s apart (or
    // none) still get one second, so a graph of them shows them.
    std::pair<TDateTime, TDateTime> timeRange(int i) const {
        const auto si = static_cast<std::size_t>(i);
        const TDateTime start = startTimes[si];
        const TDateTime end = start + counts[si] * intervals[si] / 86400.0;
        return {start, end > start ? end : start + 1.0 / 86400.0};
    }
};

// What the program knows of the logger besides the collection: the last used address of the
// image parsed last, and where the first damaged set was found (for the repair).
struct LoggerData {
    DataSetCollection sets;
    int lastAddress = 0;
    int badSetIndex = 0;
    int badSetEnd = 0;
};
