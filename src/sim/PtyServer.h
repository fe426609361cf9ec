#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>

class MeterEmulator;

// Serves the simulated meter on a new pseudo-terminal or on a serial device (Linux front end).
class PtyServer {
public:
    explicit PtyServer(MeterEmulator& meter) : meter_(meter) {}
    ~PtyServer();
    // Opens a new pseudo-terminal; its device path is slavePath(). False with error() set.
    bool openPty();
    // Opens a serial device at 9600 baud, 8N1, raw.
    bool openDevice(const QString& path);
    QString slavePath() const { return slavePath_; }
    QString error() const { return error_; }
    // Logs every frame the meter receives, one line each with its time.
    void setLog(std::FILE* log) { log_ = log; }
    // Runs the meter's time this many times faster than the wall clock (the line too).
    void setSpeed(int speed) { speed_ = speed < 1 ? 1 : speed; }
    // Serves until stopAfterMs passes (forever when negative). silentFrom/silentForMs pull the
    // cable for a while.
    void run(qint64 stopAfterMs, qint64 silentFromMs = -1, qint64 silentForMs = 0);

private:
    MeterEmulator& meter_;
    int fd_ = -1;
    int keepSlave_ = -1;
    QString slavePath_;
    QString error_;
    std::FILE* log_ = nullptr;
    int speed_ = 1;
};
