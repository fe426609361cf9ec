#pragma once

#include <QDialog>

class QLabel;

// A small notice while a logger transfer prepares ("Preparing to load .....") or a factory
// sequence runs (its creator replaces the text).
class TfrmInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInfo(QWidget* parent = nullptr);
    QLabel* Label1 = nullptr;
};
