// The logger memory image parser: any bytes, any last address; a collection it builds keeps its
// invariants.
#include "FuzzSupport.h"
#include "logger/MemoryImageParser.h"

SONODESK_FUZZ_TARGET(fuzzMemoryImage) {
    const QByteArray image = fuzz::bytes(data, size);
    // The header's own last address, and one the input's first bytes forge.
    const int forged = size >= 3 ? (data[0] << 16 | data[1] << 8 | data[2]) : 0;
    for (int last : {logger::imageLastAddress(image), forged}) {
        const logger::ParseResult r = logger::parseMemoryImage(image, last, 46366.5);
        if (r.code != logger::kOk) {
            fuzz::require(r.sets.empty());
            continue;
        }
        const DataSetCollection& s = r.sets;
        fuzz::require(s.size() >= 1 && s.size() <= logger::kMaxSets);
        qsizetype total = 0;
        for (int i = 0; i < s.size(); ++i) {
            const auto k = static_cast<std::size_t>(i);
            fuzz::require(s.counts[k] >= 0);
            fuzz::require(s.imageEnds[k] < image.size());
            fuzz::require(i == 0 ? s.imageStarts[k] == logger::kFirstSetAddress
                                 : s.imageStarts[k] == s.imageEnds[k - 1] + 1);
            fuzz::require(s.intervals[k] >= 0 && s.intervals[k] <= 60);
            fuzz::require(s.counts[k] == 0 ||
                          (s.maxIndexes[k] < s.counts[k] && s.minIndexes[k] < s.counts[k]));
            total += s.counts[k];
        }
        fuzz::require(static_cast<qsizetype>(s.readings.size()) == total);
        fuzz::require(s.readingTimes.size() == s.readings.size());
        for (float level : s.readings)
            fuzz::require(level >= 20.0f && level <= 140.0f);
    }
    return 0;
}
