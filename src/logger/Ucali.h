#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TComPort;

// Up and down arrows that step a number in their buddy edit box between a minimum and a
// maximum.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    TUpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent = nullptr);
    int position() const { return position_; }
    void step(int delta);

private:
    QLineEdit* buddy_;
    int min_, max_, position_;
};

// "Calibration": the Hi and Lo values sent to the meter with the 'J' frame.
class TfrmCali : public QDialog {
    Q_OBJECT
public:
    TfrmCali(TComPort& comm1, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    TUpDown* UpDown1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    TUpDown* UpDown2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    // Sends Lo (Edit2) and Hi (Edit1); a text that is no number sends nothing.
    void Button1Click();

private:
    TComPort& comm1_;
};
