// sonodesk-cli stats on a text or CSV table: whatever the bytes, a statistics row (exit 0) and
// nothing else.
#include "FuzzSupport.h"
#include "cli/CliCommands.h"

SONODESK_FUZZ_TARGET(fuzzCliStats) {
    fuzz::ensureApp();
    QByteArray out;
    const cli::Io io{[&out](QByteArrayView b) { out.append(b); }, [](QByteArrayView) {}};
    for (const char* name : {"t.csv", "t.txt"}) {
        out.clear();
        const QString path = fuzz::fileWith(data, size, name);
        fuzz::require(cli::run({QStringLiteral("stats"), path}, io) == cli::kExitOk);
        fuzz::require(out.count('\n') == 2);
    }
    return 0;
}
