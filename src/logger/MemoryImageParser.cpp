#include "logger/MemoryImageParser.h"

#include <QDate>
#include <QTime>

#include <algorithm>

#include "core/LocaleText.h"

namespace logger {

namespace {

// The image as the parser reads it: a byte past the end is -1 and matches nothing.
class Image {
public:
    explicit Image(const QByteArray& bytes) : b_(bytes) {}
    int at(qint64 i) const {
        return i >= 0 && i < b_.size() ? static_cast<std::uint8_t>(b_[static_cast<qsizetype>(i)])
                                       : -1;
    }
    qint64 size() const { return b_.size(); }
    bool pairAt(qint64 i, int first, int second) const {
        return at(i) == first && at(i + 1) == second;
    }

private:
    const QByteArray& b_;
};

int bcd(int byte) {
    const int hi = byte >> 4, lo = byte & 0x0F;
    return hi > 9 || lo > 9 ? -1 : hi * 10 + lo;
}

TDateTime startTime(const Image& img, qint64 q, TDateTime now) {
    int v[6];
    for (int k = 0; k < 6; ++k) {
        const int b = img.at(q + 3 + k);
        v[k] = b < 0 ? -1 : bcd(b);
        if (v[k] < 0)
            return now;
    }
    const QDate date(2000 + v[0], v[1], v[2]);
    const QTime time(v[3], v[4], v[5]);
    if (!date.isValid() || !time.isValid())
        return now;
    return tdt::fromDateTime(date, time);
}

int interval(const Image& img, qint64 q) {
    const int minutes = std::max(0, img.at(q + 9)) & 0x0F;
    const int seconds = std::max(0, img.at(q + 10));
    const int total = minutes * 60 + (seconds >> 4) * 10 + (seconds & 0x0F);
    return total > 60 ? 2 : total;
}

// The first end marker 5A A5 at from, from + 2, ... up to lastAddress; the offset of its A5.
qint64 scanForEnd(const Image& img, qint64 from, qint64 lastAddress) {
    for (qint64 pos = from; pos <= lastAddress && pos < img.size(); pos += 2)
        if (img.pairAt(pos, 0x5A, 0xA5))
            return pos + 1;
    return -1;
}

}  // namespace

int imageLastAddress(const QByteArray& image) {
    if (image.size() < 14)
        return -1;
    const auto b = [&image](int i) { return static_cast<std::uint8_t>(image[i]); };
    return b(11) << 16 | b(12) << 8 | b(13);
}

float readingLevel(std::uint8_t high, std::uint8_t low) {
    const int tenths = (high & 0x0F) << 8 | low;
    const float level = static_cast<float>(tenths / 10.0);
    return level < 20.0f || level > 140.0f ? 50.0f : level;
}

ParseResult parseMemoryImage(const QByteArray& bytes, int lastAddress, TDateTime now) {
    ParseResult r;
    const Image img(bytes);
    const int n = std::max(0, img.at(9)) << 8 | std::max(0, img.at(10));
    if (n == 0) {
        r.code = kNoSets;
        return r;
    }
    if (n > kMaxSets) {
        r.code = kTooManySets;
        return r;
    }
    const qint64 last = lastAddress;
    DataSetCollection& s = r.sets;
    qint64 q = kFirstSetAddress;
    for (int i = 0; i < n; ++i) {
        // 1. The end of the set and its reading count.
        qint64 e = 0;
        if ((q + 11) % 256 == 255) {
            // The count field straddles a page: it is not trusted, the end marker is searched.
            e = scanForEnd(img, q + 14, last);
            if (e < 0)
                e = q + 14;
        } else {
            const qint64 count = static_cast<qint64>(std::max(0, img.at(q + 11))) << 16 |
                                 std::max(0, img.at(q + 12)) << 8 | std::max(0, img.at(q + 13));
            e = q + 15 + 2 * count;
            if (!(e <= last && img.pairAt(e - 1, 0x5A, 0xA5))) {
                const qint64 found = scanForEnd(img, q + 14, last);
                if (found >= 0)
                    e = found;
            }
        }
        const qint64 c = std::max<qint64>(0, (e - (q + 15)) / 2);

        // 2. The checks, with the page-boundary exceptions of the meter's writing.
        const bool startOk = img.pairAt(q, 0xA5, 0x5A);
        const bool endOk = img.pairAt(e - 1, 0x5A, 0xA5);
        bool good = (!startOk && q % 256 == 0) || (startOk && !endOk && (e - 1) % 256 == 0) ||
                    (startOk && endOk && e <= last);
        if (e >= img.size())
            good = false;
        if (!good) {
            r.code = kBadSet;
            r.badSetIndex = i;
            r.badSetEnd = static_cast<int>(q - 1);
            r.sets = DataSetCollection();
            return r;
        }
        s.counts.push_back(static_cast<int>(c));
        s.imageStarts.push_back(static_cast<int>(q));
        s.imageEnds.push_back(static_cast<int>(e));
        s.modeFlags.push_back(static_cast<unsigned char>(std::max(0, img.at(q + 2))));
        s.startTimes.push_back(startTime(img, q, now));
        s.intervals.push_back(interval(img, q));
        q = e + 1;
    }

    // Every set is good: the readings, their times and each set's figures.
    qsizetype total = 0;
    for (int c : s.counts)
        total += c;
    s.readings.reserve(static_cast<std::size_t>(total));
    s.readingTimes.reserve(static_cast<std::size_t>(total));
    for (int j = 0; j < s.size(); ++j) {
        const auto sj = static_cast<std::size_t>(j);
        const double step = s.intervals[sj] / 86400.0;
        float max = -99999.0f, min = 99999.0f;
        int maxIndex = 0, minIndex = 0;
        double sum = 0;
        int k = 0;
        for (qint64 pos = s.imageStarts[sj] + 14; pos < s.imageEnds[sj] - 1; pos += 2, ++k) {
            const float level = readingLevel(static_cast<std::uint8_t>(img.at(pos)),
                                             static_cast<std::uint8_t>(img.at(pos + 1)));
            s.readings.push_back(level);
            s.readingTimes.push_back(s.startTimes[sj] + k * step);
            sum += level;
            if (level > max) {
                max = level;
                maxIndex = k;
            }
            if (level < min) {
                min = level;
                minIndex = k;
            }
        }
        s.maxIndexes.push_back(maxIndex);
        s.minIndexes.push_back(minIndex);
        s.averages.push_back(s.counts[sj] != 0 ? sum / s.counts[sj] : 0.0);
    }
    r.code = kOk;
    return r;
}

QStringList dataSetRow(const DataSetCollection& sets, int i) {
    const auto si = static_cast<std::size_t>(i);
    const int interval = sets.intervals[si];
    const TDateTime start = sets.startTimes[si];
    return {QString::number(i + 1),
            localetext::dateText(start),
            tdt::timePart(start).toString(QStringLiteral("hh:mm:ss")),
            QStringLiteral("%1:%2")
                .arg(interval / 60, 2, 10, QLatin1Char('0'))
                .arg(interval % 60, 2, 10, QLatin1Char('0')),
            QString::number(sets.counts[si]),
            sets.weightingA(i) ? QStringLiteral("A") : QStringLiteral("C")};
}

}  // namespace logger
