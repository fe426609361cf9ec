#pragma once

#include <QDialog>

#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;

// "Real-Time Setup": how many samples to record and how often.
class TfrmSetupRealTime : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSetupRealTime(QWidget* parent = nullptr);

    QLineEdit* edtRealTimeNo = nullptr;
    QComboBox* txtRate = nullptr;
    QLineEdit* edtPeriod = nullptr;
    QPushButton* btnStart = nullptr;
    QPushButton* btnCancel = nullptr;

    // The period as the dialog opens: plain numbers.
    void showInitialPeriod(float rate);
    // Recomputes edtPeriod from the two inputs; a rate that does not convert shows the error
    // box and leaves the period as it was.
    void recomputePeriod();

    // The entered number, or nothing when it is not one.
    std::optional<int> samples() const;
};
