#include "graph/GraphReport.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "core/LocaleText.h"
#include "graph/GraphStatistics.h"
#include "graph/PESGraph.h"
#include "graph/Ugraph.h"

bool writeGraphReport(const TfrmGraph& window, const QString& path, TDateTime made,
                      QString* error) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(window.caption());
        pdf.setCreator(QStringLiteral("SonoDesk"));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                      QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        pdf.setResolution(300);
        QPainter painting(&pdf);
        QPainter* painter = &painting;
        if (!painter->isActive()) {
            if (error)
                *error = QStringLiteral("The PDF could not be made");
            return false;
        }
        const QRect page(QPoint(0, 0), pdf.pageLayout().paintRectPixels(pdf.resolution()).size());
        QFont title(QStringLiteral("Sans Serif"));
        title.setPointSize(14);
        title.setBold(true);
        painter->setFont(title);
        const int titleHeight = QFontMetrics(title, &pdf).height();
        painter->drawText(QRect(0, 0, page.width(), titleHeight), Qt::AlignLeft | Qt::AlignTop,
                          window.caption());
        QFont body(QStringLiteral("Sans Serif"));
        body.setPointSize(8);
        painter->setFont(body);
        const int line = QFontMetrics(body, &pdf).height();
        painter->drawText(QRect(0, 0, page.width(), titleHeight), Qt::AlignRight | Qt::AlignTop,
                          QStringLiteral("Report made ") + localetext::dateTimeText(made));

        // The graph over most of the page, the figures below it in two columns.
        const int statLines = 8;
        const int graphTop = titleHeight + line / 2;
        const int graphHeight = page.height() - graphTop - (statLines + 1) * line;
        window.chart()->render(*painter, QRect(0, graphTop, page.width(), graphHeight));
        const QStringList lines = exportStatisticText(window.statisticTexts())
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        int y = graphTop + graphHeight + line;
        // Three columns: the whole graph, the cursors, the acoustic figures.
        for (int i = 0; i < lines.size(); ++i) {
            const int column = i < 6 ? 0 : i < 11 ? 1 : 2;
            const int row = i - (column == 0 ? 0 : column == 1 ? 6 : 11);
            painter->drawText(QPoint(column * page.width() / 3, y + row * line + line), lines[i]);
        }
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(buffer.data()) != buffer.size() ||
        !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
