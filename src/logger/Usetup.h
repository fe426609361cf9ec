#pragma once

#include <QWidget>

#include <functional>

class Clock;
class MeterLink;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TComPort;
namespace logger {
class SetupSession;
}

// Erase Memory: refused while the meter records, asked first, then the 'e' key.
void eraseMeterMemory(MeterLink& link);

// "Data Logger Setup": the meter's clock and recording interval, the logger's information with
// a memory test, erasing, and (in service mode) the factory sequence. Each command takes the
// device from the live link onto Comm2 and gives it back at its end.
class TfrmSetup : public QWidget {
    Q_OBJECT
public:
    TfrmSetup(MeterLink& link, TComPort& comm2, Clock& clock, bool service,
              QWidget* parent = nullptr);

    QPushButton* Button1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* edtInt1 = nullptr;
    QLineEdit* edtInt2 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* lblVer = nullptr;
    QLabel* lblMeterTime = nullptr;
    QLabel* lblInt = nullptr;
    QLabel* lblDataSets = nullptr;
    QLabel* lblMemoryAvailable = nullptr;
    QLabel* lblMemTest = nullptr;
    QPushButton* Button4 = nullptr;
    QTableWidget* Grid1 = nullptr;
    QPushButton* Button5 = nullptr;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Steps 3 to 7 of reading the information; false when a reply was missing.
    bool readInformation(logger::SetupSession& session);
    // The device on the setup port, a session after its preamble, then the live link given back
    // however the exchange ends.
    void runSession(const std::function<void(logger::SetupSession&)>& exchange);
    void logReply(const QByteArray& reply, qint64 ms);

    MeterLink& link_;
    TComPort& comm2_;
    Clock& clock_;
};
