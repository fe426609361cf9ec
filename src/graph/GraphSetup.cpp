#include "graph/GraphSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "graph/GraphDocument.h"

void applyDefaultLook(GraphDocument& doc) {
    const GraphLook keep = doc.look;
    GraphLook look;  // the defaults
    look.yAxisLabel = keep.yAxisLabel;
    look.allowBar = keep.allowBar;
    look.dataHotSpots = keep.dataHotSpots;
    doc.look = look;
}

void prepareGraphDocument(GraphDocument& doc, int subsets, float yMax, float yMin, double xMax,
                          double xMin, int points) {
    doc.look.allowPopup = false;
    doc.look.noHelp = true;
    doc.nullY = kNullLevel;
    doc.setSubsets(subsets);
    doc.setPoints(points);
    doc.fillX(0);
    doc.fillY(kNullLevel);
    doc.scaleControlY = ScaleControl::ManualMinAndMax;
    doc.manualMinY = yMin;
    doc.manualMaxY = yMax;
    if (xMin != 0) {
        doc.scaleControlX = ScaleControl::ManualMinAndMax;
        doc.manualMinX = xMin;
        doc.manualMaxX = xMax;
    }
    doc.look.dataLabels = false;
    doc.markLayoutChanged();
}

bool initGraphDocument(GraphDocument& doc, int subsets, float yMax, float yMin, double xMax,
                       double xMin, int points, const QByteArray* templateBlock) {
    bool fromTemplate = false;
    if (templateBlock) {
        // A template that does not load is ignored; the graph takes the default look.
        fromTemplate = doc.loadState(*templateBlock);
        // A template gives the look, not the marks of the graph it was taken from.
        if (fromTemplate) {
            doc.annotations.clear();
            doc.vertLines = {};
        }
    }
    prepareGraphDocument(doc, subsets, yMax, yMin, xMax, xMin, points);
    if (!fromTemplate)
        applyDefaultLook(doc);
    return fromTemplate;
}

QString userTemplatePath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/template/graph.ghf");
}

QString graphTemplatePath() {
    const QString mine = userTemplatePath();
    if (QFileInfo::exists(mine))
        return mine;
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("template/graph.ghf"));
}
