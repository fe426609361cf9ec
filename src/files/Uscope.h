#pragma once

#include <QDialog>

#include <optional>

#include "files/TextFiles.h"

class Clock;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

// One dialog, two uses: the range of rows or points to export (modal), and the progress of a
// long loop with its Cancel button (modeless).
class TfrmScope : public QDialog {
    Q_OBJECT
public:
    static constexpr int mrNone = 0;
    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;

    explicit TfrmScope(QWidget* parent = nullptr);

    QLabel* lblBytesReceived = nullptr;
    QLabel* lblTotalBytes = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* radAll = nullptr;
    QRadioButton* radNo = nullptr;
    QLineEdit* edtSelFrom = nullptr;
    QLineEdit* edtSelTo = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QProgressBar* Progress1 = nullptr;
    QLabel* SText1 = nullptr;
    QLabel* SText2 = nullptr;

    // The dialog's result; Cancel also while shown modeless.
    int result = mrNone;

    // Asks for a range of 1..count; nothing on Cancel or after "invalid integer".
    static std::optional<LineRange> askRange(QWidget* parent, int count);

    // Shows the dialog modeless as a progress dialog.
    void showProgress(const QString& caption, const QString& text, int barMaximum, bool withBar);
    // Shows the dialog modeless as the logger transfer's progress: bytes received of total,
    // and Cancel.
    void showTransfer(int total);
    void setReceived(int bytes);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool asRange_ = false;
};

// Drives a progress dialog from a loop: the bar or count follows, the window stays responsive
// (at most every 50 ms on the clock) and Cancel stops the loop.
class ProgressPacer {
public:
    ProgressPacer(TfrmScope& dialog, Clock& clock, bool bar);
    bool operator()(int lines);

private:
    TfrmScope& dialog_;
    Clock& clock_;
    bool bar_;
    qint64 last_ = -1;
};
