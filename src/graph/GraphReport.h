#pragma once

#include <QString>

#include "core/TDateTime.h"

class TfrmGraph;

// A one-page vector PDF of a graph window: its caption, the graph as drawn (annotations and
// cursors included), the statistics it shows and the date the report was made. Text stays
// text. Written through QSaveFile; false with the reason when it cannot be written.
bool writeGraphReport(const TfrmGraph& window, const QString& path, TDateTime made,
                      QString* error = nullptr);
