// Capture files (".CAP"): read into rows of five fields.
#include "FuzzSupport.h"
#include "files/CaptureFile.h"

SONODESK_FUZZ_TARGET(fuzzCaptureFile) {
    fuzz::ensureApp();
    const auto rows = readCaptureFile(fuzz::fileWith(data, size, "c.CAP"));
    fuzz::require(rows.has_value());
    for (const QStringList& r : *rows)
        fuzz::require(r.size() == kCaptureFields);
    return 0;
}
