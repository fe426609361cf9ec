// Text and CSV import into the list grid, and the table turned into a graph, under a locale
// with a decimal point and one with a decimal comma.
#include <QLocale>

#include "FuzzSupport.h"
#include "files/DateTimeText.h"
#include "files/ListGridModel.h"
#include "files/TableToGraph.h"
#include "files/TextFiles.h"
#include "graph/GraphDocument.h"

SONODESK_FUZZ_TARGET(fuzzTextImport) {
    fuzz::ensureApp();
    const QString path = fuzz::fileWith(data, size, "import.txt");
    for (char separator : {'\t', ','}) {
        ListGridModel grid;
        const ImportResult r = importText(path, separator, grid, nullptr);
        fuzz::require(r.opened);
        fuzz::require(r.rows == grid.RowCount() - 1 || (r.rows == 0 && grid.RowCount() == 2));
        for (int row = 1; row <= r.rows; ++row)
            for (int c = 0; c < grid.ColCount(); ++c)
                grid.Cells(c, row);
        if (!tableHasData(grid))
            continue;
        for (const QLocale& locale :
             {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German)}) {
            DateTimeReader reader(locale);
            QString error;
            const auto span = tableSpan(grid, reader, &error);
            if (!span) {
                fuzz::require(!error.isEmpty());
                continue;
            }
            fuzz::require(span->start <= span->end);
            GraphDocument doc;
            doc.setPoints(std::min(span->rows, 5000));
            tableToGraph(grid, doc, reader, nullptr);
            fitTimeRange(doc);
        }
    }
    return 0;
}
