#pragma once

#include <QString>

#include <optional>

#include "core/TDateTime.h"
#include "files/TextFiles.h"

class DateTimeReader;
class GraphDocument;
class ListGridModel;

inline QString noDataToGraphText() {
    return QStringLiteral("No data to graph !");
}

// Whether row 1 has a date to start from.
bool tableHasData(const ListGridModel& grid);

// The times of the first and last data rows, the earlier as start; nothing, and the conversion's
// message, when either does not convert.
struct TableSpan {
    TDateTime start = 0;
    TDateTime end = 0;
    int rows = 0;
};
std::optional<TableSpan> tableSpan(const ListGridModel& grid, DateTimeReader& reader,
                                   QString* error);

// The graph's X range set to the earliest..latest time of its points, whatever their order
// (at least one second wide, so a single time still shows); unchanged when no point has a time.
void fitTimeRange(GraphDocument& doc);

// Rows 1..N into points 0..N-1 of a graph set up for N points: a row whose date and time do not
// convert keeps X 0 and Y null, one whose level does not keeps its time and Y null. progress is
// asked before each row; returns the rows handled.
int tableToGraph(const ListGridModel& grid, GraphDocument& doc, DateTimeReader& reader,
                 const LineProgress& progress);
