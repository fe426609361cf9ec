#include "logger/StoredReadings.h"

#include "core/LocaleText.h"

namespace logger {

namespace {
// Arithmetic BCD: a nibble above 9 simply gives a larger number.
int bcdValue(std::uint8_t b) {
    return (b >> 4) * 10 + (b & 0x0F);
}
}  // namespace

std::vector<StoredReading> storedReadings(const QByteArray& header) {
    std::vector<StoredReading> out;
    if (header.size() < 1024)
        return out;
    const auto b = [&header](int i) { return static_cast<std::uint8_t>(header[i]); };
    int n = b(20);
    if (n > kMaxStoredReadings)
        n = 0;
    for (int k = 0; k < n; ++k) {
        const int a = 26 + 10 * k;
        StoredReading r;
        r.weightingA = (b(a) & 0x08) != 0;
        r.fast = (b(a) & 0x10) != 0;
        const QDate date(2000 + bcdValue(b(a + 1)), bcdValue(b(a + 2)), bcdValue(b(a + 3)));
        const QTime time(bcdValue(b(a + 4)), bcdValue(b(a + 5)), bcdValue(b(a + 6)));
        if (date.isValid() && time.isValid())
            r.time = tdt::fromDateTime(date, time);
        const int tenths = (b(a + 7) >> 4) * 1000 + (b(a + 7) & 0x0F) * 100 + (b(a + 8) >> 4) * 10 +
                           (b(a + 8) & 0x0F);
        r.level = static_cast<float>(tenths * 0.1);
        out.push_back(r);
    }
    return out;
}

QStringList storedReadingRow(const StoredReading& r) {
    const bool timed = r.time != 0;
    return {r.level > 150.0f ? QStringLiteral("----") : localetext::fixed1(r.level),
            timed ? localetext::dateText(r.time) : QString(),
            timed ? localetext::timeText(r.time) : QString(),
            r.weightingA ? QStringLiteral("dBA") : QStringLiteral("dBC"),
            r.fast ? QStringLiteral("FAST") : QStringLiteral("SLOW")};
}

}  // namespace logger
