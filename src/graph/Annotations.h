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

// Every user annotation of the document (index 5 and up) that can be erased: crosses and texts
// that are not empty, and that are in view (Clear moves a graph's annotations to X 0).
std::vector<AnnotationRow> listAnnotations(const GraphDocument& doc);
// The highest annotation index in use in the document, or 4 when it has no user annotation.
int lastUsedAnnotation(const GraphDocument& doc);
// An erased annotation keeps its place with type text and no text.
void eraseAnnotation(GraphDocument& doc, int index);
// Places the next user annotation after the highest index in use, in this document and in
// lastIndex (the process-wide counter), so that nothing already placed or loaded is overwritten;
// lastIndex becomes the new index, which is returned.
int placeAnnotation(GraphDocument& doc, int& lastIndex, AnnotationType type, double x, double y,
                    const QString& text);
// Annotations from..to go to X 0, Y 0, where no graph shows them.
void moveOutOfView(GraphDocument& doc, int from, int to);
// The marker of a clicked data point: a yellow cross with its time and level.
void markDataPoint(GraphDocument& doc, int subset, int point);
