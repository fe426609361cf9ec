#pragma once

#include <QStringList>

class QPrinter;

// Prints text lines on a printer as grid printouts do: the system's fixed-pitch font at 8
// points, line height = the height of "String Grid Printout" + 14 printer pixels.
void printGridLines(QPrinter& printer, const QStringList& lines);
