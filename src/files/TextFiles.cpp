#include "files/TextFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

#include "files/DateTimeText.h"
#include "files/ListGridModel.h"
#include "graph/GraphDocument.h"

std::optional<LineRange> rangeFromTexts(bool all, const QString& from, const QString& to,
                                        int count) {
    count = std::max(count, 0);
    if (all)
        return LineRange{1, count};
    bool okFrom = false, okTo = false;
    // Wide enough that no typed integer overflows before it is clamped to the count.
    const qlonglong a = from.trimmed().toLongLong(&okFrom);
    const qlonglong b = to.trimmed().toLongLong(&okTo);
    if (!okFrom || !okTo || a == std::numeric_limits<qlonglong>::min() ||
        b == std::numeric_limits<qlonglong>::min())
        return std::nullopt;
    qlonglong first = std::abs(a), last = std::abs(b);
    if (last < first)
        std::swap(first, last);
    first = std::clamp<qlonglong>(first, 1, static_cast<qlonglong>(count) + 1);
    last = std::min<qlonglong>(last, count);
    return LineRange{static_cast<int>(first), static_cast<int>(last)};
}

namespace {
// Writes lines through a buffer into a file that replaces the old one only when complete.
class LineWriter {
public:
    explicit LineWriter(const QString& path) : file_(path) {
        ok_ = file_.open(QIODevice::WriteOnly);
        buffer_.reserve(kChunk + 512);
    }
    bool ok() const { return ok_; }
    QByteArray& line() { return buffer_; }
    void endLine() {
        buffer_.append("\r\n", 2);
        if (buffer_.size() >= kChunk)
            flush();
    }
    bool commit() {
        flush();
        if (!ok_) {
            file_.cancelWriting();
            return false;
        }
        return file_.commit();
    }

private:
    static constexpr qsizetype kChunk = 1 << 16;
    void flush() {
        if (ok_ && !buffer_.isEmpty() && file_.write(buffer_) != buffer_.size())
            ok_ = false;
        buffer_.clear();
    }
    QSaveFile file_;
    QByteArray buffer_;
    bool ok_ = false;
};
}  // namespace

int exportGraphText(const GraphDocument& doc, const QString& path, char separator, LineRange range,
                    const LineProgress& progress) {
    LineWriter out(path);
    if (!out.ok())
        return -1;
    TextLineFormatter format;
    int lines = 0;
    const int last = std::min(range.last, doc.points());
    for (int i = range.first - 1; i >= 0 && i < last; ++i) {
        const double t = doc.x(0, i);
        if (t == 0)
            break;  // never filled: the rest is empty
        format.appendPointLine(out.line(), t, doc.y(0, i), separator);
        out.endLine();
        ++lines;
        if (progress && !progress(lines))
            break;
    }
    return out.commit() ? lines : -1;
}

char gridSeparatorFor(const QString& path) {
    return path.right(3).toLower() == QLatin1String("csv") ? ',' : '\t';
}

int exportGridText(const ListGridModel& grid, const QString& path, char separator, LineRange range,
                   const LineProgress& progress) {
    LineWriter out(path);
    if (!out.ok())
        return -1;
    int lines = 0;
    QByteArray scratch;
    const int lastRow = std::min(range.last, grid.RowCount() - 1);
    for (int r = std::max(range.first, 1); r <= lastRow; ++r) {
        for (int c = 1; c < grid.ColCount(); ++c) {
            const QByteArrayView cell = grid.cellView(c, r, scratch);
            out.line().append(cell.data(), cell.size());
            out.line().append(separator);
        }
        out.endLine();
        ++lines;
        if (progress && !progress(lines))
            break;
    }
    return out.commit() ? lines : -1;
}

namespace {
// Bytes of the character at p as UTF-8 decodes it: a whole, well-formed sequence, or one byte
// for anything else (an invalid byte is one character, as a Latin-1 '°' or 'µ' would be).
int utf8CharBytes(const unsigned char* p, const unsigned char* end) {
    const unsigned c = p[0];
    int n = 1;
    unsigned lowest = 0;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        lowest = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        lowest = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        lowest = 0x10000;
    } else {
        return 1;
    }
    if (end - p < n)
        return 1;
    unsigned code = c & (0x7F >> n);
    for (int k = 1; k < n; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 1;
        code = (code << 6) | (p[k] & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not characters.
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 1;
    return n;
}
}  // namespace

qsizetype bytesOfChars(const char* p, const char* end, int n) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    const auto* e = reinterpret_cast<const unsigned char*>(end);
    const unsigned char* q = b;
    for (int chars = 0; chars < n; ++chars) {
        if (q >= e)
            return -1;
        q += utf8CharBytes(q, e);
    }
    return q < e ? q - b : -1;
}

ImportResult importText(const QString& path, char separator, ListGridModel& grid,
                        const LineProgress& progress) {
    ImportResult result;
    // Only a regular file: a device or a link to one (/dev/zero, a tty) never ends.
    if (!QFileInfo(path).isFile())
        return result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    result.opened = true;
    // Read in chunks as the lines are taken, into a buffer that never moves; reading stops with
    // the table, so a large file with a table at its top is not read whole.
    constexpr qint64 kChunk = 4 << 20;
    QByteArray data;
    data.reserve(static_cast<qsizetype>(std::max<qint64>(file.size(), 0)) + 1);
    bool atEnd = false;
    const auto readMore = [&] {
        const qint64 left = file.size() - file.pos();
        if (atEnd || left <= 0) {
            atEnd = true;
            return false;
        }
        // Never past what the file holds: the buffer was reserved for it and must not move.
        const qint64 want = std::min(kChunk, left);
        const qsizetype before = data.size();
        data.resize(before + static_cast<qsizetype>(want));
        const qint64 n = file.read(data.data() + before, want);
        data.resize(before + std::max<qint64>(n, 0));
        if (n <= 0)
            atEnd = true;
        return n > 0;
    };
    readMore();
    qsizetype start = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    grid.beginBulk();
    int count = 0;
    for (;;) {
        const char* base = data.constData();
        const char* nl =
            start < data.size()
                ? static_cast<const char*>(std::memchr(
                      base + start, '\n', static_cast<std::size_t>(data.size() - start)))
                : nullptr;
        if (!nl && readMore())
            continue;  // the line goes on in the next chunk
        if (start >= data.size())
            break;
        base = data.constData();
        const char* p = base + start;
        const char* lineEnd = nl ? nl : base + data.size();
        const qsizetype next = nl ? (nl - base) + 1 : data.size();
        if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd;
        qsizetype length = lineEnd - p;
        bool last = false;
        if (length > kMaxLineChars) {
            const qsizetype cut = bytesOfChars(p, lineEnd, kMaxLineChars);
            if (cut >= 0) {
                length = cut;
                last = true;  // an over-long line is the last one read
            }
        }
        // A grid counts its rows in int: a file of billions of lines ends at the last one.
        if (!std::memchr(p, separator, static_cast<std::size_t>(length)) ||
            count == std::numeric_limits<int>::max() - 1)
            break;
        ++count;
        if (progress && !progress(count))
            break;
        grid.setLine(count, start, static_cast<int>(length));
        result.rows = count;
        if (last)
            break;
        start = next;
    }
    grid.endBulk();
    // The model keeps what was read; the buffer keeps its place, so the rows' offsets hold.
    data.squeeze();
    grid.setSource(std::move(data), separator);
    return result;
}
