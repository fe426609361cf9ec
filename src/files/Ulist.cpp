#include "files/Ulist.h"

#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

#include "files/ListGridModel.h"

TfrmList::TfrmList(ListGridModel* model, QWidget* parent)
    : QWidget(parent), model_(model ? model : new ListGridModel) {
    setObjectName(QStringLiteral("frmList"));
    model_->setParent(this);
    Grid1 = new QTableView(this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setModel(model_);
    Grid1->verticalHeader()->setVisible(false);
    Grid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid1->verticalHeader()->setDefaultSectionSize(18);
    Grid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    Grid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    Grid1->setWordWrap(false);
    Grid1->setColumnWidth(0, 56);
    Grid1->setColumnWidth(1, 80);
    Grid1->setColumnWidth(2, 70);
    Grid1->setColumnWidth(3, 56);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Grid1);
    resize(405, 460);
}

void TfrmList::FormShow() {
    const char* headings[] = {"No", "Date", "Time", "Value"};
    for (int c = 0; c < 4; ++c)
        model_->setHeading(c, QLatin1String(headings[c]));
}

void TfrmList::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}
