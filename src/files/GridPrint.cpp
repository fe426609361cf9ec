#include "files/GridPrint.h"

#include <algorithm>

QString printedCell(const QString& text, int width) {
    const int missing = width - static_cast<int>(text.size());
    return missing > 0 ? text + QString(2 * missing, QLatin1Char(' ')) : text;
}

QStringList gridPrintLines(const std::function<QString(int col, int row)>& cell, int rows, int cols,
                           GridRule rule) {
    QStringList lines;
    const int lastCol = rule == GridRule::List ? cols - 2 : cols - 1;
    for (int r = 0; r < rows; ++r) {
        if (rule == GridRule::DataCapture && r > 0 && cell(1, r).isEmpty()) {
            lines << QString();  // the row keeps its place on the page
            continue;
        }
        QString line;
        for (int c = 0; c <= lastCol; ++c) {
            const bool wide = rule == GridRule::List ? c == 2 : (c == 2 || c == 3);
            line += printedCell(cell(c, r), wide ? 17 : 10);
        }
        lines << line;
    }
    return lines;
}

std::vector<PrintedLine> layoutPrintLines(const QStringList& lines, int lineHeight,
                                          int pageHeight) {
    const int h = std::max(lineHeight, 1);
    const int perPage = std::max(pageHeight / h, 1);
    std::vector<PrintedLine> out;
    out.reserve(static_cast<std::size_t>(lines.size()));
    for (int i = 0; i < lines.size(); ++i)
        out.push_back({i / perPage, (i % perPage) * h + h, lines[i]});
    return out;
}
