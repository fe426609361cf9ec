// Data set collection files (".rec"): read, checked and parsed.
#include "FuzzSupport.h"
#include "logger/CollectionFile.h"
#include "logger/MemoryImageParser.h"

SONODESK_FUZZ_TARGET(fuzzCollectionFile) {
    fuzz::ensureApp();
    const logger::CollectionFile f =
        logger::readCollectionFile(fuzz::fileWith(data, size, "c.rec"));
    if (!f.ok) {
        fuzz::require(!f.error.isEmpty());
        return 0;
    }
    fuzz::require(f.image.size() >= static_cast<qint64>(f.lastAddress) + 2);
    logger::parseMemoryImage(f.image, f.lastAddress, 46366.5);
    return 0;
}
