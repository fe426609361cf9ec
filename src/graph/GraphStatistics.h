#pragma once

#include <QString>

#include "graph/GraphDocument.h"

// Statistics of subset 0 of a graph. Only points that exist count: a place never written (X 0,
// as left by a stopped recording or a cancelled conversion) takes no part at all, and a null
// level (9999) none in the maximum, minimum or average.
struct GraphStatistics {
    int count = 0;            // places in the graph
    int timed = 0;            // of which have a time
    int levels = 0;           // of which also have a level
    double first = 0;         // the earliest X of the points with a time
    double last = 0;          // the latest
    double samplingRate = 0;  // mean spacing of the points with a time, in seconds
    double average = 0;       // arithmetic mean of the dB values
    float max = 0;
    int maxIndex = -1;  // first point with the highest level; -1 without levels
    float min = 0;
    int minIndex = -1;  // first point with the lowest level
};

GraphStatistics graphStatistics(const GraphDocument& doc);

// Statistics between two cursors, both ends included, in whichever order they are given.
struct CursorStatistics {
    int lo = 0, hi = 0;
    int levels = 0;
    double average = 0;
    float max = 0;
    double maxX = 0;  // X of the highest level nearest to lo
    float min = 0;
    double minX = 0;
};

CursorStatistics cursorStatistics(const GraphDocument& doc, int a, int b);

// Leq and the percentile levels of the points lo..hi of subset 0 that have a time.
struct AcousticStatistics;
AcousticStatistics acousticOf(const GraphDocument& doc, int lo, int hi);

// The fields "Export Statistic" copies, in their order.
struct StatisticTexts {
    QString startTime, samplingRate, dataNo, avgAll, max, maxTime, min, minTime;
    QString cursorA, cursorATime, cursorB, cursorBTime;
    QString maxAB, maxABTime, minAB, minABTime, avgAB;
    QString leq, l10, l50, l90, leqAB, l10AB, l50AB, l90AB;
};

// The eleven lines of the statistics, then the acoustic ones (Leq, L10, L50, L90, and the same
// between A and B), each ended by a line feed.
QString exportStatisticText(const StatisticTexts& t);

// The text of a cursor line: "|t", the time of day, a line break and the level.
QString cursorLabel(double x, float y);
// The text of the data-point marker.
QString hotSpotLabel(double x, float y);
// The mouse readout, e.g. 65.3dB@10:15:30.
QString mouseReadout(double x, double y);
