// Recording journals left behind by a crash: read back to their last whole, checked record.
#include "FuzzSupport.h"
#include "graph/RecordingJournal.h"

SONODESK_FUZZ_TARGET(fuzzJournal) {
    fuzz::ensureApp();
    const auto c = RecordingJournal::read(fuzz::fileWith(data, size, "r.sdj"));
    if (!c)
        return 0;
    const std::size_t used =
        RecordingJournal::kHeaderBytes + c->samples.size() * RecordingJournal::kRecordBytes;
    fuzz::require(used <= size);
    fuzz::require(c->tornTail == (used < size));
    return 0;
}
