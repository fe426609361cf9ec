#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Grid printouts as text: each cell padded to its column's width in characters with two spaces
// per missing character (a longer text is printed whole), the cells of a row joined without a
// separator, and the lines laid out on pages of L lines.
enum class GridRule {
    List,         // columns 0 .. count - 2; column 2 is 17 wide, the others 10
    DataCapture,  // every column; columns 2 and 3 are 17 wide; a row without a value is empty
};

QString printedCell(const QString& text, int width);
// Rows 0 (the heading) .. rows - 1 of a grid of cols columns, cell(col, row) giving the texts.
QStringList gridPrintLines(const std::function<QString(int col, int row)>& cell, int rows, int cols,
                           GridRule rule);

struct PrintedLine {
    int page = 0;  // from 0
    int y = 0;     // printer pixels from the top of the page: (i mod L) * h + h
    QString text;
};
// L = pageHeight / lineHeight (at least 1); line i goes on page i / L.
std::vector<PrintedLine> layoutPrintLines(const QStringList& lines, int lineHeight, int pageHeight);
