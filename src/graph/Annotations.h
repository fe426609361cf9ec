#pragma once

#include <QString>

#include <vector>

#include "graph/GraphDocument.h"

// Index of the marker of a clicked data point.
inline constexpr int kHotSpotAnnotation = 2;
// User annotations start after this index.
inline constexpr int kFirstUserAnnotation = 5;

struct AnnotationRow {
    int index = 0;     // the annotation's index in the chart
    double x = 0;      // its time
    QString contents;  // "X" for a cross, else its text
};

// The user annotations 5..lastIndex that can be erased: crosses and texts that are not empty.
std::vector<AnnotationRow> listAnnotations(const GraphDocument& doc, int lastIndex);
// An erased annotation keeps its place with type text and no text.
void eraseAnnotation(GraphDocument& doc, int index);
// Places the next user annotation; returns its index.
int placeAnnotation(GraphDocument& doc, int& lastIndex, AnnotationType type, double x, double y,
                    const QString& text);
// Annotations from..to go to X 0, Y 0, where no graph shows them.
void moveOutOfView(GraphDocument& doc, int from, int to);
// The marker of a clicked data point: a yellow cross with its time and level.
void markDataPoint(GraphDocument& doc, int subset, int point);
