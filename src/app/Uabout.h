#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// About window; also the splash at start-up, with its status line Label4.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
    ~TfrmAbout() override;
    // Hides the OK button and keeps the window on top, centred, without waiting.
    void showAsSplash();
    void setStatus(const QString& text);

    QLabel* Label4;
    QPushButton* BitBtn1;
};
