#include "files/Udatacapture.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

TfrmDataCapture::TfrmDataCapture(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmDataCapture"));
    setWindowTitle(QStringLiteral("Data Capture"));
    resize(503, 518);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Grid1 = new QTableWidget(kNumberedRows, 6, this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setHorizontalHeaderLabels({QStringLiteral("No"), QStringLiteral("Value"),
                                      QStringLiteral("Date"), QStringLiteral("Time"),
                                      QStringLiteral("Wei."), QStringLiteral("F/S")});
    const int widths[] = {64, 81, 94, 90, 64, 64};
    for (int c = 0; c < 6; ++c)
        Grid1->setColumnWidth(c, widths[c]);
    Grid1->verticalHeader()->setVisible(false);
    Grid1->verticalHeader()->setDefaultSectionSize(18);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(Grid1);
    FormShow();
}

void TfrmDataCapture::FormShow() {
    for (int r = 1; r <= Grid1->rowCount() && r <= kNumberedRows; ++r)
        Grid1->setItem(
            r - 1, 0,
            new QTableWidgetItem(r < 10 ? QStringLiteral("0%1").arg(r) : QString::number(r)));
}

void TfrmDataCapture::clearReadings() {
    for (int r = 1; r <= 99 && r <= Grid1->rowCount(); ++r)
        for (int c = 1; c <= 5; ++c)
            Grid1->setItem(r - 1, c, new QTableWidgetItem());
}

void TfrmDataCapture::setReading(int row, const QStringList& cells, const QString& number) {
    if (row < 1)
        return;
    if (Grid1->rowCount() < row)
        Grid1->setRowCount(row);
    for (int c = 1; c <= 5; ++c)
        Grid1->setItem(row - 1, c, new QTableWidgetItem(cells.value(c - 1)));
    if (!number.isEmpty())
        Grid1->setItem(row - 1, 0, new QTableWidgetItem(number));
}

QString TfrmDataCapture::cell(int col, int row) const {
    // Row 0 is the heading row.
    const QTableWidgetItem* item =
        row >= 1 ? Grid1->item(row - 1, col) : Grid1->horizontalHeaderItem(col);
    return item ? item->text() : QString();
}

std::vector<QStringList> TfrmDataCapture::readings(int count) const {
    std::vector<QStringList> rows;
    for (int r = 1; r <= count; ++r) {
        QStringList cells;
        for (int c = 1; c <= 5; ++c)
            cells << cell(c, r);
        rows.push_back(cells);
    }
    return rows;
}

int TfrmDataCapture::rowCount() const {
    return Grid1->rowCount();
}

void TfrmDataCapture::closeEvent(QCloseEvent* event) {
    emit closed();
    QWidget::closeEvent(event);
}
