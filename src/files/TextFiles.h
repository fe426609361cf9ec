#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

class GraphDocument;
class ListGridModel;

// Called after each line with the number of lines so far; false stops the loop.
using LineProgress = std::function<bool(int lines)>;

// A range of points or rows, 1-based, both ends included; empty when last < first.
struct LineRange {
    int first = 1;
    int last = 0;
    bool empty() const { return last < first; }
    int size() const { return empty() ? 0 : last - first + 1; }
};

// The range dialog's rule: all, or from..to as absolute integers, swapped when reversed, the
// last lowered to count and a first of 0 raised to 1. Nothing when a text is not an integer.
// Any integer the user types is clamped without overflow; a range past the count is empty.
std::optional<LineRange> rangeFromTexts(bool all, const QString& from, const QString& to,
                                        int count);

// Points first..last of the graph as "date<sep>hh:mm:ss<sep>level" lines ended by CR LF; a point
// with time 0 ends the export. The file appears whole when done (also after a stop), or not at
// all; returns the lines written, or -1 when the file could not be written.
int exportGraphText(const GraphDocument& doc, const QString& path, char separator, LineRange range,
                    const LineProgress& progress);

// Rows first..last of a list grid, cells 1..last each followed by the separator.
int exportGridText(const ListGridModel& grid, const QString& path, char separator, LineRange range,
                   const LineProgress& progress);
// Comma when the name ends in "csv", else tab.
char gridSeparatorFor(const QString& path);

// Reads a text file into a list grid: lines of at most 179 characters (a longer one is cut and
// ends the reading), fields into columns 1..6, stopping at the first line without a separator.
// progress is asked before each line is stored. Returns false when the file cannot be opened.
struct ImportResult {
    bool opened = false;
    int rows = 0;
};
ImportResult importText(const QString& path, char separator, ListGridModel& grid,
                        const LineProgress& progress);

inline constexpr int kMaxLineChars = 179;

// Length in bytes of the first n characters of [p, end) as its bytes decode as UTF-8 (a byte
// that is no part of a valid sequence counts as one character); -1 when there are no more
// than n characters.
qsizetype bytesOfChars(const char* p, const char* end, int n);
