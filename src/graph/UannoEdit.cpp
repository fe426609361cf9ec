#include "graph/UannoEdit.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TfrmAnnoEdit::TfrmAnnoEdit(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAnnoEdit"));
    setWindowTitle(QStringLiteral("Annotation"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(260);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(Edit1);
    top->addLayout(buttons);
}

TfrmDelAnno::TfrmDelAnno(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDelAnno"));
    setWindowTitle(QStringLiteral("Erase Annotation"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    StringGrid1 = new QTableWidget(1, 3, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setHorizontalHeaderLabels(
        {QStringLiteral("NO"), QStringLiteral("Time"), QStringLiteral("Contents")});
    StringGrid1->verticalHeader()->setVisible(false);
    StringGrid1->setColumnWidth(0, 50);
    StringGrid1->setColumnWidth(1, 120);
    StringGrid1->setColumnWidth(2, 200);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    btnDelete = new QPushButton(QStringLiteral("Delete"), this);
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    btnDelete->setEnabled(false);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnDelete, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnDelete);
    buttons->addWidget(btnCancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(StringGrid1);
    top->addLayout(buttons);
    setFixedSize(420, 300);
}
