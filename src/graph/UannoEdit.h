#pragma once

#include <QDialog>

class QLineEdit;

// The text of a new text annotation.
class TfrmAnnoEdit : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAnnoEdit(QWidget* parent = nullptr);
    QLineEdit* Edit1 = nullptr;
};

class QTableWidget;
class QPushButton;

// "Erase Annotation": the placed annotations, several of which can be erased at once.
class TfrmDelAnno : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDelAnno(QWidget* parent = nullptr);
    QTableWidget* StringGrid1 = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnCancel = nullptr;
};
