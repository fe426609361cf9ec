#include "files/TableToGraph.h"

#include <algorithm>
#include <utility>

#include "files/DateTimeText.h"
#include "files/ListGridModel.h"
#include "graph/GraphDocument.h"

bool tableHasData(const ListGridModel& grid) {
    QByteArray scratch;
    return grid.RowCount() > 1 && !grid.cellView(1, 1, scratch).isEmpty();
}

std::optional<TableSpan> tableSpan(const ListGridModel& grid, DateTimeReader& reader,
                                   QString* error) {
    const int n = grid.RowCount() - 1;
    TableSpan span;
    span.rows = n;
    for (int row : {1, n}) {
        QByteArray a, b;
        const QByteArrayView date = grid.cellView(1, row, a);
        const QByteArrayView time = grid.cellView(2, row, b);
        const auto t = reader.parse(date, time);
        if (!t) {
            if (error)
                *error = DateTimeReader::invalidText(QString::fromUtf8(date) + QLatin1Char(' ') +
                                                     QString::fromUtf8(time));
            return std::nullopt;
        }
        (row == 1 ? span.start : span.end) = *t;
    }
    // A table in descending time order spans the same range.
    if (span.end < span.start)
        std::swap(span.start, span.end);
    return span;
}

void fitTimeRange(GraphDocument& doc) {
    double lo = 0, hi = 0;
    bool any = false;
    for (int i = 0; i < doc.points(); ++i) {
        const double x = doc.x(i);
        if (x == 0)
            continue;
        lo = any ? std::min(lo, x) : x;
        hi = any ? std::max(hi, x) : x;
        any = true;
    }
    if (!any)
        return;
    doc.manualMinX = lo;
    doc.manualMaxX = hi > lo ? hi : lo + tdt::kSecond;
    doc.markLayoutChanged();
}

int tableToGraph(const ListGridModel& grid, GraphDocument& doc, DateTimeReader& reader,
                 const LineProgress& progress) {
    const int n = std::min(grid.RowCount() - 1, doc.points());
    QByteArray a, b, c;
    int r = 1;
    for (; r <= n; ++r) {
        if (progress && !progress(r))
            break;
        const auto t = reader.parse(grid.cellView(1, r, a), grid.cellView(2, r, b));
        if (!t)
            continue;
        doc.setX(0, r - 1, *t);
        const auto level = reader.number(grid.cellView(3, r, c));
        if (!level)
            continue;
        doc.setY(0, r - 1, static_cast<float>(*level));
    }
    return r - 1;
}
