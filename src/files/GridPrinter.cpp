#include "files/GridPrinter.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include "files/GridPrint.h"

void printGridLines(QPrinter& printer, const QStringList& lines) {
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(8);
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const int h = metrics.boundingRect(QStringLiteral("String Grid Printout")).height() + 14;
    const int pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();
    int page = 0;
    for (const PrintedLine& line : layoutPrintLines(lines, h, pageHeight)) {
        if (line.page != page) {
            printer.newPage();
            page = line.page;
        }
        if (!line.text.isEmpty())
            painter.drawText(1, line.y, line.text);
    }
}
