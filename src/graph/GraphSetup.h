#pragma once

#include <QByteArray>
#include <QString>

class GraphDocument;

// The look every graph has when no template replaces it.
void applyDefaultLook(GraphDocument& doc);

// Sets up a document for a new or restarted graph: the look of the template's state block when
// one is given and loads, else the default look; then the series (every point X 0, Y null), the
// Y scale yMin..yMax and, when xMin is not 0, the X scale xMin..xMax. Returns whether the
// template was loaded.
bool initGraphDocument(GraphDocument& doc, int subsets, float yMax, float yMin, double xMax,
                       double xMin, int points, const QByteArray* templateBlock);
// The same without template and look.
void prepareGraphDocument(GraphDocument& doc, int subsets, float yMax, float yMin, double xMax,
                          double xMin, int points);

// The user's own template: "template/graph.ghf" in the application data folder, where the
// customisation dialog keeps it (a program installed under /usr cannot write beside itself).
QString userTemplatePath();
// The template graphs take their look from: the user's when there is one, else
// "template/graph.ghf" beside the program (a default an administrator may place).
QString graphTemplatePath();
