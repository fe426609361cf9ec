// The graph file's state block: a block that loads must save and load to the same document.
#include "FuzzSupport.h"
#include "graph/GraphDocument.h"

SONODESK_FUZZ_TARGET(fuzzGraphState) {
    const QByteArray block = fuzz::bytes(data, size);
    GraphDocument d;
    const GraphDocument fresh;
    QString error;
    if (!d.loadState(block, &error)) {
        fuzz::require(d == fresh);
        fuzz::require(!error.isEmpty());
        return 0;
    }
    GraphDocument again;
    fuzz::require(again.loadState(d.saveState()));
    // NaN values never compare equal; the bytes must.
    fuzz::require(again.saveState() == d.saveState());
    return 0;
}
