#include "graph/Annotations.h"

#include <algorithm>

#include "graph/GraphStatistics.h"

std::vector<AnnotationRow> listAnnotations(const GraphDocument& doc) {
    std::vector<AnnotationRow> rows;
    for (auto it = doc.annotations.lower_bound(kFirstUserAnnotation); it != doc.annotations.end();
         ++it) {
        const GraphAnnotation& a = it->second;
        if (a.x == 0)
            continue;
        if (a.type == AnnotationType::Cross)
            rows.push_back({it->first, a.x, QStringLiteral("X")});
        else if (!a.text.isEmpty())
            rows.push_back({it->first, a.x, a.text});
    }
    return rows;
}

void eraseAnnotation(GraphDocument& doc, int index) {
    auto it = doc.annotations.find(index);
    if (it == doc.annotations.end())
        return;
    it->second.type = AnnotationType::Text;
    it->second.text.clear();
}

int lastUsedAnnotation(const GraphDocument& doc) {
    if (doc.annotations.empty())
        return kFirstUserAnnotation - 1;
    return std::max(doc.annotations.rbegin()->first, kFirstUserAnnotation - 1);
}

int placeAnnotation(GraphDocument& doc, int& lastIndex, AnnotationType type, double x, double y,
                    const QString& text) {
    lastIndex = std::max(lastIndex, lastUsedAnnotation(doc)) + 1;
    GraphAnnotation& a = doc.annotationRef(lastIndex);
    a.type = type;
    a.x = x;
    a.y = y;
    a.text = text;
    return lastIndex;
}

void moveOutOfView(GraphDocument& doc, int from, int to) {
    for (auto it = doc.annotations.lower_bound(from);
         it != doc.annotations.end() && it->first <= to; ++it) {
        it->second.x = 0;
        it->second.y = 0;
    }
}

void markDataPoint(GraphDocument& doc, int subset, int point) {
    if (!doc.inRange(subset, point))
        return;
    GraphAnnotation& a = doc.annotationRef(kHotSpotAnnotation);
    a.type = AnnotationType::Cross;
    a.color = PEargb(255, 255, 255, 0);
    a.x = doc.x(subset, point);
    a.y = doc.y(subset, point);
    a.text = hotSpotLabel(a.x, static_cast<float>(a.y));
}
