#pragma once

#include <QDialog>

class QPushButton;

// The choice between a data set collection, a single data file and a capture file.
class TfrmOpenSave : public QDialog {
    Q_OBJECT
public:
    // The dialog's results.
    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;
    static constexpr int mrNo = 7;
    static constexpr int mrNoToAll = 9;

    explicit TfrmOpenSave(QWidget* parent = nullptr);
    // Captions as Open shows them, with the capture button.
    void setUpForOpen(bool decimalComma);

    QPushButton* btnOpenSets = nullptr;
    QPushButton* btnOpenSingleSet = nullptr;
    QPushButton* btnOpenCapture = nullptr;
    QPushButton* Button1 = nullptr;
};
